// Connection profiles: the checks of the seven edited fields and of the auto-join
// line, and the profile text kept in memory and in "Connections". The engine
// copies a profile into a session slot (session::FillSession).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmok::config {

// Index of each field in the vector given to ProfileCheck (the file's line order).
enum ProfileField {
    FieldHost,
    FieldPort,
    FieldPassword,
    FieldNick,
    FieldAwayNick,
    FieldUserName,
    FieldRealName,
    ProfileCheckedFieldCount
};

// 0 when host, port, password, nick, away nick, user name and real name
// (fields[0..6]) make an acceptable profile, else the error message number.
// Missing trailing fields count as empty. When failed is given and the result
// is not 0, it names the field that failed.
int ProfileCheck(const std::vector<std::string>& fields, ProfileField* failed = nullptr);

// A field's label as the connection editor shows it ("Host", "Nick(Away)", ...);
// ProfileCheckedFieldCount stands for the auto-join channel list.
const char* ProfileFieldName(ProfileField field);

// 1 when the auto-join line is well formed, 0 when it is not (a yes/no answer,
// unlike the message numbers of ProfileCheck).
int AutoJoinCheck(const std::string& line);

// The port field as a signed 32-bit number: decimal with an optional sign, or
// hexadecimal after "$", "0x" or "0X". False when it is no such number.
bool PortToInteger(const std::string& text, std::int32_t& value);

// A port written with a leading "+" ("+6697") asks for a TLS connection.
bool PortUsesTls(const std::string& port);
// The port field of the connection editor's edit and tick box: "+" in front
// when TLS is ticked, unless the text has it already.
std::string PortWithTls(const std::string& port, bool tls);

// What velmok.ini keeps for a profile beside "Connections" (its SASL login,
// its wire encoding) is keyed by host + ":" + the port field as the profile
// writes it, "+" included.
std::string ProfileKey(const std::string& host, const std::string& port);
// Whether such a key names a connection: the host matches with ASCII case
// ignored, the port reads as the same number with the same TLS choice.
bool KeyNamesConnection(const std::string& key, const std::string& host, std::int32_t port, bool tls);

struct ConnectionProfile {
    std::string Host;
    std::string Port;
    std::string Password;
    std::string Nick;
    std::string AwayNick;
    std::string UserName;
    std::string RealName;
    std::string AutoJoin;
    bool operator==(const ConnectionProfile&) const = default;
};

// One channel of an auto-join line.
struct AutoJoinChannel {
    bool Ticked = false;  // joined automatically after registration
    std::string Name;
    std::string Key;  // may be empty
    bool operator==(const AutoJoinChannel&) const = default;
};

// Profiles of the profile text, eight CR LF-terminated fields each; an incomplete
// last profile is left out.
std::vector<ConnectionProfile> ParseProfileText(const std::string& text);
std::string BuildProfileText(const std::vector<ConnectionProfile>& profiles);

// The channels of an auto-join line, in order.
std::vector<AutoJoinChannel> ReadAutoJoin(const std::string& line);
// Each channel as flag, blank, name, blank, key, blank.
std::string BuildAutoJoin(const std::vector<AutoJoinChannel>& channels);

// One profile of the "Connections" file as stored, with the outcome of the
// checks that decide whether it is loaded.
struct ProfileFileEntry {
    ConnectionProfile Profile;
    bool Loaded = false;
    // When not loaded: the failing field (ProfileCheckedFieldCount for the
    // auto-join line) and ProfileCheck's message number (0 for the auto-join line).
    ProfileField FailedField = FieldHost;
    int Message = 0;
};

// Every complete profile of the "Connections" file in the folder, in file
// order, loaded or not; empty when the file is missing.
std::vector<ProfileFileEntry> ReadProfileEntries(const std::string& folder);

// The profile's seven checked fields in ProfileCheck order.
std::vector<std::string> CheckedFields(const ConnectionProfile& profile);

}  // namespace velmok::config
