// The Japanese codec both ways and the kana widening. Text that converts must
// convert back unchanged, whether it comes from the input line (Shift-JIS)
// or off the wire (ISO-2022-JP).
#include "FuzzSupport.h"
#include "base/Common.h"
#include "base/Cp932.h"
#include "session/Codec.h"

using namespace velmok::session;
using velmok::base::IsSjisLead;
using velmok::base::IsSjisTrail;

namespace {

// Shift-JIS text every byte of which has a JIS X 0208 or ASCII form: no ESC
// (it would read as a mode switch on the way back), no lead byte without its
// trail byte and no pair outside JIS X 0208 (vendor rows, user-defined area).
bool Convertible(const std::string& sjis) {
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (c == 0x1b) return false;
        if (!IsSjisLead(c)) continue;
        if (i + 1 >= sjis.size() || !IsSjisTrail(static_cast<unsigned char>(sjis[i + 1])) ||
            !IsJisX0208(static_cast<std::uint16_t>(c << 8 | static_cast<unsigned char>(sjis[i + 1]))))
            return false;
        ++i;
    }
    return true;
}

void CheckRoundTrip(const std::string& sjis) {
    const std::string wire = SjisToJis(sjis);
    // What goes out always ends in single-byte mode, so the next line starts
    // clean (unless the text itself carried escape bytes, which pass as data).
    if (sjis.find('\x1b') == std::string::npos && wire.find("\x1b$B") != std::string::npos)
        FUZZ_CHECK(wire.rfind("\x1b(B") > wire.rfind("\x1b$B"));
    const std::string back = JisToSjis(wire);
    const std::string wide = WidenKana(sjis);
    if (Convertible(wide)) FUZZ_CHECK(back == wide);
    // Whatever survived one trip survives every further trip.
    if (Convertible(back)) FUZZ_CHECK(JisToSjis(SjisToJis(back)) == back);
    // Widening is done once and for all.
    FUZZ_CHECK(WidenKana(wide) == wide);
}

// Well-formed UTF-8 throughout (plain ASCII included).
bool WellFormedUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t n = velmok::base::DecodeUtf8(text, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// For a server that reads UTF-8: whatever the program holds goes out as
// well-formed UTF-8, and typed text that is not refused arrives as the echo
// shows it, half-width katakana and vendor characters included.
void CheckUtf8Wire(const std::string& input) {
    FUZZ_CHECK(WellFormedUtf8(SjisToWire(input, velmok::config::WireEncoding::Utf8)));
    const TypedText typed = ReadTyped(input, velmok::config::WireEncoding::Utf8);
    if (typed.Refused.empty())
        FUZZ_CHECK(Utf8ToShiftJis(SjisToWire(typed.Sjis, velmok::config::WireEncoding::Utf8)) == typed.Sjis);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckRoundTrip(input);
    // Off the wire: whatever a peer sent decodes to text that encodes back
    // to the same text.
    CheckRoundTrip(JisToSjis(input));
    // Typed text (UTF-8) that is not refused goes on the wire whole: what the
    // echo shows comes back from the wire as it is.
    const TypedText typed = ReadTyped(input);
    if (typed.Refused.empty() && typed.Sjis.find('\x1b') == std::string::npos)
        FUZZ_CHECK(JisToSjis(SjisToJis(typed.Sjis)) == WidenKana(typed.Sjis));
    if (!typed.Refused.empty()) FUZZ_CHECK(!RefusedText(typed.Refused).empty());
    CheckUtf8Wire(input);
    return 0;
}
