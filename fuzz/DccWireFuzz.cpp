// The two DCC byte streams, cut into reads anywhere: chat lines (with their
// ISO-2022-JP shifts) and the 4-byte acknowledgements of a file transfer.
// However the network cuts them, the same lines and totals come out.
#include <vector>

#include "FuzzSupport.h"
#include "dcc/Wire.h"

using namespace velmok::dcc;

namespace {

std::vector<std::string> FeedAll(ChatFramer& framer, const std::vector<std::string_view>& reads) {
    std::vector<std::string> lines;
    for (std::string_view bytes : reads) {
        for (std::string& line : framer.Feed(bytes)) lines.push_back(std::move(line));
        FUZZ_CHECK(framer.Pending() <= ChatFramer::MaxTail);
    }
    for (std::string& line : framer.Finish()) lines.push_back(std::move(line));
    FUZZ_CHECK(framer.Pending() == 0);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmok::fuzz::Bytes in(data, size);
    std::vector<std::size_t> cuts;
    for (int i = 0; i < 4; ++i) cuts.push_back(in.Byte());
    const std::string stream = in.Rest();

    std::vector<std::string_view> reads;
    std::string_view rest(stream);
    for (std::size_t cut : cuts) {
        cut = std::min(cut, rest.size());
        reads.push_back(rest.substr(0, cut));
        rest.remove_prefix(cut);
    }
    reads.push_back(rest);

    ChatFramer whole;
    const std::vector<std::string> expected = FeedAll(whole, {std::string_view(stream)});
    for (const std::string& line : expected) {
        FUZZ_CHECK(!line.empty());
        FUZZ_CHECK(line.find('\n') == std::string::npos);
    }
    ChatFramer pieces;
    FUZZ_CHECK(FeedAll(pieces, reads) == expected);

    AckAssembler one;
    AckAssembler split;
    const std::optional<std::uint32_t> total = one.Feed(stream);
    std::optional<std::uint32_t> last;
    for (std::string_view bytes : reads)
        if (const auto t = split.Feed(bytes)) last = t;
    FUZZ_CHECK(last == total);
    FUZZ_CHECK(total.has_value() == (stream.size() >= 4));
    if (total) {
        // The latest complete total is the last whole group of four bytes.
        const std::size_t at = stream.size() / 4 * 4 - 4;
        const auto ack = EncodeAck(*total);
        FUZZ_CHECK(stream.compare(at, 4, ack.data(), 4) == 0);
    }
    return 0;
}
