#include "config/Settings.h"

namespace velmok::config {

using base::FontKind;

FontSetting DefaultFont(FontKind kind) {
    FontSetting f;
    switch (kind) {
        case FontKind::URL:
            f.Color = 16776960;
            f.Underline = true;
            break;
        case FontKind::Notice:
            f.Color = 65280;
            f.Bold = true;
            break;
        case FontKind::CTCP:
            f.Color = 65535;
            f.Bold = true;
            break;
        case FontKind::Command:
            f.Color = 12632256;
            f.Bold = true;
            break;
        case FontKind::Error:
        case FontKind::Keyword:
            f.Color = 255;
            f.Bold = true;
            break;
        default:
            break;
    }
    return f;
}

std::array<FontSetting, base::FontKindCount> Settings::MakeDefaultFonts() {
    std::array<FontSetting, base::FontKindCount> fonts;
    for (int i = 0; i < base::FontKindCount; ++i) fonts[i] = DefaultFont(static_cast<FontKind>(i));
    return fonts;
}

}  // namespace velmok::config
