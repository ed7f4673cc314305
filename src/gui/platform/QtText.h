#pragma once
#include <QString>
#include <string>

namespace velmok::platform {

// Shift-JIS (code page 932, with the NEC and IBM extensions) to Unicode for
// display. Bytes that are not valid Shift-JIS become U+FFFD.
QString FromSjis(const std::string& sjis);

// Unicode to code page 932. Characters it cannot hold are dropped.
std::string ToSjis(const QString& text);

// UTF-8 to code page 932 when every character has a form there; false (and
// nothing dropped silently) otherwise.
bool Utf8ToSjisExactly(const std::string& utf8, std::string& sjis);

}  // namespace velmok::platform
