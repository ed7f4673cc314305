#include "session/IrcMessage.h"

#include <cstdint>
#include <string_view>

namespace velmok::session {

// A line is the text before LF, without a CR just before the LF and without
// one trailing blank; lines that end up empty are skipped.
std::optional<std::string> NextLine(const std::string& buffer, std::size_t& pos) {
    while (pos < buffer.size()) {
        const std::size_t lf = buffer.find('\n', pos);
        if (lf == std::string::npos) return std::nullopt;
        std::size_t end = lf;
        if (end > pos && buffer[end - 1] == '\r') --end;
        if (end > pos && buffer[end - 1] == ' ') --end;
        const std::size_t start = pos;
        pos = lf + 1;
        if (end > start) return buffer.substr(start, end - start);
    }
    return std::nullopt;
}

std::optional<std::string> NextLine(std::string& buffer) {
    std::size_t pos = 0;
    std::optional<std::string> line = NextLine(buffer, pos);
    // Empty lines passed over are consumed even when no complete line follows.
    buffer.erase(0, pos);
    return line;
}

// Only the unfinished text after the last LF can be overlong; complete lines
// before it are still waiting to be taken. The caller skips the rest of the
// dropped line when it arrives.
bool TrimPendingLine(std::string& buffer) {
    const std::size_t lastLf = buffer.rfind('\n');
    const std::size_t tailStart = lastLf == std::string::npos ? 0 : lastLf + 1;
    if (buffer.size() - tailStart <= MaxPendingLine) return false;
    buffer.erase(tailStart);
    return true;
}

namespace {

// A tag value with its escapes undone: "\:" is ";", "\s" a blank, "\\" a
// backslash, "\r" and "\n" CR and LF; before any other character the
// backslash is dropped, and a backslash at the end is dropped too.
std::string UnescapeTagValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) break;
        switch (value[i]) {
            case ':':
                out += ';';
                break;
            case 's':
                out += ' ';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            default:
                out += value[i];
        }
    }
    return out;
}

void ParseTags(std::string_view text, IrcMessage& msg) {
    while (!text.empty()) {
        const std::size_t semicolon = text.find(';');
        const std::string_view tag = text.substr(0, semicolon);
        text.remove_prefix(semicolon == std::string_view::npos ? text.size() : semicolon + 1);
        if (tag.empty()) continue;
        const std::size_t equals = tag.find('=');
        std::string key(tag.substr(0, equals));
        if (key.empty()) continue;
        msg.Tags.emplace_back(std::move(key), equals == std::string_view::npos
                                                  ? std::string()
                                                  : UnescapeTagValue(tag.substr(equals + 1)));
    }
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The decimal number of `width` digits at `at`, or -1.
int Digits(std::string_view text, std::size_t at, std::size_t width) {
    if (at + width > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<std::time_t> ParseServerTime(std::string_view v) {
    const int year = Digits(v, 0, 4), month = Digits(v, 5, 2), day = Digits(v, 8, 2);
    const int hour = Digits(v, 11, 2), minute = Digits(v, 14, 2), second = Digits(v, 17, 2);
    if (v.size() < 20 || v[4] != '-' || v[7] != '-' || v[10] != 'T' || v[13] != ':' || v[16] != ':')
        return {};
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60)
        return {};
    std::size_t at = 19;
    if (v[at] == '.') {
        ++at;
        while (at < v.size() && v[at] >= '0' && v[at] <= '9') ++at;
    }
    if (at + 1 != v.size() || v[at] != 'Z') return {};
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return static_cast<std::time_t>(days * 86400 + hour * 3600 + minute * 60 + second);
}

std::optional<IrcMessage> ParseLine(const std::string& fullLine, const std::string& serverName) {
    IrcMessage msg;
    std::string_view line(fullLine);
    if (!line.empty() && line.front() == '@') {
        // The tags end at the first blank; the line proper starts after the
        // blanks that follow.
        const std::size_t end = line.find(' ');
        if (end == std::string_view::npos) return std::nullopt;
        ParseTags(line.substr(1, end - 1), msg);
        const std::size_t start = line.find_first_not_of(' ', end);
        if (start == std::string_view::npos) return std::nullopt;
        line.remove_prefix(start);
    }
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;

    const std::string_view first = line.substr(0, blank);
    int field;
    if (!first.empty() && first.front() == ':') {
        msg.Field[0].assign(first.substr(1));
        field = 1;
    } else {
        msg.Field[0] = serverName;
        msg.Field[1].assign(first);
        field = 2;
    }

    std::string_view rest = line.substr(blank + 1);
    constexpr int kLast = static_cast<int>(std::tuple_size_v<decltype(IrcMessage::Field)>) - 1;
    while (!rest.empty() && field <= kLast) {
        if (rest.front() == ':') {
            msg.Field[field].assign(rest.substr(1));
            break;
        }
        // No line carries more than fifteen parameters in practice; should one
        // do so, the last field keeps everything from the fifteenth parameter
        // on, blanks included, rather than losing it.
        if (field == kLast) {
            msg.Field[field].assign(rest);
            break;
        }
        const std::size_t next = rest.find(' ');
        if (next == std::string_view::npos) {
            msg.Field[field].assign(rest);
            break;
        }
        msg.Field[field].assign(rest.substr(0, next));
        rest.remove_prefix(next + 1);
        ++field;
    }

    msg.FullPrefix = msg.Field[0];
    const std::size_t bang = msg.Field[0].find('!');
    if (bang != std::string::npos) msg.Field[0].erase(bang);
    return msg;
}

}  // namespace velmok::session
