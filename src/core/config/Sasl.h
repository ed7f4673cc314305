// The SASL login chosen for a connection profile. "Connections" keeps its
// eight lines a profile, so the choice lives in velmok.ini, section "SASL":
// one key per profile as the profile writes host and port ("host:port", the
// port with its "+" for TLS), value "PLAIN" or "EXTERNAL"; for EXTERNAL the
// client certificate file (PEM with its key) in the key "host:port/Certificate",
// in Shift-JIS like the rest of the file, or as its UTF-8 bytes when Shift-JIS
// cannot spell it ("cfé").
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace velmok::config {

class IniFile;

inline constexpr const char* SaslSection = "SASL";

enum class SaslMechanism { None, Plain, External };

struct SaslChoice {
    SaslMechanism Mechanism = SaslMechanism::None;
    // EXTERNAL: the certificate file, the file system's name (UTF-8).
    std::string Certificate;
    bool operator==(const SaslChoice&) const = default;
};

// "PLAIN", "EXTERNAL" or "".
const char* MechanismName(SaslMechanism mechanism);

class SaslStore {
public:
    // The key of a profile: host + ":" + the port field as written.
    static std::string KeyOf(const std::string& host, const std::string& port);

    // The choice for a connection: a key whose host matches (ASCII case
    // ignored) and whose port reads as the same number and the same TLS
    // choice. None when there is no such key.
    SaslChoice Find(const std::string& host, std::int32_t port, bool tls) const;
    // The choice kept under exactly this profile's key.
    SaslChoice Get(const std::string& host, const std::string& port) const;
    // Keeps the choice for a profile; None removes its entry (and the key
    // from the file at the next Save).
    void Set(const std::string& host, const std::string& port, const SaslChoice& choice);

    // Replaces the entries with those of the section; values that name no
    // mechanism are left out.
    void Load(const IniFile& ini);
    // Writes every entry, and removes the keys of entries taken away.
    void Save(IniFile& ini) const;

    const std::map<std::string, SaslChoice>& Entries() const { return byKey_; }
    bool operator==(const SaslStore& other) const { return byKey_ == other.byKey_; }

private:
    std::map<std::string, SaslChoice> byKey_;  // key as written
    std::set<std::string> removed_;
};

}  // namespace velmok::config
