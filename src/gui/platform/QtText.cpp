#include "platform/QtText.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <string_view>

#include "base/Cp932.h"

namespace velmok::platform {

namespace {

// ICU's "windows-31j" keeps 0x5C a backslash and 0x7E a tilde and knows the
// vendor rows (0x8740 "①", 0xFA40 "ⅰ"); plain "Shift_JIS" is the fallback
// for a Qt built without ICU aliases.
const char* CodecName() {
    static const char* name = QStringDecoder("windows-31j").isValid() ? "windows-31j" : "Shift_JIS";
    return name;
}

// ICU's table swaps these three control codes the IBM way; the Windows code
// page keeps them as they are. None of them can be the second byte of a
// double-byte character, so they are passed around the converter.
bool IsSwappedControl(unsigned code) { return code == 0x1A || code == 0x1C || code == 0x7F; }

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

QString DecodeRun(std::string_view bytes) {
    if (bytes.empty()) return {};
    // Opening the converter costs more than most lines; a stateless one
    // carries nothing from one run to the next.
    thread_local QStringDecoder decoder(CodecName(), QStringConverter::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    // ICU stands U+001A in for bytes it cannot read (a real 0x1A never gets
    // here); show the usual mark instead.
    text.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    // A lead byte cut off at the end vanishes silently in the decoder.
    std::size_t i = 0;
    while (i < bytes.size()) i += IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i > bytes.size()) text.append(QChar(QChar::ReplacementCharacter));
    return text;
}

std::string ToStd(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string EncodeRun(QStringView text) {
    if (text.isEmpty()) return {};
    {
        QStringEncoder encoder(CodecName());
        const QByteArray whole = encoder.encode(text);
        if (!encoder.hasError()) return ToStd(whole);
    }
    // Something does not fit: go character by character. The forms input
    // methods type for JIS X 0208 characters (U+301C for "～", U+2212 for
    // "－", ...) become those characters; what has no code at all is left out
    // instead of letting the converter write a substitute.
    std::string out;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            length = 2;
        QStringEncoder encoder(CodecName());
        const QByteArray piece = encoder.encode(text.mid(i, length));
        if (!encoder.hasError()) {
            out += ToStd(piece);
        } else if (const std::uint16_t code = base::Cp932Code(text.at(i).unicode());
                   length == 1 && code != 0) {
            out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        }
        i += length;
    }
    return out;
}

}  // namespace

QString FromSjis(const std::string& sjis) {
    // Plain ASCII (most of what is shown) is its own Unicode, the three
    // controls below included.
    if (std::all_of(sjis.begin(), sjis.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(sjis.data(), static_cast<qsizetype>(sjis.size()));
    QString text;
    std::size_t start = 0;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto byte = static_cast<unsigned char>(sjis[i]);
        if (!IsSwappedControl(byte)) continue;
        text += DecodeRun(std::string_view(sjis).substr(start, i - start));
        text += QChar(byte);
        start = i + 1;
    }
    text += DecodeRun(std::string_view(sjis).substr(start));
    return text;
}

std::string ToSjis(const QString& text) {
    std::string out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t code = text.at(i).unicode();
        if (!IsSwappedControl(code)) continue;
        out += EncodeRun(QStringView(text).mid(start, i - start));
        out += static_cast<char>(code);
        start = i + 1;
    }
    out += EncodeRun(QStringView(text).mid(start));
    return out;
}

std::string ToLocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromLocalPath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

session::TypedText ReadTyped(const QString& text, config::WireEncoding encoding) {
    return session::ReadTyped(text.toStdString(), encoding);
}

TypedChange ReadTypedChange(const QString& text, config::WireEncoding encoding) {
    TypedChange change;
    const qsizetype lastBreak =
        std::max(text.lastIndexOf(QLatin1Char('\n')), text.lastIndexOf(QLatin1Char('\r')));
    if (lastBreak < 0) return change;
    change.hasLineBreak = true;
    change.complete = ReadTyped(text.left(lastBreak + 1), encoding);
    change.remainder = text.mid(lastBreak + 1);
    return change;
}

}  // namespace velmok::platform
