#pragma once
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace velmok::ui {

// "S_yyyymmdd.log" for a server window (windowName empty), else
// "S-W_yyyymmdd.log". The whole name goes through WireToSjis, then every byte
// that file names may not hold (\ / : * ? " < > |) becomes its full-width
// Shift-JIS form. Bytes are tested one at a time, trail bytes included, so the
// same channel always lands in the same file.
std::string LogFileName(const std::string& serverName, const std::string& windowName, const std::tm& date);

// "hh:mm " + [WireToSjis(windowName) + " "] + text + CR LF; text byte for byte.
std::string LogLine(const std::string& stamp, const std::string& windowName, const std::string& text);

// The log files written to during one run of received lines, kept open
// until Close() so that a flood does not open and close a file per line.
// Every line is handed to the system as it is appended; nothing waits in a
// buffer. The owner closes them when the run is over, so that a file moved
// or deleted meanwhile is made anew for the next line, as when each line
// opened its file.
class LogFiles {
public:
    LogFiles() = default;
    LogFiles(const LogFiles&) = delete;
    LogFiles& operator=(const LogFiles&) = delete;
    ~LogFiles() { Close(); }
    // Appends bytes to the file at path (binary, created when missing).
    bool Append(const std::string& path, const std::string& bytes);
    void Close();
    bool AnyOpen() const { return !open_.empty(); }

private:
    struct OpenFile {
        std::string path;
        std::FILE* file;
    };
    std::vector<OpenFile> open_;
};

// Appends one log line to folder + "/" + LogFileName(...) (binary, so CR LF
// stays as written), through files. Returns false, touching nothing, when
// the folder is missing or the file cannot be written; the caller shows the
// line anyway and reports nothing.
bool AppendLogLine(LogFiles& files, const std::string& folder, const std::string& serverName,
                   const std::string& windowName, const std::tm& date, const std::string& stamp,
                   const std::string& text);
// The same, opening and closing the file for this one line.
bool AppendLogLine(const std::string& folder, const std::string& serverName, const std::string& windowName,
                   const std::tm& date, const std::string& stamp, const std::string& text);

}  // namespace velmok::ui
