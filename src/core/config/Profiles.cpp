#include "config/Profiles.h"

#include <limits>

#include "base/Common.h"

namespace velmok::config {

namespace {

const std::string kLineEnd = "\r\n";
constexpr int kProfileLines = 8;

// Printable ASCII or half-width katakana; lead and trail bytes of double-byte
// characters and control characters are not single-byte characters.
bool IsSingleByteChar(unsigned char c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF); }

bool AllSingleByte(const std::string& text) {
    for (char c : text) {
        if (!IsSingleByteChar(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool HasBlank(const std::string& text) { return text.find(' ') != std::string::npos; }

// The nick rules shared by the nick and the away nick (blank, double-byte, NickCheck).
int NickRules(const std::string& nick) {
    if (HasBlank(nick)) return 19;
    if (!AllSingleByte(nick)) return 20;
    return base::NickCheck(nick);
}

// Cuts the text before the first blank off `rest` (and the blank); without a blank
// the whole rest is the field.
std::string TakeField(std::string& rest) {
    const auto blank = rest.find(' ');
    std::string field = rest.substr(0, blank);
    rest.erase(0, blank == std::string::npos ? rest.size() : blank + 1);
    return field;
}

}  // namespace

bool PortToInteger(const std::string& text, std::int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    // Accumulate as a magnitude so that the most negative value still fits.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = base::HexDigitValue(text[i]);
        if (digit < 0 || digit >= base) return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

int ProfileCheck(const std::vector<std::string>& fields, ProfileField* failed) {
    auto field = [&fields](ProfileField index) -> const std::string& {
        static const std::string kEmpty;
        return static_cast<std::size_t>(index) < fields.size() ? fields[index] : kEmpty;
    };
    ProfileField ignored = FieldHost;
    ProfileField& at = failed ? *failed : ignored;

    at = FieldHost;
    const std::string& host = field(FieldHost);
    if (host.empty()) return 6;
    if (HasBlank(host)) return 14;
    if (!AllSingleByte(host)) return 15;

    at = FieldPort;
    const std::string& port = field(FieldPort);
    if (port.empty()) return 7;
    std::int32_t portNumber = 0;
    if (!PortToInteger(port, portNumber)) return 16;
    if (!AllSingleByte(port)) return 16;

    at = FieldNick;
    const std::string& nick = field(FieldNick);
    if (nick.empty()) return 13;
    if (int result = NickRules(nick); result != 0) return result;

    at = FieldAwayNick;
    const std::string& awayNick = field(FieldAwayNick);
    if (!awayNick.empty()) {
        if (int result = NickRules(awayNick); result != 0) return result;
    }

    at = FieldUserName;
    const std::string& user = field(FieldUserName);
    if (user.empty()) return 8;
    if (HasBlank(user)) return 17;
    if (!AllSingleByte(user)) return 18;

    at = FieldRealName;
    if (field(FieldRealName).empty()) return 9;
    return 0;
}

const char* ProfileFieldName(ProfileField field) {
    switch (field) {
        case FieldHost:
            return "Host";
        case FieldPort:
            return "Port";
        case FieldPassword:
            return "Password";
        case FieldNick:
            return "Nick";
        case FieldAwayNick:
            return "Nick(Away)";
        case FieldUserName:
            return "User";
        case FieldRealName:
            return "Real Name";
        case ProfileCheckedFieldCount:
            break;
    }
    return "Channel";
}

int AutoJoinCheck(const std::string& line) {
    if (!line.empty() && !HasBlank(line)) return 0;
    std::string rest = line;
    for (;;) {
        const auto blank = rest.find(' ');
        if (blank == std::string::npos) return 1;
        std::int32_t flag = 0;
        if (!PortToInteger(rest.substr(0, blank), flag)) return 0;
        rest.erase(0, blank + 1);
        const auto nameEnd = rest.find(' ');
        if (nameEnd == std::string::npos || nameEnd == 0) return 0;
        rest.erase(0, nameEnd + 1);
        if (rest.empty()) return 0;
        const auto keyEnd = rest.find(' ');
        // A key without its closing blank ends the line.
        rest.erase(0, keyEnd == std::string::npos ? rest.size() : keyEnd + 1);
    }
}

std::vector<ConnectionProfile> ParseProfileText(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(kLineEnd, start);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + kLineEnd.size();
    }
    std::vector<ConnectionProfile> profiles;
    for (std::size_t i = 0; i + kProfileLines <= lines.size(); i += kProfileLines) {
        profiles.push_back(ConnectionProfile{lines[i], lines[i + 1], lines[i + 2], lines[i + 3], lines[i + 4],
                                             lines[i + 5], lines[i + 6], lines[i + 7]});
    }
    return profiles;
}

std::string BuildProfileText(const std::vector<ConnectionProfile>& profiles) {
    std::string text;
    for (const ConnectionProfile& p : profiles) {
        for (const std::string* f :
             {&p.Host, &p.Port, &p.Password, &p.Nick, &p.AwayNick, &p.UserName, &p.RealName, &p.AutoJoin}) {
            text += *f;
            text += kLineEnd;
        }
    }
    return text;
}

std::vector<AutoJoinChannel> ReadAutoJoin(const std::string& line) {
    std::vector<AutoJoinChannel> channels;
    std::string rest = line;
    while (HasBlank(rest)) {
        std::int32_t flag = 0;
        // A flag that is no number only occurs in lines that failed the check; leave it unticked.
        const bool ticked = PortToInteger(TakeField(rest), flag) && flag != 0;
        std::string name = TakeField(rest);
        std::string key = TakeField(rest);
        if (name.empty()) continue;
        channels.push_back(AutoJoinChannel{ticked, std::move(name), std::move(key)});
    }
    return channels;
}

std::string BuildAutoJoin(const std::vector<AutoJoinChannel>& channels) {
    std::string line;
    for (const AutoJoinChannel& c : channels) {
        line += c.Ticked ? "1 " : "0 ";
        line += c.Name;
        line += ' ';
        line += c.Key;
        line += ' ';
    }
    return line;
}

std::vector<std::string> CheckedFields(const ConnectionProfile& p) {
    return {p.Host, p.Port, p.Password, p.Nick, p.AwayNick, p.UserName, p.RealName};
}

bool PortUsesTls(const std::string& port) { return !port.empty() && port[0] == '+'; }

std::string PortWithTls(const std::string& port, bool tls) {
    return tls && !PortUsesTls(port) ? "+" + port : port;
}

std::string ProfileKey(const std::string& host, const std::string& port) { return host + ":" + port; }

bool KeyNamesConnection(const std::string& key, const std::string& host, std::int32_t port, bool tls) {
    // The host itself may hold ":" (an IPv6 literal): the port is what
    // follows the last one.
    const std::size_t colon = key.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == key.size()) return false;
    if (!base::SameAscii(key.substr(0, colon), host)) return false;
    const std::string keyPort = key.substr(colon + 1);
    const bool keyTls = PortUsesTls(keyPort);
    std::int32_t number = 0;
    return PortToInteger(keyTls ? keyPort.substr(1) : keyPort, number) && number == port && keyTls == tls;
}

}  // namespace velmok::config
