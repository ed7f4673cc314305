#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmok::session {

// Error numbers the logic tells apart, with the platform's errors mapped onto them.
namespace SocketError {
constexpr int AddressInUse = 10048;
constexpr int ConnectionAborted = 10053;
constexpr int ConnectionReset = 10054;
constexpr int TimedOut = 10060;
constexpr int ConnectionRefused = 10061;
constexpr int HostUnreachable = 10065;
constexpr int HostNotFound = 11001;
// The server's certificate was refused (the owner's certificate check said no).
constexpr int CertificateRejected = 12045;
// TLS could not be set up: no TLS support at run time, or the handshake failed.
constexpr int TlsFailed = 12157;
}  // namespace SocketError

// Why the certificate a server presented is not trusted by the system.
enum class CertificateProblem {
    Expired,
    NotYetValid,
    WrongHost,
    SelfSigned,
    UntrustedIssuer,
    Revoked,
    Other
};

// What a TLS handshake found out about the server's certificate.
struct CertificateReport {
    // SHA-256 of the certificate (DER), upper-case hexadecimal pairs joined by ":".
    std::string Fingerprint;
    // Empty when the system's trust store and the host name vouch for it.
    std::vector<CertificateProblem> Problems;
};

// An asynchronous TCP client connection. Open() returns at once; the outcome
// arrives as the connect or error event. Every event is delivered on the one
// user-interface thread, never from inside a call made by the owner.
// The error handler receives the code by reference; setting it to 0 means the
// failure has been dealt with.
class ClientSocket {
public:
    std::function<void()> onConnect;
    std::function<void()> onRead;
    std::function<void()> onDisconnect;
    std::function<void(int& code)> onError;
    // TLS connections only: the server's certificate has problems. True lets
    // the handshake go on; false ends it with the error CertificateRejected.
    std::function<bool(const CertificateReport& report)> onCertificate;

    virtual ~ClientSocket() = default;

    // Either a host name or a dotted IPv4 address is set; the other stays empty.
    virtual void SetHost(const std::string& host) = 0;
    virtual void SetAddress(const std::string& address) = 0;
    virtual void SetPort(int port) = 0;
    // Whether Open() speaks TLS on the connection; the connect event then
    // comes once the handshake is done. Verification uses the host set with
    // SetHost, or the address when no host is set.
    virtual void SetTls(bool tls) = 0;
    // A TLS connection presents this client certificate (a PEM file holding
    // the certificate and its key; the file system's name). False when the
    // file cannot be read or this socket cannot present one.
    virtual bool SetClientCertificate(const std::string&) { return false; }
    virtual void Open() = 0;

    // Every byte waiting now.
    virtual std::string ReceiveText() = 0;
    // At most n waiting bytes; their number, or -1 when nothing waits.
    virtual int ReceiveBuf(char* buffer, int n) = 0;
    virtual void SendText(const std::string& text) = 0;
    virtual void SendBuf(const char* bytes, int n) = 0;

    virtual std::string RemoteHost() = 0;     // reverse-lookup name of the peer, or empty
    virtual std::string RemoteAddress() = 0;  // dotted address of the peer
    virtual std::string LocalAddress() = 0;   // dotted
    virtual std::string LocalHost() = 0;
    // Closes without raising the disconnect event.
    virtual void Close() = 0;
};

// A listening socket for DCC. Each accepted connection is a ClientSocket whose
// own events report reads, disconnects and errors of that connection.
class ServerSocket {
public:
    std::function<void()> onListen;
    std::function<void(ClientSocket& connection)> onClientConnect;
    std::function<void(ClientSocket& connection)> onClientRead;
    std::function<void(ClientSocket& connection)> onClientDisconnect;
    std::function<void(ClientSocket& connection, int& code)> onClientError;
    // Failure to bind (10048 when the port is taken) or to listen.
    std::function<void(int& code)> onError;

    virtual ~ServerSocket() = default;
    virtual void SetPort(int port) = 0;
    // Binds to every local address and listens. Returns 0, or the error number
    // when the failure is known at once (the error event is not raised then).
    virtual int Open() = 0;
    virtual int ActiveConnections() = 0;
    virtual ClientSocket* Connection(int index) = 0;
    // Closes the listener and every accepted connection.
    virtual void Close() = 0;
};

class SocketFactory {
public:
    virtual ~SocketFactory() = default;
    virtual std::unique_ptr<ClientSocket> CreateClient() = 0;
    virtual std::unique_ptr<ServerSocket> CreateServer() = 0;
    // Synchronous check that a host name resolves.
    virtual bool LookupHost(const std::string& name) = 0;
};

}  // namespace velmok::session
