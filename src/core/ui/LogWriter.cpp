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

bool LogFiles::Append(const std::string& path, const std::string& bytes) {
    auto it = open_.begin();
    while (it != open_.end() && it->path != path) ++it;
    if (it == open_.end()) {
        // A handful is plenty: a run seldom touches more than a few windows.
        constexpr std::size_t kMostOpen = 8;
        if (open_.size() >= kMostOpen) {
            std::fclose(open_.front().file);
            open_.erase(open_.begin());
        }
        std::FILE* file = std::fopen(path.c_str(), "ab");
        if (file == nullptr) return false;
        open_.push_back({path, file});
        it = open_.end() - 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), it->file) == bytes.size();
    if (written && std::fflush(it->file) == 0) return true;
    std::fclose(it->file);
    open_.erase(it);
    return false;
}

void LogFiles::Close() {
    for (const OpenFile& f : open_) std::fclose(f.file);
    open_.clear();
}

bool AppendLogLine(LogFiles& files, const std::string& folder, const std::string& serverName,
                   const std::string& windowName, const std::tm& date, const std::string& stamp,
                   const std::string& text) {
    const std::string name = LogFileName(serverName, windowName, date);
    // A NUL would cut the path short and send the line to some other file.
    if (name.find('\0') != std::string::npos || folder.find('\0') != std::string::npos) return false;
    return files.Append(folder + "/" + name, LogLine(stamp, windowName, text));
}

bool AppendLogLine(const std::string& folder, const std::string& serverName, const std::string& windowName,
                   const std::tm& date, const std::string& stamp, const std::string& text) {
    LogFiles files;
    return AppendLogLine(files, folder, serverName, windowName, date, stamp, text);
}

}  // namespace velmok::ui
