// Feeds arbitrary bytes through the receive path (line splitting, parsing,
// wire decoding) and the send path (encoding), as a hostile server would.
// Build from the repository root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src
//       fuzz/CodecFuzz.cpp src/session/Codec.cpp src/session/IrcMessage.cpp
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "session/Codec.h"
#include "session/IrcMessage.h"

using namespace velmok::session;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::string buffer = input;
    TrimPendingLine(buffer);
    std::size_t pos = 0;
    while (auto line = NextLine(buffer, pos)) {
        if (line->empty() || line->find('\n') != std::string::npos) std::abort();
        if (auto msg = ParseLine(*line, "srv")) {
            for (const std::string& field : msg->Field) {
                const std::string sjis = JisToSjis(field);
                // Shift-JIS text that came off the wire must survive a round trip.
                if (JisToSjis(SjisToJis(sjis)).size() > sjis.size() * 2 + 1) std::abort();
            }
        }
    }
    if (pos > buffer.size()) std::abort();

    std::string copy = input;
    while (NextLine(copy)) {
    }

    // Encoding never leaves the wire in double-byte mode (unless the text
    // itself carried escape bytes, which pass through as data).
    const std::string wire = SjisToJis(input);
    if (input.find('\x1b') == std::string::npos && wire.find('\x1b') != std::string::npos &&
        wire.rfind('\x1b') != wire.rfind("\x1b(B"))
        std::abort();
    JisToSjis(input);
    WidenKana(input);
    return 0;
}
