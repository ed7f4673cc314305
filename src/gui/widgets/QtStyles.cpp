#include "widgets/QtStyles.h"

#include <QFont>
#include <QStringList>
#include <QWidget>

#include "platform/QtText.h"
#include "ui/LineFormat.h"

namespace velmok::widgets {

using base::FontKind;
using ui::Overlay;
using ui::RunStyle;
using ui::StyleCount;
using ui::StyleFromIndex;
using ui::StyleIndex;

QColor ColourOf(config::Colour colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

void PinColours(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Text, text);
    widget->setPalette(pal);
    widget->setStyleSheet(
        QStringLiteral("%1 { background-color: %2; color: %3; }")
            .arg(QString::fromLatin1(widget->metaObject()->className()), background.name(), text.name()));
}

QTextCharFormat FormatOf(const config::FontSetting& font) {
    QTextCharFormat f;
    QFont qf(platform::FromSjis(font.Name));
    qf.setPointSize(font.Size > 0 ? font.Size : 11);
    qf.setBold(font.Bold);
    qf.setItalic(font.Italic);
    qf.setUnderline(font.Underline);
    qf.setStrikeOut(font.StrikeOut);
    f.setFont(qf);
    f.setForeground(ColourOf(font.Color));
    return f;
}

StyleTable::StyleTable(const config::Settings& settings)
    : fonts_(settings.Fonts), formats_(StyleCount), made_(StyleCount, false) {}

StyleTable::StyleTable(std::vector<QTextCharFormat> formats)
    : formats_(std::move(formats)), made_(formats_.size(), true) {}

const QTextCharFormat& StyleTable::operator[](std::size_t index) const {
    if (made_[index]) return formats_[index];
    const auto font = [this](FontKind kind) -> const config::FontSetting& {
        return fonts_[static_cast<std::size_t>(kind)];
    };
    const RunStyle style = StyleFromIndex(static_cast<int>(index));
    QTextCharFormat& f = formats_[index];
    if (style.overlay == Overlay::URL) {
        f = FormatOf(font(FontKind::URL));
    } else if (style.overlay == Overlay::Keyword) {
        f = FormatOf(font(FontKind::Keyword));
    } else {
        f = FormatOf(font(style.base));
        if (style.bold) f.setFontWeight(QFont::Bold);
        if (style.underline) f.setFontUnderline(true);
        if (style.italic) f.setFontItalic(true);
    }
    made_[index] = true;
    return f;
}

void InstallFontSubstitutions() {
    const QStringList fallbacks = {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                                   QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                                   QStringLiteral("Droid Sans Fallback")};
    for (const char* name : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "ＭＳ Ｐ明朝", "ＭＳ 明朝", "MS PGothic",
                             "MS Gothic", "MS UI Gothic"}) {
        QFont::insertSubstitutions(QString::fromUtf8(name), fallbacks);
    }
}

}  // namespace velmok::widgets
