#pragma once
#include <ctime>
#include <string>

namespace velmok::ui {

// "S_yyyymmdd.log" for a server window (windowName empty), else
// "S-W_yyyymmdd.log". The whole name goes through WireToSjis, then every byte
// that file names may not hold (\ / : * ? " < > |) becomes its full-width
// Shift-JIS form. Bytes are tested one at a time, trail bytes included, so the
// same channel always lands in the same file.
std::string LogFileName(const std::string& serverName, const std::string& windowName, const std::tm& date);

// "hh:mm " + [WireToSjis(windowName) + " "] + text + CR LF; text byte for byte.
std::string LogLine(const std::string& stamp, const std::string& windowName, const std::string& text);

// Appends one log line to folder + "/" + LogFileName(...): opens, appends and
// closes the file per line (binary, so CR LF stays as written). Returns false,
// touching nothing, when the folder is missing or the file cannot be written;
// the caller shows the line anyway and reports nothing.
bool AppendLogLine(const std::string& folder, const std::string& serverName, const std::string& windowName,
                   const std::tm& date, const std::string& stamp, const std::string& text);

}  // namespace velmok::ui
