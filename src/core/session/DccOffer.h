#pragma once
// DCC offers as text: the CTCP lines we send to invite a peer and the parsing
// of the offers peers send us. The CTCP handler reads offers, the DCC windows
// write them (their listening side is in dcc/Offer.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmok::session {

// A dotted IPv4 address as the one 32-bit number of an offer (first octet most
// significant); nothing when the text is not four decimal octets.
std::optional<std::uint32_t> AddressNumber(std::string_view dotted);
std::string DottedAddress(std::uint32_t address);

// "PRIVMSG nick :\x01DCC CHAT chat <address> <port>\x01\r\n"
std::string ChatOfferLine(const std::string& nick, std::uint32_t address, int port);
// "PRIVMSG nick :\x01DCC SEND <name> <address> <port> <size>\x01\r\n"; the name
// is already in ISO-2022-JP and goes out as it is.
std::string SendOfferLine(const std::string& nick, const std::string& jisName, std::uint32_t address,
                          int port, std::uint32_t size);

// What a peer offers us.
struct Offer {
    std::string FileName;  // SEND only, as received (wire form)
    std::string Address;   // dotted
    int Port = 0;
    std::uint32_t Size = 0;  // SEND only
};

// The fields after the DCC type: SEND takes file name, address, port and size,
// CHAT the word chat, address and port, separated by single blanks. Nothing
// when a field is missing, extra or not a plain decimal number, or when it
// cannot be used: address 0, a port outside 1..65535, a size that does not
// fit the protocol's 32 bits.
std::optional<Offer> ParseOffer(bool isSend, std::string_view fields);

}  // namespace velmok::session
