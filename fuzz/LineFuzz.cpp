// Line splitting and parsing of what a server sends, cut into reads anywhere.
#include <vector>

#include "FuzzSupport.h"
#include "session/IrcMessage.h"

using namespace velmok::session;

namespace {

std::vector<std::string> TakeAll(std::string& buffer) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (auto line = NextLine(buffer, pos)) lines.push_back(*line);
    buffer.erase(0, pos);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmok::fuzz::Bytes in(data, size);
    const std::size_t cut = in.Byte() * 256u + in.Byte();
    const std::string input = in.Rest();

    // All at once, by offset.
    std::string whole = input;
    const std::vector<std::string> lines = TakeAll(whole);

    // The same bytes in two reads, the way a socket may hand them over, and
    // taken one line at a time.
    std::string buffer = input.substr(0, std::min(cut, input.size()));
    std::vector<std::string> again = TakeAll(buffer);
    buffer += input.substr(std::min(cut, input.size()));
    while (auto line = NextLine(buffer)) again.push_back(*line);
    FUZZ_CHECK(again == lines);
    FUZZ_CHECK(buffer == whole);

    for (const std::string& line : lines) {
        FUZZ_CHECK(!line.empty() && line.find('\n') == std::string::npos);
        const std::optional<IrcMessage> msg = ParseLine(line, "srv");
        // A line is a message when, past its tags and the blanks after them,
        // a blank still follows the first word.
        std::string body = line;
        if (body.front() == '@') {
            const std::size_t start = body.find_first_not_of(' ', body.find(' '));
            body =
                body.find(' ') == std::string::npos || start == std::string::npos ? "" : body.substr(start);
        }
        FUZZ_CHECK(msg.has_value() == (body.find(' ') != std::string::npos));
        if (!msg) continue;
        FUZZ_CHECK(msg->Nick().find('!') == std::string::npos);
        // The command and every parameter are pieces of the line.
        for (int i = 1; i <= 16; ++i) FUZZ_CHECK(line.find((*msg)[i]) != std::string::npos);
    }

    // An unfinished tail is capped; complete lines before it are kept.
    std::string pending = input;
    const bool trimmed = TrimPendingLine(pending);
    const std::size_t lastLf = input.rfind('\n');
    const std::size_t tail = input.size() - (lastLf == std::string::npos ? 0 : lastLf + 1);
    FUZZ_CHECK(trimmed == (tail > MaxPendingLine));
    FUZZ_CHECK(input.compare(0, pending.size(), pending) == 0);
    return 0;
}
