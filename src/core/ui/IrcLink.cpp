#include "ui/IrcLink.h"

#include <array>
#include <cctype>
#include <string_view>

#include "base/Common.h"
#include "session/Codec.h"

namespace velmok::ui {

namespace {

bool PercentDecode(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = base::HexDigitValue(text[i + 1]);
        const int low = base::HexDigitValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool IsUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        if (c < 0x80) {
            extra = 0;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

// Decodes one part of the link into Shift-JIS.
bool DecodePart(const std::string& raw, const Utf8ToShiftJis& toSjis, std::string& sjis) {
    std::string bytes;
    if (!PercentDecode(raw, bytes)) return false;
    for (char c : bytes) {
        // Line breaks and NUL would end or cut the IRC line the text goes into.
        if (c == '\r' || c == '\n' || c == '\0') return false;
    }
    if (IsAscii(bytes) && bytes.find('\x1b') == std::string::npos) {
        sjis = bytes;
    } else if (bytes.find('\x1b') != std::string::npos) {
        sjis = session::JisToSjis(bytes);
    } else if (IsUtf8(bytes)) {
        return toSjis(bytes, sjis);
    } else {
        sjis = bytes;
    }
    return true;
}

// The flags of the older irc: link drafts, which may follow the channel.
bool IsLinkFlag(const std::string& item) {
    static const std::array<const char*, 5> kFlags = {"isnick", "ischannel", "isserver", "needkey",
                                                      "needpass"};
    for (const char* flag : kFlags) {
        if (item == flag) return true;
    }
    return false;
}

}  // namespace

int ParseIrcLink(const std::string& text, const Utf8ToShiftJis& toSjis, IrcLink& link) {
    link = IrcLink{};
    std::string lower;
    for (std::size_t i = 0; i < text.size() && i < 7; ++i)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    std::size_t at = 0;
    if (lower.starts_with("irc://")) {
        at = 6;
    } else if (lower.starts_with("ircs://")) {
        at = 7;
        link.Tls = true;
        link.Port = kIrcsPort;
    } else {
        return kLinkMalformed;
    }

    const std::size_t authorityEnd = text.find_first_of("/?", at);
    std::string authority =
        text.substr(at, authorityEnd == std::string::npos ? std::string::npos : authorityEnd - at);
    // A user name before "@" says nothing the profile does not.
    if (const std::size_t userEnd = authority.rfind('@'); userEnd != std::string::npos)
        authority.erase(0, userEnd + 1);

    std::string host;
    std::string port;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) return kLinkMalformed;
        host = authority.substr(1, close - 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty() && after[0] != ':') return kLinkMalformed;
        if (!after.empty()) port = after.substr(1);
    } else {
        const std::size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        if (colon != std::string::npos) port = authority.substr(colon + 1);
    }
    std::string decodedHost;
    if (!PercentDecode(host, decodedHost)) return kLinkMalformed;
    host = decodedHost;
    if (host.empty()) return 6;
    if (host.find(' ') != std::string::npos) return 14;
    for (char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) return 15;
        if (u < 0x20 || u == 0x7F) return kLinkMalformed;
    }
    link.Host = host;
    if (!port.empty()) {
        if (port.size() > 5) return 16;
        int number = 0;
        for (char c : port) {
            if (c < '0' || c > '9') return 16;
            number = number * 10 + (c - '0');
        }
        if (number < 1 || number > 65535) return 16;
        link.Port = number;
    }

    if (authorityEnd == std::string::npos || text[authorityEnd] == '?') return 0;
    std::string path = text.substr(authorityEnd + 1);
    path = path.substr(0, path.find('?'));
    if (path.empty()) return 0;

    // CHANNEL[,KEY][,flag]...: the commas that separate are the unescaped ones.
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = path.find(',', start);
        items.push_back(path.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    bool isNick = false;
    std::string rawKey;
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (items[i] == "isnick") isNick = true;
        if (!IsLinkFlag(items[i]) && rawKey.empty()) rawKey = items[i];
    }
    // A link to a person connects only: there is no channel to join.
    if (isNick) return 0;

    std::string channel;
    if (!DecodePart(items[0], toSjis, channel)) return kLinkMalformed;
    if (channel.empty()) return 0;
    if (std::string_view("#&+!").find(channel[0]) == std::string_view::npos) channel = "#" + channel;
    if (int check = base::ChannelCheck(channel); check != 0) return check;
    std::string key;
    if (!DecodePart(rawKey, toSjis, key)) return kLinkMalformed;
    if (key.find(' ') != std::string::npos) return 27;
    link.Channel = channel;
    link.Key = key;
    return 0;
}

config::ConnectionProfile LinkProfile(const IrcLink& link, const config::ConnectionProfile& identity) {
    config::ConnectionProfile profile;
    profile.Host = link.Host;
    profile.Port = config::PortWithTls(std::to_string(link.Port), link.Tls);
    profile.Nick = identity.Nick;
    profile.AwayNick = identity.AwayNick;
    profile.UserName = identity.UserName;
    profile.RealName = identity.RealName;
    if (!link.Channel.empty()) profile.AutoJoin = config::BuildAutoJoin({{true, link.Channel, link.Key}});
    return profile;
}

}  // namespace velmok::ui
