#include "ui/LogWriter.h"

#include <cstdio>

#include "base/Texts.h"
#include "session/Codec.h"

namespace velmok::ui {

namespace {

// Full-width Shift-JIS stand-in for a byte file names may not hold, or null.
const char* FullWidth(char c) {
    switch (c) {
        case '\\':
            return texts::FullWidthYen;
        case '/':
            return texts::FullWidthSlash;
        case ':':
            return texts::FullWidthColon;
        case '*':
            return texts::FullWidthAsterisk;
        case '?':
            return texts::FullWidthQuestion;
        case '"':
            return texts::FullWidthQuote;
        case '<':
            return texts::FullWidthLess;
        case '>':
            return texts::FullWidthGreater;
        case '|':
            return texts::FullWidthBar;
        default:
            return nullptr;
    }
}

}  // namespace

std::string LogFileName(const std::string& serverName, const std::string& windowName, const std::tm& date) {
    char day[32];
    std::snprintf(day, sizeof day, "_%04d%02d%02d.log", (date.tm_year + 1900) % 10000,
                  (date.tm_mon + 1) % 100, date.tm_mday % 100);
    std::string raw = serverName;
    if (!windowName.empty()) {
        raw += '-';
        raw += windowName;
    }
    raw += day;
    const std::string name = session::WireToSjis(raw);
    std::string out;
    out.reserve(name.size() + 8);
    for (char c : name) {
        if (const char* wide = FullWidth(c))
            out += wide;
        else
            out += c;
    }
    return out;
}

std::string LogLine(const std::string& stamp, const std::string& windowName, const std::string& text) {
    std::string line;
    line.reserve(stamp.size() + windowName.size() + text.size() + 3);
    line += stamp;
    if (!windowName.empty()) {
        line += session::WireToSjis(windowName);
        line += ' ';
    }
    line += text;
    line += "\r\n";
    return line;
}

bool AppendLogLine(const std::string& folder, const std::string& serverName, const std::string& windowName,
                   const std::tm& date, const std::string& stamp, const std::string& text) {
    const std::string name = LogFileName(serverName, windowName, date);
    // A NUL would cut the path short and send the line to some other file.
    if (name.find('\0') != std::string::npos || folder.find('\0') != std::string::npos) return false;
    const std::string path = folder + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) return false;
    const std::string line = LogLine(stamp, windowName, text);
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

}  // namespace velmok::ui
