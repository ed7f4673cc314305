#include "platform/QtText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace velmok::platform {

namespace {

// ICU's "windows-31j" keeps 0x5C a backslash and 0x7E a tilde and knows the
// vendor rows (0x8740 "①", 0xFA40 "ⅰ"); plain "Shift_JIS" is the fallback
// for a Qt built without ICU aliases.
const char* CodecName() {
    static const char* name = QStringDecoder("windows-31j").isValid() ? "windows-31j" : "Shift_JIS";
    return name;
}

std::string ToStd(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QString FromSjis(const std::string& sjis) {
    QStringDecoder decoder(CodecName());
    return decoder.decode(QByteArrayView(sjis.data(), static_cast<qsizetype>(sjis.size())));
}

std::string ToSjis(const QString& text) {
    {
        QStringEncoder encoder(CodecName());
        const QByteArray whole = encoder.encode(text);
        if (!encoder.hasError()) return ToStd(whole);
    }
    // Something does not fit: go character by character and leave out what
    // the converter cannot map instead of letting it write a substitute.
    std::string out;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            length = 2;
        QStringEncoder encoder(CodecName());
        const QByteArray piece = encoder.encode(QStringView(text).mid(i, length));
        if (!encoder.hasError()) out += ToStd(piece);
        i += length;
    }
    return out;
}

}  // namespace velmok::platform
