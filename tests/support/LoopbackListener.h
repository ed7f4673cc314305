#pragma once
// A listening TCP socket on 127.0.0.1 and a port the system picked, for the
// scripted servers the benchmarks and the soak put in front of the client.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmok::testing {

// The listening socket, or -1 when none could be opened; `port` is its port.
inline int ListenOnLoopback(int& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) return -1;
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(listener);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return listener;
}

}  // namespace velmok::testing
