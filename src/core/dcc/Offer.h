#pragma once
// DCC offers: the CTCP lines we send to invite a peer, the parsing of the
// offers peers send us, and the listening port search they share.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "session/Socket.h"

namespace velmok::session {
class Engine;
}

namespace velmok::dcc {

// Listening starts at this port and moves up while ports are taken.
constexpr int FirstPort = 10000;
// Further ports tried after the first one is taken (10000..10100 in all).
constexpr int PortRetries = 100;

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

// Opens the listening socket on the first free port from FirstPort, moving on
// while the port is taken (error 10048), at most PortRetries times. Returns 0,
// or the error number of the last attempt.
int ListenOnFreePort(session::ServerSocket& server, int& port);

// The address a peer reaches us at: the one our connection to the slot's
// server leaves from, as the offer's number; nothing while that connection
// has no IPv4 address.
std::optional<std::uint32_t> OfferAddress(session::Engine& engine, int slot);

// A listening socket whose events go to the owner's handlers of the same
// names (ServerSocketListen, ServerSocketClientConnect, ...). Errors of the
// listener itself are consumed.
template <typename Owner>
std::unique_ptr<session::ServerSocket> CreateListener(session::SocketFactory& sockets, Owner& owner) {
    std::unique_ptr<session::ServerSocket> server = sockets.CreateServer();
    server->onListen = [&owner] { owner.ServerSocketListen(); };
    server->onClientConnect = [&owner](session::ClientSocket& c) { owner.ServerSocketClientConnect(c); };
    server->onClientRead = [&owner](session::ClientSocket& c) { owner.ServerSocketClientRead(c); };
    server->onClientDisconnect = [&owner](session::ClientSocket& c) {
        owner.ServerSocketClientDisconnect(c);
    };
    server->onClientError = [&owner](session::ClientSocket& c, int& code) {
        owner.ServerSocketClientError(c, code);
    };
    server->onError = [](int& code) { code = 0; };
    return server;
}

}  // namespace velmok::dcc
