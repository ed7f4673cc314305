#pragma once
#include <string>

namespace velmok::session {

// True when text is a dotted IPv4 address: exactly four parts separated by
// ".", each a decimal number from 0 to 255. Anything else is a host name.
bool IsNumericAddress(const std::string& text);

}  // namespace velmok::session
