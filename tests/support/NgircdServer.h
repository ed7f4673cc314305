#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace velmok::test {

// A server program started for one test, its output in logPath: its pid, or -1.
pid_t SpawnServer(const std::vector<std::string>& argv, const std::string& logPath);
// Waits until the server takes connections on port; false when it does not in
// time, or exits (pid becomes -1 then).
bool AwaitPort(pid_t& pid, int port, int timeoutMs);
// SIGTERM, then SIGKILL after 5 seconds; pid becomes -1.
void EndServer(pid_t& pid);

// A private ngircd for one test: listens on a free loopback port, with its
// configuration, pid file and log in a temporary folder that goes away with
// the object, together with the process.
class NgircdServer {
public:
    static constexpr const char* kBinary = "/usr/sbin/ngircd";
    static constexpr const char* kServerName = "irc.test";

    NgircdServer() = default;
    ~NgircdServer();
    NgircdServer(const NgircdServer&) = delete;
    NgircdServer& operator=(const NgircdServer&) = delete;

    // The server's description and message of the day.
    std::string Description = "Velmok test server";
    // Also listen with TLS, on TlsPort(), with a self-signed certificate for
    // kServerName made by the openssl command.
    bool Tls = false;

    // Whether the server program is installed at all.
    static bool Available();

    // Writes the configuration, starts the server and waits (up to
    // timeoutMs) until its port takes connections. On failure returns false
    // and leaves a reason in Error().
    bool Start(int timeoutMs = 10000);
    void Stop();
    bool Running() const { return pid_ > 0; }

    int Port() const { return port_; }
    int TlsPort() const { return tlsPort_; }
    // SHA-256 fingerprint of the TLS certificate, "AB:CD:..."; empty without TLS.
    std::string CertificateFingerprint() const;
    const std::string& Directory() const { return dir_; }
    const std::string& Error() const { return error_; }
    // What the server wrote to its standard output and error so far.
    std::string Log() const;

    // A loopback port nobody listens on at the moment of asking.
    static int FreePort();

private:
    bool WriteConfig(const std::string& path);
    bool MakeCertificate();
    bool Fail(const std::string& reason);

    pid_t pid_ = -1;
    int port_ = 0;
    int tlsPort_ = 0;
    std::string dir_;
    std::string error_;
};

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
