#include "config/Error.h"

#include <array>

#include "base/Texts.h"

namespace velmok::config {

const std::string& ErrorText(int number) {
    static const std::array<std::string, kErrorTextCount> kTexts = {
        "",
        texts::Error1,
        texts::Error2,
        texts::Error3,
        texts::Error4,
        texts::Error5,
        texts::Error6,
        texts::Error7,
        texts::Error8,
        texts::Error9,
        texts::Error10,
        texts::Error11,
        texts::Error12,
        texts::Error13,
        texts::Error14,
        texts::Error15,
        texts::Error16,
        texts::Error17,
        texts::Error18,
        texts::Error19,
        texts::Error20,
        texts::Error21,
        texts::Error22,
        texts::Error23,
        texts::Error24,
        texts::Error25,
        texts::Error26,
        texts::Error27,
        texts::Error28,
        texts::Error29,
        texts::Error30,
        texts::Error31,
        texts::Error32,
        texts::Error33,
        texts::Error34,
        texts::Error35,
        texts::Error36,
        texts::Error37,
        texts::Error38,
    };
    static const std::string kNone;
    if (number < 0 || number >= kErrorTextCount) return kNone;
    return kTexts[static_cast<std::size_t>(number)];
}

}  // namespace velmok::config
