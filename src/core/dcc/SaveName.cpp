#include "dcc/SaveName.h"

#include "base/Common.h"

namespace velmok::dcc {

namespace {

// Most file systems take 255 bytes per name; Shift-JIS becomes up to 1.5 times
// longer in UTF-8, so 160 leaves room.
constexpr std::size_t MaxNameBytes = 160;

}  // namespace

std::string SafeSaveName(const std::string& sjisName) {
    // The base name: what follows the last real separator.
    std::size_t start = 0;
    for (std::size_t i = 0; i < sjisName.size();) {
        const auto c = static_cast<unsigned char>(sjisName[i]);
        if (base::IsSjisLead(c) && i + 1 < sjisName.size() &&
            base::IsSjisTrail(static_cast<unsigned char>(sjisName[i + 1]))) {
            i += 2;
            continue;
        }
        ++i;
        if (c == '/' || c == '\\') start = i;
    }

    std::string name;
    for (std::size_t i = start; i < sjisName.size();) {
        const auto c = static_cast<unsigned char>(sjisName[i]);
        std::size_t len = 1;
        if (base::IsSjisLead(c) && i + 1 < sjisName.size() &&
            base::IsSjisTrail(static_cast<unsigned char>(sjisName[i + 1])))
            len = 2;
        const bool control = len == 1 && (c < 0x20 || c == 0x7F);
        const bool extraDot = c == '.' && (name.empty() || name.back() == '.');
        if (!control && !extraDot) {
            if (name.size() + len > MaxNameBytes) break;
            name.append(sjisName, i, len);
        }
        i += len;
    }
    return name.empty() ? NeutralSaveName : name;
}

}  // namespace velmok::dcc
