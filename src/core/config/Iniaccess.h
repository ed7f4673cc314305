// INI files with the layout rules of the Windows profile functions: section and
// key names match without regard to ASCII case, values are trimmed of blanks,
// new sections go to the end of the file, new keys to the end of their section,
// and an existing key is replaced where it stands. Everything else in the file
// (comments, unknown sections and keys, blank lines) is kept as it is.
//
// The file is read once when the object is created. Writes change the copy in
// memory and are remembered; Flush() reads the file again, writes the
// remembered values over it and writes the whole file at once (CR LF line
// ends). So a save costs one file write instead of one per key, and what was
// added to the file by hand meanwhile stays.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmok::config {

class IniFile {
public:
    // Longest value text handed out by ReadString.
    static constexpr std::size_t MaxValueLength = 2047;

    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }

    // The value trimmed of surrounding spaces and tabs and cut to MaxValueLength
    // bytes (never inside a double-byte character); the default when the section
    // or the key is missing. A key that is present with an empty value gives "".
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal with an optional sign, or hexadecimal after "0x", "0X" or "$"
    // (a sign may precede the prefix). Anything else, including a number with
    // trailing text such as "12abc", or a value out of the 32-bit range, gives
    // the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // Any integer other than 0 is true; text that is no integer gives the default.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    // The key names of the first section with that name, in file order, as
    // spelt in the file; empty when the section is missing.
    std::vector<std::string> Keys(const std::string& section) const;

    // False, with nothing changed, when the section or key name cannot be stored
    // (empty, or holding a line break, "]" in a section or "=" in a key). A value
    // is cut at its first line break so it cannot add lines to the file.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int value);
    bool WriteBool(const std::string& section, const std::string& key, bool value);

    // Writes the values written since the last flush over the file as it is on
    // disk now (the file is not touched when that changes nothing). False when
    // the write failed, or when the file exists but cannot be read (writing it
    // would lose its contents); the file on disk is then unchanged and the
    // values stay pending for the next Flush().
    bool Flush();
    bool Dirty() const { return !pending_.empty(); }

    // The bytes Flush() writes.
    std::string Contents() const;

private:
    // Index of the header line of the first section with that name, or npos.
    std::size_t FindSection(const std::string& section) const;
    // Index of the first line of the section holding the key, or npos.
    std::size_t FindKey(std::size_t sectionLine, const std::string& key) const;
    // One past the last line of the section that starts at sectionLine.
    std::size_t SectionEnd(std::size_t sectionLine) const;

    // One value into the copy in memory.
    void Apply(const std::string& section, const std::string& key, const std::string& value);

    struct PendingWrite {
        std::string section, key, value;
    };

    std::string path_;
    std::vector<std::string> lines_;  // without line ends
    std::vector<PendingWrite> pending_;
};

}  // namespace velmok::config
