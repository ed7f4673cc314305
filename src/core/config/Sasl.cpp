#include "config/Sasl.h"

#include "base/Common.h"
#include "base/Cp932.h"
#include "config/Iniaccess.h"
#include "config/Profiles.h"

namespace velmok::config {

namespace {

const char* const CertificateSuffix = "/Certificate";

SaslMechanism ParseMechanism(const std::string& text) {
    if (base::SameAscii(text, "PLAIN")) return SaslMechanism::Plain;
    if (base::SameAscii(text, "EXTERNAL")) return SaslMechanism::External;
    return SaslMechanism::None;
}

// velmok.ini is Shift-JIS, a certificate's name the file system's (UTF-8). A
// name Shift-JIS cannot spell ("cfé") is written as its UTF-8 bytes, which
// read back as such: Shift-JIS text next to never passes for UTF-8.
std::string PathToIni(const std::string& path) {
    std::string sjis;
    return base::Utf8ToSjisExactly(path, sjis) ? sjis : path;
}

std::string PathFromIni(const std::string& stored) {
    for (std::size_t i = 0; i < stored.size();) {
        char32_t cp = 0;
        const std::size_t n =
            static_cast<unsigned char>(stored[i]) < 0x80 ? 1 : base::DecodeUtf8(stored, i, cp);
        if (n == 0) return base::SjisToUtf8(stored);
        i += n;
    }
    return stored;
}

}  // namespace

const char* MechanismName(SaslMechanism mechanism) {
    switch (mechanism) {
        case SaslMechanism::Plain:
            return "PLAIN";
        case SaslMechanism::External:
            return "EXTERNAL";
        case SaslMechanism::None:
            break;
    }
    return "";
}

std::string SaslStore::KeyOf(const std::string& host, const std::string& port) {
    return ProfileKey(host, port);
}

SaslChoice SaslStore::Find(const std::string& host, std::int32_t port, bool tls) const {
    for (const auto& [key, choice] : byKey_)
        if (KeyNamesConnection(key, host, port, tls)) return choice;
    return {};
}

SaslChoice SaslStore::Get(const std::string& host, const std::string& port) const {
    const auto it = byKey_.find(KeyOf(host, port));
    return it == byKey_.end() ? SaslChoice{} : it->second;
}

void SaslStore::Set(const std::string& host, const std::string& port, const SaslChoice& choice) {
    const std::string key = KeyOf(host, port);
    if (choice.Mechanism == SaslMechanism::None) {
        if (byKey_.erase(key) != 0) removed_.insert(key);
        return;
    }
    SaslChoice kept = choice;
    if (kept.Mechanism != SaslMechanism::External) kept.Certificate.clear();
    byKey_[key] = kept;
    removed_.erase(key);
}

void SaslStore::Load(const IniFile& ini) {
    byKey_.clear();
    removed_.clear();
    for (const std::string& key : ini.Keys(SaslSection)) {
        SaslChoice choice;
        choice.Mechanism = ParseMechanism(ini.ReadString(SaslSection, key, ""));
        if (choice.Mechanism == SaslMechanism::None || byKey_.count(key) != 0) continue;
        if (choice.Mechanism == SaslMechanism::External)
            choice.Certificate = PathFromIni(ini.ReadString(SaslSection, key + CertificateSuffix, ""));
        byKey_[key] = choice;
    }
}

void SaslStore::Save(IniFile& ini) const {
    for (const std::string& key : removed_) {
        ini.DeleteKey(SaslSection, key);
        ini.DeleteKey(SaslSection, key + CertificateSuffix);
    }
    for (const auto& [key, choice] : byKey_) {
        ini.WriteString(SaslSection, key, MechanismName(choice.Mechanism));
        if (choice.Mechanism == SaslMechanism::External && !choice.Certificate.empty())
            ini.WriteString(SaslSection, key + CertificateSuffix, PathToIni(choice.Certificate));
        else
            ini.DeleteKey(SaslSection, key + CertificateSuffix);
    }
}

}  // namespace velmok::config
