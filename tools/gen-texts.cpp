// Turns the program's text table (UTF-8, one named text a line) into the
// Shift-JIS constants the core keeps, at build time:
//     gen-texts TABLE OUTPUT_FOLDER
// writes OUTPUT_FOLDER/Texts.h (one constant per text, namespace
// velmok::texts) and OUTPUT_FOLDER/TextCatalog.h (every text with its name
// and UTF-8 form, for the checks of the test suite).
//
// A table line is a name, blanks, and the text in double quotes; \n, \" and
// \\ are the only escapes. Empty lines and lines starting with # are skipped.
// A text code page 932 cannot hold, a name used twice or a text written twice
// stops the build with the line at fault.
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Text {
    std::string name;
    std::string utf8;
    std::string sjis;
    int line = 0;
};

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// Code page 932 bytes of a UTF-8 text; nothing when a character has no form there.
std::optional<std::string> ToCp932(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    const std::size_t result = iconv(cd, &in, &inLeft, &to, &toLeft);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - toLeft);
    return out;
}

// A C++ string literal of the bytes. A hex escape would swallow a following
// hex digit, so the literal is split there.
std::string Literal(const std::string& bytes, bool asUtf8) {
    std::string out = "\"";
    bool afterHex = false;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool hexDigit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (afterHex && hexDigit) out += "\" \"";
        afterHex = false;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c >= 0x20 && c < 0x7F) {
            out += ch;
        } else if (asUtf8 && c >= 0x80) {
            out += ch;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
            afterHex = true;
        }
    }
    return out + "\"";
}

// The text as a comment: line ends shown as \n so the comment stays one line.
std::string Comment(const std::string& utf8) {
    std::string out;
    for (const char c : utf8) out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

bool Fail(const std::string& table, int line, const std::string& message) {
    std::cerr << table << ":" << line << ": " << message << "\n";
    return false;
}

bool ParseLine(const std::string& table, int number, const std::string& line, std::vector<Text>& texts) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size() || line[i] == '#') return true;
    Text text;
    text.line = number;
    if (!IsNameStart(line[i])) return Fail(table, number, "a line starts with the name of its text");
    while (i < line.size() && IsNameChar(line[i])) text.name += line[i++];
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size() || line[i] != '"') return Fail(table, number, "the text is missing its opening \"");
    for (++i;; ++i) {
        if (i >= line.size()) return Fail(table, number, "the text is missing its closing \"");
        if (line[i] == '"') break;
        if (line[i] != '\\') {
            text.utf8 += line[i];
            continue;
        }
        if (++i >= line.size()) return Fail(table, number, "the text ends inside an escape");
        if (line[i] == 'n') {
            text.utf8 += '\n';
        } else if (line[i] == '"' || line[i] == '\\') {
            text.utf8 += line[i];
        } else {
            return Fail(table, number, std::string("unknown escape \\") + line[i]);
        }
    }
    for (++i; i < line.size(); ++i) {
        if (line[i] != ' ' && line[i] != '\t') return Fail(table, number, "nothing may follow the text");
    }
    const std::optional<std::string> sjis = ToCp932(text.utf8);
    if (!sjis) return Fail(table, number, text.name + ": code page 932 cannot hold this text");
    text.sjis = *sjis;
    texts.push_back(std::move(text));
    return true;
}

bool ReadTable(const std::string& table, std::vector<Text>& texts) {
    std::ifstream in(table, std::ios::binary);
    if (!in) return Fail(table, 0, "cannot be read");
    std::string line;
    bool ok = true;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ok = ParseLine(table, number, line, texts) && ok;
    }
    std::map<std::string, int> names;
    std::map<std::string, const Text*> bodies;
    for (const Text& t : texts) {
        if (const auto [it, fresh] = names.emplace(t.name, t.line); !fresh)
            ok = Fail(table, t.line, t.name + " is already the name of line " + std::to_string(it->second));
        if (const auto [it, fresh] = bodies.emplace(t.utf8, &t); !fresh)
            ok = Fail(table, t.line, "the same text as " + it->second->name + ": use that one");
    }
    return ok;
}

bool Write(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    if (!out) std::cerr << path << ": cannot be written\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: gen-texts TABLE OUTPUT_FOLDER\n";
        return 2;
    }
    const std::string table = argv[1];
    const std::string folder = argv[2];
    std::vector<Text> texts;
    if (!ReadTable(table, texts)) return 1;

    std::ostringstream header;
    const char* const origin =
        "// Generated at build time from the text table src/core/base/Texts.txt; edit the table.\n";
    header << origin << "// Every Japanese text of the program as the Shift-JIS bytes the core keeps.\n"
           << "#pragma once\n\nnamespace velmok::texts {\n\n";
    for (const Text& t : texts)
        header << "inline constexpr char " << t.name << "[] = " << Literal(t.sjis, false) << ";  // "
               << Comment(t.utf8) << "\n";
    header << "\n}  // namespace velmok::texts\n";

    std::ostringstream catalog;
    catalog << origin << "// Every text of base/Texts.h with its name and the UTF-8 it was written in.\n"
            << "#pragma once\n#include <string_view>\n\n#include \"base/Texts.h\"\n\n"
            << "namespace velmok::texts {\n\nstruct CatalogEntry {\n    std::string_view name;\n"
            << "    std::string_view sjis;\n    std::string_view utf8;\n};\n\n"
            << "inline constexpr CatalogEntry Catalog[] = {\n";
    for (const Text& t : texts)
        catalog << "    {\"" << t.name << "\", " << t.name << ", " << Literal(t.utf8, true) << "},\n";
    catalog << "};\n\n}  // namespace velmok::texts\n";

    return Write(folder + "/Texts.h", header.str()) && Write(folder + "/TextCatalog.h", catalog.str()) ? 0
                                                                                                       : 1;
}
