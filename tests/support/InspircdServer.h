#pragma once
#include <sys/types.h>

#include <string>

namespace velmok::test {

// A private InspIRCd 3 for one test, on a free loopback port, that offers the
// IRCv3 capabilities (server-time, multi-prefix, away-notify, message-tags,
// cap-notify) and five member marks (~ & @ % +), any of which a channel
// operator may give.
class InspircdServer {
public:
    static constexpr const char* kBinary = "/usr/sbin/inspircd";
    InspircdServer() = default;
    ~InspircdServer();
    InspircdServer(const InspircdServer&) = delete;
    InspircdServer& operator=(const InspircdServer&) = delete;

    static bool Available();
    bool Start(int timeoutMs = 10000);
    int Port() const { return port_; }
    std::string Log() const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
    std::string dir_;
};

}  // namespace velmok::test
