#include "config/Encoding.h"

#include "base/Common.h"
#include "config/Iniaccess.h"
#include "config/Profiles.h"

namespace velmok::config {

const char* EncodingName(WireEncoding encoding) {
    return encoding == WireEncoding::Utf8 ? "UTF-8" : "ISO-2022-JP";
}

WireEncoding EncodingStore::Find(const std::string& host, std::int32_t port, bool tls) const {
    for (const std::string& key : utf8_)
        if (KeyNamesConnection(key, host, port, tls)) return WireEncoding::Utf8;
    return WireEncoding::Iso2022Jp;
}

WireEncoding EncodingStore::Get(const std::string& host, const std::string& port) const {
    return utf8_.count(ProfileKey(host, port)) != 0 ? WireEncoding::Utf8 : WireEncoding::Iso2022Jp;
}

void EncodingStore::Set(const std::string& host, const std::string& port, WireEncoding encoding) {
    const std::string key = ProfileKey(host, port);
    if (encoding == WireEncoding::Utf8) {
        utf8_.insert(key);
        removed_.erase(key);
    } else if (utf8_.erase(key) != 0) {
        removed_.insert(key);
    }
}

void EncodingStore::Load(const IniFile& ini) {
    utf8_.clear();
    removed_.clear();
    for (const std::string& key : ini.Keys(EncodingSection)) {
        const std::string value = ini.ReadString(EncodingSection, key, "");
        if (base::SameAscii(value, "UTF-8") || base::SameAscii(value, "UTF8")) utf8_.insert(key);
    }
}

void EncodingStore::Save(IniFile& ini) const {
    for (const std::string& key : removed_) ini.DeleteKey(EncodingSection, key);
    for (const std::string& key : utf8_)
        ini.WriteString(EncodingSection, key, EncodingName(WireEncoding::Utf8));
}

}  // namespace velmok::config
