#include "base/Common.h"

#include <string_view>

namespace velmok::base {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsNickChar(char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    switch (c) {
        case '-':
        case '[':
        case '\\':
        case ']':
        case '^':
        case '_':
        case '`':
        case '{':
        case '|':
        case '}':
            return true;
        default:
            return false;
    }
}

}  // namespace

int NickCheck(const std::string& nick) {
    // An empty nick is not a usable nick; say so instead of passing it.
    if (nick.empty()) return 13;
    static constexpr std::string_view kReserved = "anonymous";
    if (nick.size() == kReserved.size()) {
        bool same = true;
        for (std::size_t i = 0; i < nick.size() && same; ++i) same = LowerAscii(nick[i]) == kReserved[i];
        if (same) return 21;
    }
    if ((nick[0] >= '0' && nick[0] <= '9') || nick[0] == '-') return 22;
    for (char c : nick) {
        if (!IsNickChar(c)) return 23;
    }
    return 0;
}

int ChannelCheck(const std::string& name) {
    for (char c : name) {
        if (c == '\x07') return 26;
        if (c == ' ') return 24;
        if (c == ',') return 25;
    }
    return 0;
}

std::string WindowsVersionName(PlatformFamily family, unsigned major, unsigned minor) {
    if (family == PlatformFamily::Windows9x && major == 4) {
        if (minor == 0) return "Windows 95";
        if (minor == 10) return "Windows 98";
        if (minor == 90) return "Windows Me";
    } else if (family == PlatformFamily::WindowsNT) {
        if (major == 4) return "Windows NT" + std::to_string(major) + "." + std::to_string(minor);
        if (major == 5 && minor == 0) return "Windows 2000";
        if (major == 5 && minor == 1) return "Windows XP";
    }
    return {};
}

// We do not run on the Windows versions the table knows, so the reply carries
// no system name here.
std::string WindowsVersionName() { return WindowsVersionName(PlatformFamily::Other, 0, 0); }

std::string UnsignedToDecimal(std::uint32_t n) {
    if (n == 0) return {};
    char digits[10];
    int count = 0;
    while (n != 0) {
        digits[count++] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    std::string out;
    out.reserve(count);
    while (count > 0) out.push_back(digits[--count]);
    return out;
}

// A trail byte only exists after a lead byte, and every byte before the first
// lead byte is a single-byte character, so the first lead byte decides. A lead
// byte cut off at the end still marks the text as not plain single-byte.
// Half-width katakana (0xA1..0xDF) are single-byte and do not count.
bool HasDoubleByte(const std::string& text) {
    for (char c : text) {
        if (IsSjisLead(static_cast<unsigned char>(c))) return true;
    }
    return false;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool SameAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace velmok::base
