#include "dcc/Offer.h"

#include "session/Engine.h"

namespace velmok::dcc {

int ListenOnFreePort(session::ServerSocket& server, int& port) {
    port = FirstPort;
    for (int failures = 0;; ++port) {
        server.SetPort(port);
        const int code = server.Open();
        if (code == 0) return 0;
        ++failures;
        if (code != session::SocketError::AddressInUse || failures > PortRetries) return code;
    }
}

std::optional<std::uint32_t> OfferAddress(session::Engine& engine, int slot) {
    session::ClientSocket* irc = engine.Slot(slot).Socket.get();
    return irc ? session::AddressNumber(irc->LocalAddress()) : std::nullopt;
}

}  // namespace velmok::dcc
