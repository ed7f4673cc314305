#include "session/DccOffer.h"

#include <charconv>
#include <system_error>
#include <vector>

namespace velmok::session {

namespace {

// Plain decimal digits only (no sign, no blanks), within the range of T.
template <typename T>
std::optional<T> ParseDigits(std::string_view s) {
    if (s.empty() || s.front() < '0' || s.front() > '9') return std::nullopt;
    T value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitBlanks(std::string_view s) {
    std::vector<std::string_view> out;
    while (true) {
        const std::size_t blank = s.find(' ');
        out.push_back(s.substr(0, blank));
        if (blank == std::string_view::npos) break;
        s.remove_prefix(blank + 1);
    }
    return out;
}

}  // namespace

std::optional<std::uint32_t> AddressNumber(std::string_view dotted) {
    std::uint32_t value = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = dotted.find('.');
        if ((part < 3) == (dot == std::string_view::npos)) return std::nullopt;
        const std::string_view digits = dotted.substr(0, dot);
        if (digits.size() > 3) return std::nullopt;
        const auto octet = ParseDigits<unsigned>(digits);
        if (!octet || *octet > 255) return std::nullopt;
        value = (value << 8) | *octet;
        dotted = dot == std::string_view::npos ? std::string_view() : dotted.substr(dot + 1);
    }
    return value;
}

std::string DottedAddress(std::uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." +
           std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF);
}

std::string ChatOfferLine(const std::string& nick, std::uint32_t address, int port) {
    return "PRIVMSG " + nick + " :\x01" + "DCC CHAT chat " + std::to_string(address) + " " +
           std::to_string(port) + "\x01\r\n";
}

std::string SendOfferLine(const std::string& nick, const std::string& jisName, std::uint32_t address,
                          int port, std::uint32_t size) {
    return "PRIVMSG " + nick + " :\x01" + "DCC SEND " + jisName + " " + std::to_string(address) + " " +
           std::to_string(port) + " " + std::to_string(size) + "\x01\r\n";
}

std::optional<Offer> ParseOffer(bool isSend, std::string_view fields) {
    const std::vector<std::string_view> f = SplitBlanks(fields);
    if (f.size() != (isSend ? 4u : 3u)) return std::nullopt;
    const auto address = ParseDigits<std::uint32_t>(f[1]);
    const auto port = ParseDigits<std::uint32_t>(f[2]);
    // Address 0 and ports outside 1..65535 cannot be connected to.
    if (!address || *address == 0 || !port || *port == 0 || *port > 65535) return std::nullopt;
    Offer offer;
    offer.Address = DottedAddress(*address);
    offer.Port = static_cast<int>(*port);
    if (isSend) {
        // The acknowledgements count in 32 bits: a larger file would end early
        // and look complete, so such an offer is refused.
        const auto size = ParseDigits<std::uint32_t>(f[3]);
        if (!size || f[0].empty()) return std::nullopt;
        offer.FileName = std::string(f[0]);
        offer.Size = *size;
    }
    return offer;
}

}  // namespace velmok::session
