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

void ChatFramer::Emit(std::string_view wire, std::vector<std::string>& out) const {
    // One conversion for the whole run of lines: an escape sequence stays in
    // force across line ends as the sender wrote it.
    const std::string text = session::WireToSjis(std::string(wire));
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        std::size_t end = lf == std::string::npos ? text.size() : lf;
        const std::size_t next = lf == std::string::npos ? text.size() : lf + 1;
        if (lf != std::string::npos && end > start && text[end - 1] == '\r') --end;
        if (end > start) out.emplace_back(text, start, end - start);
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
