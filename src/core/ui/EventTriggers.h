#pragma once
#include <string>

namespace velmok::ui {

// Trigger pattern test: case-sensitive, "*" the only wildcard.
bool MatchPattern(const std::string& value, const std::string& pattern);
// Every occurrence of placeholder replaced by value, left to right; the
// inserted text is not scanned again.
std::string ReplaceAll(const std::string& text, const std::string& placeholder, const std::string& value);

}  // namespace velmok::ui
