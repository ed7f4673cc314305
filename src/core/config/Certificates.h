// Certificates the user accepted for TLS servers that the system does not
// vouch for: one SHA-256 fingerprint per host, kept in the INI section
// "Certificates" as host=fingerprint.
#pragma once

#include <map>
#include <string>

namespace velmok::config {

class IniFile;

inline constexpr const char* CertificatesSection = "Certificates";

// True when text is a SHA-256 fingerprint as reports carry it: 32 pairs of
// upper-case hexadecimal digits joined by ":".
bool IsFingerprint(const std::string& text);

class CertificateStore {
public:
    // The fingerprint accepted for the host (host names compare without
    // regard to ASCII case), or "" when none.
    std::string Find(const std::string& host) const;
    // Accepts the certificate for the host, replacing what was accepted before.
    // False when the host or the fingerprint cannot be kept (the fingerprint is
    // not a SHA-256 fingerprint, or the host is empty or holds characters an
    // INI key cannot carry).
    bool Accept(const std::string& host, const std::string& fingerprint);

    // Replaces the entries with those of the section; keys that are no host
    // name and values that are no fingerprint are left out.
    void Load(const IniFile& ini);
    // Writes every entry into the section (existing keys replaced in place).
    void Save(IniFile& ini) const;

    const std::map<std::string, std::string>& Entries() const { return byHost_; }
    bool operator==(const CertificateStore&) const = default;

private:
    std::map<std::string, std::string> byHost_;  // host in lower case
};

}  // namespace velmok::config
