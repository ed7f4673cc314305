#pragma once
#include <QTextCharFormat>
#include <vector>

#include "config/Settings.h"

namespace velmok::widgets {

// The style table shared by every view, indexed like StyleIndex of the line
// formatter: each base font with the bold/underline/italic toggles, then the
// URL and keyword overlays.
std::vector<QTextCharFormat> BuildStyleTable(const config::Settings& settings);

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
