#include "platform/QtSockets.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QSslCertificate>
#include <QSslError>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "platform/QtDirectSocket.h"
#include "platform/QtText.h"

namespace velmok::platform {

namespace SE = session::SocketError;

int MapSocketError(QAbstractSocket::SocketError error, bool connected, bool reset) {
    switch (error) {
        case QAbstractSocket::RemoteHostClosedError:
            // Once the connection was up, a close is the end of the
            // conversation, not a failure; a reset is a failure.
            return connected && !reset ? 0 : SE::ConnectionAborted;
        case QAbstractSocket::ConnectionRefusedError:
            return SE::ConnectionRefused;
        case QAbstractSocket::HostNotFoundError:
            return SE::HostNotFound;
        case QAbstractSocket::SocketTimeoutError:
            return SE::TimedOut;
        case QAbstractSocket::AddressInUseError:
            return SE::AddressInUse;
        case QAbstractSocket::SocketAccessError:
            return 10013;  // permission denied
        case QAbstractSocket::SocketResourceError:
            return 10055;  // no buffer space
        case QAbstractSocket::SocketAddressNotAvailableError:
            return 10049;
        case QAbstractSocket::UnsupportedSocketOperationError:
            return 10047;  // address family not supported
        case QAbstractSocket::SslHandshakeFailedError:
        case QAbstractSocket::SslInternalError:
        case QAbstractSocket::SslInvalidUserDataError:
            return SE::TlsFailed;
        case QAbstractSocket::NetworkError:
            // Unreachable while connecting; a broken link afterwards.
            return connected ? SE::ConnectionAborted : SE::HostUnreachable;
        default:
            return connected ? SE::ConnectionReset : SE::ConnectionAborted;
    }
}

namespace {

std::string Dotted(const QHostAddress& address) {
    if (address.isNull()) return {};
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    if (ok) return QHostAddress(v4).toString().toStdString();
    return address.toString().toStdString();
}

session::CertificateProblem ProblemOf(QSslError::SslError error) {
    using P = session::CertificateProblem;
    switch (error) {
        case QSslError::CertificateExpired:
            return P::Expired;
        case QSslError::CertificateNotYetValid:
            return P::NotYetValid;
        case QSslError::HostNameMismatch:
            return P::WrongHost;
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
            return P::SelfSigned;
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::CertificateUntrusted:
            return P::UntrustedIssuer;
        case QSslError::CertificateRevoked:
            return P::Revoked;
        default:
            return P::Other;
    }
}

// Runs a copy of the callback, so the owner may replace it or delete the
// socket from inside without destroying the function that is running.
template <typename F, typename... Args>
void Raise(const F& callback, Args&&... args) {
    F copy = callback;
    if (copy) copy(std::forward<Args>(args)...);
}

}  // namespace

std::string HostNameOf(const std::string& address) {
    const QHostInfo info = QHostInfo::fromName(QString::fromStdString(address));
    std::string name = info.hostName().toStdString();
    // Without a reverse entry Qt hands back the address itself.
    if (info.error() != QHostInfo::NoError || name == address) name.clear();
    return name;
}

// ---------------------------------------------------------------- client

QtClientSocket::QtClientSocket(SocketMode mode) : mode_(mode) {}

QtClientSocket::QtClientSocket(QTcpSocket* accepted, SocketMode mode) : mode_(mode) {
    accepted->setParent(nullptr);
    Attach(accepted);
    connected_ = true;
    WatchConnection();
}

namespace {
constexpr qint64 kReadBufferBytes = 1 << 20;
}  // namespace

QtClientSocket::~QtClientSocket() {
    onClosed = nullptr;
    Release();
}

void QtClientSocket::Attach(QTcpSocket* socket) {
    socket_ = socket;
    // Unbounded, the socket would take in everything a flooding peer sends
    // while the queued read below waits its turn; bounded, TCP holds the
    // peer back until the program has read what it has.
    socket->setReadBufferSize(kReadBufferBytes);
    alive_ = std::make_shared<bool>(true);
    auto alive = alive_;
    // Queued even though the signals come from the event loop: connectToHost
    // may report a refusal at once, and a queued readyRead keeps working while
    // the owner sits in a modal dialog inside an earlier read.
    if (auto* ssl = qobject_cast<QSslSocket*>(socket)) {
        // A TLS connection is up for the owner once the handshake is done.
        QObject::connect(
            ssl, &QSslSocket::encrypted, ssl,
            [this, alive] {
                if (*alive) HandleConnected();
            },
            Qt::QueuedConnection);
        QObject::connect(ssl, &QSslSocket::connected, ssl, [this, alive, ssl] {
            if (!*alive) return;
            QTimer::singleShot(handshakeTimeoutMs_, ssl, [this, alive] {
                if (*alive && !connected_) Fail(SE::TlsFailed);
            });
        });
        // Direct: the errors can only be let pass from inside this signal.
        QObject::connect(ssl, &QSslSocket::sslErrors, ssl, [this, alive](const QList<QSslError>& errors) {
            if (*alive) HandleSslErrors(errors);
        });
    } else {
        QObject::connect(
            socket, &QTcpSocket::connected, socket,
            [this, alive] {
                if (*alive) HandleConnected();
            },
            Qt::QueuedConnection);
    }
    QObject::connect(
        socket, &QTcpSocket::readyRead, socket,
        [this, alive] {
            if (*alive) HandleReadyRead();
        },
        mode_ == SocketMode::Immediate ? Qt::DirectConnection : Qt::QueuedConnection);
    QObject::connect(
        socket, &QTcpSocket::disconnected, socket,
        [this, alive] {
            if (*alive) HandleDisconnected();
        },
        Qt::QueuedConnection);
    QObject::connect(
        socket, &QTcpSocket::errorOccurred, socket,
        [this, alive](QAbstractSocket::SocketError error) {
            if (*alive) HandleError(error);
        },
        Qt::QueuedConnection);
}

void QtClientSocket::WatchConnection() {
    StopWatching();
    if (!socket_ || socket_->socketDescriptor() < 0) return;
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    watchFd_ = ::fcntl(static_cast<int>(socket_->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
}

bool QtClientSocket::PeerReset() const {
#ifdef TCP_INFO
    if (watchFd_ < 0) return false;
    tcp_info info{};
    socklen_t length = sizeof info;
    if (::getsockopt(watchFd_, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return false;
    // A peer's FIN leaves the connection half open; its RST ends it outright.
    return info.tcpi_state == TCP_CLOSE;
#else
    return false;
#endif
}

void QtClientSocket::StopWatching() {
    if (watchFd_ < 0) return;
    ::close(watchFd_);
    watchFd_ = -1;
}

void QtClientSocket::Release() {
    StopWatching();
    if (!socket_) return;
    *alive_ = false;
    QTcpSocket* s = socket_;
    socket_ = nullptr;
    s->disconnect();
    QCoreApplication::removePostedEvents(s, QEvent::MetaCall);
    if (s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() > 0) {
        // Let the last lines (a QUIT, a final DCC acknowledgement) leave before
        // the connection goes, but never keep a stuck socket for long.
        QObject::connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater);
        QObject::connect(s, &QAbstractSocket::errorOccurred, s, &QObject::deleteLater);
        QTimer::singleShot(10000, s, [s] {
            s->abort();
            s->deleteLater();
        });
        s->disconnectFromHost();
    } else {
        s->abort();
        s->deleteLater();
    }
}

void QtClientSocket::SetHost(const std::string& host) { host_ = host; }
void QtClientSocket::SetAddress(const std::string& address) { address_ = address; }
void QtClientSocket::SetPort(int port) { port_ = port; }
void QtClientSocket::SetTls(bool tls) { tls_ = tls; }

namespace {

// The certificate and the private key of one PEM file (RSA, EC or DSA, unencrypted).
bool ReadClientPem(const QByteArray& pem, QSslCertificate& certificate, QSslKey& key) {
    certificate = QSslCertificate(pem, QSsl::Pem);
    if (certificate.isNull()) return false;
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        key = QSslKey(pem, algorithm, QSsl::Pem);
        if (!key.isNull()) return true;
    }
    return false;
}

}  // namespace

bool QtClientSocket::SetClientCertificate(const std::string& file) {
    clientPem_.clear();
    QFile in(FromLocalPath(file));
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray pem = in.read(1 << 20);
    QSslCertificate certificate;
    QSslKey key;
    if (!ReadClientPem(pem, certificate, key)) return false;
    clientPem_ = pem;
    return true;
}

void QtClientSocket::Open() {
    Release();
    connected_ = false;
    finished_ = false;
    remoteHost_.reset();
    certificateRefused_ = false;
    QTcpSocket* s = tls_ ? new QSslSocket() : new QTcpSocket();
    Attach(s);
    auto alive = alive_;
    QMetaObject::invokeMethod(
        s,
        [this, alive, s] {
            if (!*alive) return;
            if (port_ < 1 || port_ > 65535) {
                Fail(10049);
                return;
            }
            const auto port = static_cast<quint16>(port_);
            if (tls_) {
                // Qt loads its TLS library at run time; without it there is no TLS.
                auto* ssl = static_cast<QSslSocket*>(s);
                QSslCertificate certificate;
                QSslKey key;
                if (!clientPem_.isEmpty() && ReadClientPem(clientPem_, certificate, key)) {
                    ssl->setLocalCertificate(certificate);
                    ssl->setPrivateKey(key);
                }
                const std::string& name = address_.empty() ? host_ : address_;
                if (!QSslSocket::supportsSsl() || name.empty()) {
                    Fail(name.empty() ? SE::HostNotFound : SE::TlsFailed);
                    return;
                }
                ssl->connectToHostEncrypted(QString::fromStdString(name), port, QIODevice::ReadWrite,
                                            QAbstractSocket::IPv4Protocol);
            } else if (!address_.empty()) {
                QHostAddress address;
                if (!address.setAddress(QString::fromStdString(address_)) ||
                    address.protocol() != QAbstractSocket::IPv4Protocol) {
                    Fail(SE::HostNotFound);
                    return;
                }
                s->connectToHost(address, port);
            } else if (!host_.empty()) {
                s->connectToHost(QString::fromStdString(host_), port, QIODevice::ReadWrite,
                                 QAbstractSocket::IPv4Protocol);
            } else {
                Fail(SE::HostNotFound);
            }
        },
        Qt::QueuedConnection);
}

void QtClientSocket::HandleConnected() {
    if (finished_) return;
    connected_ = true;
    WatchConnection();
    Raise(onConnect);
}

void QtClientSocket::HandleReadyRead() {
    // A queued notice may find the bytes already taken by an earlier read.
    if (finished_ || !socket_ || socket_->bytesAvailable() <= 0) return;
    Raise(onRead);
}

void QtClientSocket::HandleDisconnected() {
    StopWatching();
    if (finished_) return;
    finished_ = true;
    connected_ = false;
    // The Qt socket stays so the owner can still take bytes that came
    // before the close.
    auto alive = alive_;
    Raise(onDisconnect);
    if (*alive) Raise(onClosed);
}

void QtClientSocket::HandleSslErrors(const QList<QSslError>& errors) {
    auto* ssl = qobject_cast<QSslSocket*>(socket_);
    if (!ssl || finished_) return;
    session::CertificateReport report;
    QSslCertificate certificate = ssl->peerCertificate();
    if (certificate.isNull() && !errors.isEmpty()) certificate = errors.first().certificate();
    if (!certificate.isNull())
        report.Fingerprint =
            certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper().toStdString();
    for (const QSslError& error : errors) report.Problems.push_back(ProblemOf(error.error()));
    auto check = onCertificate;
    if (check && check(report))
        ssl->ignoreSslErrors(errors);
    else
        certificateRefused_ = true;
}

void QtClientSocket::HandleError(QAbstractSocket::SocketError error) {
    if (certificateRefused_ && !connected_) {
        StopWatching();
        Fail(SE::CertificateRejected);
        return;
    }
    const bool reset = error == QAbstractSocket::RemoteHostClosedError && connected_ && PeerReset();
    StopWatching();
    const int code = MapSocketError(error, connected_, reset);
    if (code == 0) return;  // the disconnect event follows
    Fail(code);
}

void QtClientSocket::Fail(int code) {
    if (finished_) return;
    finished_ = true;
    auto alive = alive_;
    int reported = code;
    Raise(onError, reported);
    // The owner may have closed, reopened or deleted the socket meanwhile.
    if (!*alive) return;
    Release();
    connected_ = false;
    Raise(onClosed);
}

std::string QtClientSocket::ReceiveText() {
    if (!socket_) return {};
    const QByteArray bytes = socket_->readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int QtClientSocket::ReceiveBuf(char* buffer, int n) {
    if (!socket_ || socket_->bytesAvailable() <= 0) return -1;
    if (n <= 0) return 0;
    const qint64 got = socket_->read(buffer, n);
    return got < 0 ? -1 : static_cast<int>(got);
}

void QtClientSocket::SendText(const std::string& text) {
    SendBuf(text.data(), static_cast<int>(text.size()));
}

void QtClientSocket::SendBuf(const char* bytes, int n) {
    if (!socket_ || finished_ || n <= 0 || socket_->state() == QAbstractSocket::UnconnectedState) return;
    const bool connected = socket_->state() == QAbstractSocket::ConnectedState;
    if (mode_ == SocketMode::Immediate && connected && socket_->bytesToWrite() == 0) {
        // Straight to the system: Qt's own write arms and disarms its write
        // notice for every call, which costs the event loop two wake-ups.
        const ssize_t sent = ::send(static_cast<int>(socket_->socketDescriptor()), bytes,
                                    static_cast<std::size_t>(n), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent == n) return;
        // What the system did not take (or a failure, which Qt then meets and
        // reports) goes the ordinary way, behind what was sent.
        if (sent > 0) {
            bytes += sent;
            n -= static_cast<int>(sent);
        }
    }
    socket_->write(bytes, n);
    // Hand the bytes to the system now rather than on the next pass of the loop.
    if (connected) socket_->flush();
}

std::string QtClientSocket::RemoteHost() {
    if (!socket_) return {};
    if (remoteHost_) return *remoteHost_;
    const std::string address = Dotted(socket_->peerAddress());
    if (address.empty()) return {};
    remoteHost_ = HostNameOf(address);
    return *remoteHost_;
}

std::string QtClientSocket::RemoteAddress() {
    return socket_ ? Dotted(socket_->peerAddress()) : std::string();
}

std::string QtClientSocket::LocalAddress() {
    return socket_ ? Dotted(socket_->localAddress()) : std::string();
}

std::string QtClientSocket::LocalHost() { return QHostInfo::localHostName().toStdString(); }

void QtClientSocket::Close() {
    const bool wasOpen = socket_ != nullptr;
    Release();
    connected_ = false;
    finished_ = true;
    if (wasOpen) Raise(onClosed);
}

// ---------------------------------------------------------------- server

QtServerSocket::QtServerSocket(SocketMode mode)
    : server_(new QTcpServer()), mode_(mode), alive_(std::make_shared<bool>(true)) {
    auto alive = alive_;
    QObject::connect(server_, &QTcpServer::newConnection, server_, [this, alive] {
        if (*alive) HandleNewConnections();
    });
    QObject::connect(server_, &QTcpServer::acceptError, server_,
                     [this, alive](QAbstractSocket::SocketError error) {
                         if (!*alive) return;
                         int code = MapSocketError(error, false);
                         Raise(onError, code);
                     });
}

QtServerSocket::~QtServerSocket() {
    *alive_ = false;
    connections_.clear();
    retired_.clear();
    server_->disconnect();
    server_->close();
    // The owner may be deleting us from inside the server's own signal.
    server_->deleteLater();
}

void QtServerSocket::SetPort(int port) { port_ = port; }

int QtServerSocket::Open() {
    if (server_->isListening()) server_->close();
    if (port_ < 0 || port_ > 65535) return 10049;
    if (!server_->listen(QHostAddress::AnyIPv4, static_cast<quint16>(port_))) {
        const int code = MapSocketError(server_->serverError(), false);
        return code != 0 ? code : SE::ConnectionAborted;
    }
    auto alive = alive_;
    QMetaObject::invokeMethod(
        server_,
        [this, alive] {
            if (*alive && server_->isListening()) Raise(onListen);
        },
        Qt::QueuedConnection);
    return 0;
}

int QtServerSocket::ListeningPort() const { return server_->isListening() ? server_->serverPort() : 0; }

int QtServerSocket::ActiveConnections() { return static_cast<int>(connections_.size()); }

session::ClientSocket* QtServerSocket::Connection(int index) {
    if (index < 0 || index >= static_cast<int>(connections_.size())) return nullptr;
    return connections_[static_cast<std::size_t>(index)].get();
}

void QtServerSocket::Close() {
    server_->close();
    auto closing = std::move(connections_);
    connections_.clear();
    for (auto& connection : closing) {
        connection->onClosed = nullptr;
        connection->Close();
        retired_.push_back(std::move(connection));
    }
    ScheduleCleanup();
}

void QtServerSocket::HandleNewConnections() {
    auto alive = alive_;
    while (server_->hasPendingConnections()) {
        QTcpSocket* socket = server_->nextPendingConnection();
        if (!socket) break;
        auto owned = std::make_unique<QtClientSocket>(socket, mode_);
        QtClientSocket* connection = owned.get();
        connection->onRead = [this, connection] { Raise(onClientRead, *connection); };
        connection->onDisconnect = [this, connection] { Raise(onClientDisconnect, *connection); };
        connection->onError = [this, connection](int& code) { Raise(onClientError, *connection, code); };
        connection->onClosed = [this, connection] { Retire(connection); };
        connections_.push_back(std::move(owned));
        Raise(onClientConnect, *connection);
        if (!*alive) return;
    }
}

void QtServerSocket::Retire(QtClientSocket* connection) {
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [connection](const auto& owned) { return owned.get() == connection; });
    if (it == connections_.end()) return;
    retired_.push_back(std::move(*it));
    connections_.erase(it);
    ScheduleCleanup();
}

void QtServerSocket::ScheduleCleanup() {
    if (cleanupScheduled_ || retired_.empty()) return;
    cleanupScheduled_ = true;
    auto alive = alive_;
    QTimer::singleShot(0, server_, [this, alive] {
        if (!*alive) return;
        cleanupScheduled_ = false;
        retired_.clear();
    });
}

// ---------------------------------------------------------------- factory

std::unique_ptr<session::ClientSocket> QtSocketFactory::CreateClient() {
    if (mode_ == SocketMode::Immediate) return std::make_unique<QtDirectSocket>();
    auto socket = std::make_unique<QtClientSocket>(mode_);
    socket->SetHandshakeTimeout(handshakeTimeoutMs_);
    return socket;
}

std::unique_ptr<session::ServerSocket> QtSocketFactory::CreateServer() {
    return std::make_unique<QtServerSocket>(mode_);
}

bool QtSocketFactory::LookupHost(const std::string& name) {
    if (name.empty()) return false;
    const QString text = QString::fromStdString(name);
    QHostAddress literal;
    if (literal.setAddress(text)) return literal.protocol() == QAbstractSocket::IPv4Protocol;
    const QHostInfo info = QHostInfo::fromName(text);
    if (info.error() != QHostInfo::NoError) return false;
    const auto addresses = info.addresses();
    return std::any_of(addresses.begin(), addresses.end(),
                       [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; });
}

}  // namespace velmok::platform
