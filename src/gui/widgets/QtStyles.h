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
void InstallFontSubstitutions();

}  // namespace velmok::widgets
