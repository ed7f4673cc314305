#pragma once
#include <QTextCharFormat>
#include <array>
#include <vector>

#include "config/Settings.h"

namespace velmok::widgets {

// The style table shared by every view, indexed like StyleIndex of the line
// formatter: each base font with the bold/underline/italic toggles, then the
// URL and keyword overlays. A style is made the first time a line uses it:
// most of the ninety never are, and each made one holds a font of its own.
class StyleTable {
public:
    // The styles of the settings' fonts as they are now.
    explicit StyleTable(const config::Settings& settings);
    // Styles made already.
    explicit StyleTable(std::vector<QTextCharFormat> formats);

    const QTextCharFormat& operator[](std::size_t index) const;
    std::size_t size() const { return formats_.size(); }
    bool empty() const { return formats_.empty(); }

private:
    std::array<config::FontSetting, base::FontKindCount> fonts_{};
    mutable std::vector<QTextCharFormat> formats_;
    mutable std::vector<bool> made_;
};

// A settings font as a character format. The stored name is kept in the
// settings; names missing on this system fall back to an installed Japanese
// font through the substitutions below.
QTextCharFormat FormatOf(const config::FontSetting& font);
QColor ColourOf(config::Colour colour);
// Text and background of an editor or list that show the user's colours: its
// own style sheet, which outranks the application's and the desktop's.
void PinColours(QWidget* widget, const QColor& background, const QColor& text);
void InstallFontSubstitutions();

}  // namespace velmok::widgets
