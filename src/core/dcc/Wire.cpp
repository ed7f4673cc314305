#include "dcc/Wire.h"

#include "session/Codec.h"

namespace velmok::dcc {

std::array<char, 4> EncodeAck(std::uint32_t total) {
    return {static_cast<char>(total >> 24), static_cast<char>(total >> 16), static_cast<char>(total >> 8),
            static_cast<char>(total)};
}

std::optional<std::uint32_t> AckAssembler::Feed(std::string_view bytes) {
    std::optional<std::uint32_t> latest;
    for (const char c : bytes) {
        partial_ = (partial_ << 8) | static_cast<unsigned char>(c);
        if (++have_ == 4) {
            latest = partial_;
            partial_ = 0;
            have_ = 0;
        }
    }
    return latest;
}

void ChatFramer::Emit(std::string_view wire, std::vector<std::string>& out) {
    // Lines are cut at the LFs of the wire bytes, before decoding: an LF in
    // double-byte mode still ends the line, and how the network cut the
    // stream into reads cannot change what is shown. A peer that writes
    // UTF-8 is read as UTF-8, line by line.
    std::size_t start = 0;
    while (start < wire.size()) {
        const std::size_t lf = wire.find('\n', start);
        std::size_t end = lf == std::string_view::npos ? wire.size() : lf;
        const std::size_t next = lf == std::string_view::npos ? wire.size() : lf + 1;
        if (lf != std::string_view::npos && end > start && wire[end - 1] == '\r') --end;
        const std::string line(wire.substr(start, end - start));
        std::string text =
            session::IsUtf8Text(line) ? session::Utf8ToShiftJis(line) : session::JisToSjis(line, doubleByte_);
        if (!text.empty()) out.push_back(std::move(text));
        start = next;
    }
}

std::vector<std::string> ChatFramer::Feed(std::string_view bytes) {
    std::vector<std::string> lines;
    tail_.append(bytes);
    const std::size_t lastLf = tail_.rfind('\n');
    if (lastLf != std::string::npos) {
        Emit(std::string_view(tail_).substr(0, lastLf + 1), lines);
        tail_.erase(0, lastLf + 1);
    }
    if (tail_.size() > MaxTail) {
        Emit(tail_, lines);
        tail_.clear();
    }
    return lines;
}

std::vector<std::string> ChatFramer::Finish() {
    std::vector<std::string> lines;
    Emit(tail_, lines);
    tail_.clear();
    return lines;
}

}  // namespace velmok::dcc
