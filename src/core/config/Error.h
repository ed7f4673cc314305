#pragma once
#include <string>

namespace velmok::config {

// Caption of every message box the program shows.
constexpr const char* kApplicationTitle = "Velmok 2.2";

// Number of entries in the error text table (0 means "no error").
constexpr int kErrorTextCount = 39;

// The Shift-JIS text of error number; empty for 0 and for numbers outside the table.
const std::string& ErrorText(int number);

}  // namespace velmok::config
