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

std::vector<QTextCharFormat> BuildStyleTable(const config::Settings& settings) {
    std::vector<QTextCharFormat> table(StyleCount);
    for (int i = 0; i < StyleCount; ++i) {
        const RunStyle style = StyleFromIndex(i);
        if (style.overlay == Overlay::URL) {
            table[i] = FormatOf(settings.Font(FontKind::URL));
        } else if (style.overlay == Overlay::Keyword) {
            table[i] = FormatOf(settings.Font(FontKind::Keyword));
        } else {
            QTextCharFormat f = FormatOf(settings.Font(style.base));
            if (style.bold) f.setFontWeight(QFont::Bold);
            if (style.underline) f.setFontUnderline(true);
            if (style.italic) f.setFontItalic(true);
            table[i] = f;
        }
    }
    return table;
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
