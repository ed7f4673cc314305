#include "config/Certificates.h"

#include <algorithm>

#include "config/Iniaccess.h"

namespace velmok::config {

namespace {

// Host names, IPv4 and IPv6 literals: letters, digits and ".-_:" only. That
// also keeps "=", ";", "[" and blanks, which an INI key cannot carry, out.
bool IsStorableHost(const std::string& host) {
    if (host.empty() || host.size() > 255) return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '-' || c == '_' || c == ':';
    });
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

bool IsFingerprint(const std::string& text) {
    if (text.size() != 32 * 3 - 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != ':') return false;
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

std::string CertificateStore::Find(const std::string& host) const {
    auto it = byHost_.find(LowerAscii(host));
    return it == byHost_.end() ? std::string() : it->second;
}

bool CertificateStore::Accept(const std::string& host, const std::string& fingerprint) {
    if (!IsStorableHost(host) || !IsFingerprint(fingerprint)) return false;
    byHost_[LowerAscii(host)] = fingerprint;
    return true;
}

void CertificateStore::Load(const IniFile& ini) {
    byHost_.clear();
    for (const std::string& host : ini.Keys(CertificatesSection)) {
        const std::string fingerprint = ini.ReadString(CertificatesSection, host, "");
        // The first entry of a host wins, as it does for every INI read.
        if (byHost_.count(LowerAscii(host)) == 0) Accept(host, fingerprint);
    }
}

void CertificateStore::Save(IniFile& ini) const {
    for (const auto& [host, fingerprint] : byHost_) ini.WriteString(CertificatesSection, host, fingerprint);
}

}  // namespace velmok::config
