#pragma once
// Byte-level framing of the two DCC connections: the acknowledgements of a
// file transfer and the lines of a chat. Both take the bytes of each read as
// they come, split anywhere.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmok::dcc {

// File data leaves in blocks of at most this many bytes, one block in flight.
constexpr std::size_t BlockSize = 1024;

// The receiver's running total as the 4-byte big-endian acknowledgement.
std::array<char, 4> EncodeAck(std::uint32_t total);

// Assembles the sender's view of the acknowledgements: 4-byte big-endian
// totals that may arrive split over reads or several in one read.
class AckAssembler {
public:
    // Takes the bytes of one read; returns the latest total completed by
    // them, or nothing when they complete none. A partial total is kept.
    std::optional<std::uint32_t> Feed(std::string_view bytes);

private:
    std::uint32_t partial_ = 0;
    int have_ = 0;
};

// Cuts the byte stream of a chat into lines. A line ends at LF (a CR right
// before it is dropped) and is converted from ISO-2022-JP to Shift-JIS whole,
// so neither a line nor an escape sequence split across reads is torn apart.
// The shift state runs on from line to line as the sender wrote it, whatever
// reads the lines came in. Empty lines are dropped, as they show nothing.
class ChatFramer {
public:
    // An unfinished line longer than this is shown as it is, so a peer that
    // never ends its line cannot make the buffer grow without end.
    static constexpr std::size_t MaxTail = 64 * 1024;

    // The complete lines of the stream so far, in order.
    std::vector<std::string> Feed(std::string_view bytes);
    // The unfinished tail, as a last line, when the peer has gone.
    std::vector<std::string> Finish();

    std::size_t Pending() const { return tail_.size(); }

private:
    void Emit(std::string_view wire, std::vector<std::string>& out);
    std::string tail_;
    bool doubleByte_ = false;  // the shift state after the last line taken
};

}  // namespace velmok::dcc
