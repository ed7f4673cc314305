#include "config/Iniaccess.h"

#include <cstdint>
#include <filesystem>
#include <utility>

#include "config/FileIo.h"

namespace velmok::config {

namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// "[name]" with blanks allowed around the brackets and the name.
bool ParseSection(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.empty() || t[0] != '[') return false;
    std::size_t close = t.find(']');
    if (close == npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// "key=value"; lines starting with ";" are comments.
bool ParseKey(const std::string& line, std::string& key, std::string* value) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    std::size_t eq = t.find('=');
    if (eq == npos) return false;
    key = Trim(t.substr(0, eq));
    if (value != nullptr) {
        // A CR inside a line (a file edited by hand) ends the value, as it
        // does when a value is written: what is read is what a save keeps.
        const std::string rest = t.substr(eq + 1);
        *value = Trim(rest.substr(0, rest.find('\r')));
    }
    return true;
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != npos; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A whole-text integer: [+|-] decimal digits, or [+|-] ("0x" | "0X" | "$") hex
// digits. Hexadecimal covers the full 32 bits (so $FFFFFFFF is -1), decimal must
// fit a signed 32-bit number.
bool ParseInteger(const std::string& text, int& out) {
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
    if (i == text.size()) return false;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        int d = base == 16 ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (d < 0) return false;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull) return false;
    }
    std::int64_t result;
    if (base == 16) {
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else {
        result = static_cast<std::int64_t>(value);
    }
    if (negative) result = -result;
    if (result < INT32_MIN || result > INT32_MAX) return false;
    out = static_cast<int>(result);
    return true;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        std::size_t end = lf == npos ? bytes.size() : lf;
        std::size_t textEnd = (end > start && bytes[end - 1] == '\r') ? end - 1 : end;
        lines.push_back(bytes.substr(start, textEnd - start));
        start = lf == npos ? bytes.size() : lf + 1;
    }
    return lines;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    std::string bytes;
    if (ReadFile(path_, bytes)) lines_ = SplitLines(bytes);
}

std::size_t IniFile::FindSection(const std::string& section) const {
    std::string name;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (ParseSection(lines_[i], name) && SameName(name, section)) return i;
    }
    return npos;
}

std::size_t IniFile::SectionEnd(std::size_t sectionLine) const {
    std::string name;
    for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        if (ParseSection(lines_[i], name)) return i;
    }
    return lines_.size();
}

std::size_t IniFile::FindKey(std::size_t sectionLine, const std::string& key) const {
    std::string name;
    std::size_t end = SectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
        if (ParseKey(lines_[i], name, nullptr) && SameName(name, key)) return i;
    }
    return npos;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    std::size_t sectionLine = FindSection(section);
    if (sectionLine == npos) return defaultValue;
    std::size_t keyLine = FindKey(sectionLine, key);
    if (keyLine == npos) return defaultValue;
    std::string name;
    std::string value;
    ParseKey(lines_[keyLine], name, &value);
    value.resize(SjisPrefixLength(value, MaxValueLength));
    return value;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
    // A key's own text never matches the marker, so the marker means "missing".
    const std::string missing = "\n";
    std::string text = ReadString(section, key, missing);
    int value = 0;
    if (text == missing || !ParseInteger(text, value)) return defaultValue;
    return value;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> IniFile::Keys(const std::string& section) const {
    std::vector<std::string> keys;
    std::size_t sectionLine = FindSection(section);
    if (sectionLine == npos) return keys;
    std::string name;
    std::size_t end = SectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i)
        if (ParseKey(lines_[i], name, nullptr)) keys.push_back(name);
    return keys;
}

bool IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (Trim(section).empty() || HasLineBreak(section) || section.find(']') != npos) return false;
    if (Trim(key).empty() || HasLineBreak(key) || key.find('=') != npos) return false;
    const std::string safeValue = value.substr(0, value.find_first_of("\r\n"));
    Apply(section, key, safeValue);
    // Remembered for the flush, which writes it over the file as it is then;
    // a later write of the same key replaces the earlier one.
    for (PendingWrite& w : pending_) {
        if (SameName(w.section, section) && SameName(w.key, key)) {
            w.value = safeValue;
            return true;
        }
    }
    pending_.push_back({section, key, safeValue});
    return true;
}

void IniFile::Apply(const std::string& section, const std::string& key, const std::string& value) {
    std::size_t sectionLine = FindSection(section);
    if (sectionLine == npos) {
        lines_.push_back("[" + section + "]");
        lines_.push_back(key + "=" + value);
        return;
    }
    std::size_t keyLine = FindKey(sectionLine, key);
    if (keyLine != npos) {
        // The key keeps the spelling it has in the file.
        std::string name;
        ParseKey(lines_[keyLine], name, nullptr);
        lines_[keyLine] = name + "=" + value;
        return;
    }
    // A new key goes after the section's last non-blank line, so blank lines that
    // separate it from the next section stay where they are.
    std::size_t insertAt = SectionEnd(sectionLine);
    while (insertAt > sectionLine + 1 && Trim(lines_[insertAt - 1]).empty()) --insertAt;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), key + "=" + value);
}

bool IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Contents() const {
    std::string bytes;
    for (const std::string& line : lines_) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

bool IniFile::Flush() {
    if (pending_.empty()) return true;
    // The file as it is now: sections and keys added by hand while the program
    // ran stay, and ours are written over it, as one write per value would do.
    std::string bytes;
    const bool read = ReadFile(path_, bytes);
    std::error_code ec;
    // A file that exists but cannot be read must not be replaced by one that
    // holds only the keys written during this run.
    if (!read && std::filesystem::symlink_status(path_, ec).type() != std::filesystem::file_type::not_found)
        return false;
    lines_ = SplitLines(bytes);
    for (const PendingWrite& w : pending_) Apply(w.section, w.key, w.value);
    const std::string contents = Contents();
    if ((!read || contents != bytes) && !WriteFileAtomically(path_, contents)) return false;
    pending_.clear();
    return true;
}

}  // namespace velmok::config
