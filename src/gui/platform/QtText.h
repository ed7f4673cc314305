#pragma once
#include <QString>
#include <string>

#include "session/Codec.h"

namespace velmok::platform {

// Shift-JIS (code page 932, with the NEC and IBM extensions) to Unicode for
// display. Bytes that are not valid Shift-JIS become U+FFFD.
QString FromSjis(const std::string& sjis);

// Unicode to code page 932. The forms input methods type for JIS X 0208
// characters become those characters; characters it cannot hold are dropped.
std::string ToSjis(const QString& text);

// Paths and file names are the file system's bytes (UTF-8 here), never
// Shift-JIS: from a widget or dialog to open() and back.
std::string ToLocalPath(const QString& path);
QString FromLocalPath(const std::string& path);

// Typed text on its way to the wire, as session::ReadTyped reads it for a
// server of that encoding.
session::TypedText ReadTyped(const QString& text,
                             config::WireEncoding encoding = config::WireEncoding::Iso2022Jp);

// An input field's text after a change, cut after its last line break: the
// complete lines before it read as typed text (line breaks kept), and the
// unfinished line after it exactly as it stands.
struct TypedChange {
    bool hasLineBreak = false;
    session::TypedText complete;
    QString remainder;
};
TypedChange ReadTypedChange(const QString& text,
                            config::WireEncoding encoding = config::WireEncoding::Iso2022Jp);

}  // namespace velmok::platform
