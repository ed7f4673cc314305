// What a connection profile's server reads: ISO-2022-JP, as this client has
// always written, or UTF-8, as many networks write Japanese today.
// "Connections" keeps its eight lines a profile, so the choice lives in
// velmok.ini, section "Encoding", keyed as "SASL" is (ProfileKey: "host:port",
// the port with its "+" for TLS), value "ISO-2022-JP" or "UTF-8".
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace velmok::config {

class IniFile;

inline constexpr const char* EncodingSection = "Encoding";

enum class WireEncoding { Iso2022Jp, Utf8 };

// "ISO-2022-JP" or "UTF-8".
const char* EncodingName(WireEncoding encoding);

class EncodingStore {
public:
    // The encoding of a connection (KeyNamesConnection); ISO-2022-JP when no
    // key names it.
    WireEncoding Find(const std::string& host, std::int32_t port, bool tls) const;
    // The encoding kept under exactly this profile's key.
    WireEncoding Get(const std::string& host, const std::string& port) const;
    // ISO-2022-JP, the default, is kept as no entry (and the key goes from
    // the file at the next Save).
    void Set(const std::string& host, const std::string& port, WireEncoding encoding);

    // Replaces the entries with those of the section; a value that names
    // neither encoding leaves its key at the default.
    void Load(const IniFile& ini);
    // Writes every entry, and removes the keys of entries taken away.
    void Save(IniFile& ini) const;

    bool operator==(const EncodingStore& other) const { return utf8_ == other.utf8_; }

private:
    std::set<std::string> utf8_;  // keys as written whose server reads UTF-8
    std::set<std::string> removed_;
};

}  // namespace velmok::config
