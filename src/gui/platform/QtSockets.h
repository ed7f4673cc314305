#pragma once
#include <QAbstractSocket>
#include <QByteArray>
#include <QList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/Socket.h"

class QTcpServer;
class QTcpSocket;
class QSslError;

namespace velmok::platform {

// The Windows socket error number the logic expects for a Qt socket error.
// `connected` tells whether the connection had been established: a peer's
// close then is the ordinary disconnect event, reported as 0 (no error),
// while the same close during the connect is a failed connection. Qt reports
// a peer's reset as a close too; `reset` says the peer reset the connection,
// which is an aborted connection (10053), not a disconnect.
int MapSocketError(QAbstractSocket::SocketError error, bool connected, bool reset = false);

// The name a reverse look-up gives the dotted address, or empty. Blocks.
std::string HostNameOf(const std::string& address);

// How a socket meets its owner.
enum class SocketMode {
    // Reads are reported through a queued call: a modal dialog inside a read
    // handler still lets further reads in (the server connections, whose
    // dispatcher asks the user about DCC offers).
    Queued,
    // Reads are reported straight from the event loop's notice, and bytes
    // sent go to the system at once: for owners that take every byte on each
    // event and never wait inside it. A DCC transfer, one block in flight,
    // runs at the pace of these round trips. Plain TCP only: the factory's
    // outgoing connections are then QtDirectSocket.
    Immediate,
};

// A client connection over QTcpSocket, or QSslSocket when TLS is asked for.
// Every event is delivered from the event loop, none inside a call made by the
// owner. After an error event the connection is closed and no disconnect
// follows.
class QtClientSocket : public session::ClientSocket {
public:
    explicit QtClientSocket(SocketMode mode = SocketMode::Queued);
    // Wraps a connection accepted by a listening socket; takes ownership.
    explicit QtClientSocket(QTcpSocket* accepted, SocketMode mode = SocketMode::Queued);
    ~QtClientSocket() override;
    QtClientSocket(const QtClientSocket&) = delete;
    QtClientSocket& operator=(const QtClientSocket&) = delete;

    void SetHost(const std::string& host) override;
    void SetAddress(const std::string& address) override;
    void SetPort(int port) override;
    void SetTls(bool tls) override;
    bool SetClientCertificate(const std::string& file) override;
    void Open() override;

    std::string ReceiveText() override;
    int ReceiveBuf(char* buffer, int n) override;
    void SendText(const std::string& text) override;
    void SendBuf(const char* bytes, int n) override;

    std::string RemoteHost() override;
    std::string RemoteAddress() override;
    std::string LocalAddress() override;
    std::string LocalHost() override;
    void Close() override;

    bool IsConnected() const { return connected_; }
    // How long a TLS handshake may take once TCP is up; a server that never
    // answers it (a plain port) must not leave the connection hanging.
    void SetHandshakeTimeout(int ms) { handshakeTimeoutMs_ = ms; }
    // Called after Close() (by the owner or on an error) so a listening
    // socket can drop the connection from its list.
    std::function<void()> onClosed;

private:
    void Attach(QTcpSocket* socket);
    void Release();
    void HandleConnected();
    void HandleReadyRead();
    void HandleDisconnected();
    void HandleError(QAbstractSocket::SocketError error);
    void HandleSslErrors(const QList<QSslError>& errors);
    void Fail(int code);
    void WatchConnection();
    bool PeerReset() const;
    void StopWatching();

    QTcpSocket* socket_ = nullptr;
    // Cleared when the current Qt socket is let go, so queued calls and
    // callbacks that outlive it (or this object) do nothing.
    std::shared_ptr<bool> alive_;
    std::string host_;
    std::string address_;
    int port_ = 0;
    SocketMode mode_;
    bool tls_ = false;
    QByteArray clientPem_;  // the client certificate and its key, PEM
    int handshakeTimeoutMs_ = 20000;
    // The owner refused the server's certificate; the failure that follows is
    // reported as CertificateRejected.
    bool certificateRefused_ = false;
    bool connected_ = false;
    bool finished_ = false;
    std::optional<std::string> remoteHost_;
    // A second descriptor of the established connection. Qt closes its own
    // before it tells of a peer's close; this one keeps the connection's
    // state readable until then, so a reset can be told from a close.
    int watchFd_ = -1;
};

// A listening socket over QTcpServer. Accepted connections are owned here;
// by default their events are forwarded to onClientRead, onClientDisconnect
// and onClientError. A connection that closes or fails leaves the list.
class QtServerSocket : public session::ServerSocket {
public:
    // mode: that of the accepted connections.
    explicit QtServerSocket(SocketMode mode = SocketMode::Queued);
    ~QtServerSocket() override;
    QtServerSocket(const QtServerSocket&) = delete;
    QtServerSocket& operator=(const QtServerSocket&) = delete;

    void SetPort(int port) override;
    int Open() override;
    int ActiveConnections() override;
    session::ClientSocket* Connection(int index) override;
    void Close() override;

    // The port actually bound (useful when 0 asked for any free port).
    int ListeningPort() const;

private:
    void HandleNewConnections();
    void Retire(QtClientSocket* connection);
    void ScheduleCleanup();

    QTcpServer* server_;
    SocketMode mode_;
    std::shared_ptr<bool> alive_;
    int port_ = 0;
    std::vector<std::unique_ptr<QtClientSocket>> connections_;
    // Closed connections wait here until no callback of theirs can be running.
    std::vector<std::unique_ptr<QtClientSocket>> retired_;
    bool cleanupScheduled_ = false;
};

class QtSocketFactory : public session::SocketFactory {
public:
    explicit QtSocketFactory(SocketMode mode = SocketMode::Queued) : mode_(mode) {}
    // For the client sockets made from now on (tests shorten it).
    void SetHandshakeTimeout(int ms) { handshakeTimeoutMs_ = ms; }
    std::unique_ptr<session::ClientSocket> CreateClient() override;
    std::unique_ptr<session::ServerSocket> CreateServer() override;
    // Blocking look-up; a dotted address resolves without asking anyone.
    bool LookupHost(const std::string& name) override;

private:
    SocketMode mode_;
    int handshakeTimeoutMs_ = 20000;
};

}  // namespace velmok::platform
