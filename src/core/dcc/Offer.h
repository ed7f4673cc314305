#pragma once
// The listening side of the DCC offers we make: the port search and the
// address a peer is told. The offer lines themselves are in session/DccOffer.h,
// beside the CTCP handler that reads the offers of others.
#include <cstdint>
#include <memory>
#include <optional>

#include "session/DccOffer.h"
#include "session/Socket.h"

namespace velmok::session {
class Engine;
}

namespace velmok::dcc {

// Listening starts at this port and moves up while ports are taken.
constexpr int FirstPort = 10000;
// Further ports tried after the first one is taken (10000..10100 in all).
constexpr int PortRetries = 100;

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
