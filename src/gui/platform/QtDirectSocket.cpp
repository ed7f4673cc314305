#include "platform/QtDirectSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include "platform/QtSockets.h"

namespace velmok::platform {

namespace SE = session::SocketError;

namespace {

// Taken from the system in pieces of this size, held up to the limit while
// the owner does not read (TCP then holds the peer back).
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kReadLimit = 1 << 20;
// How long one notice of the event loop may go on taking what comes.
constexpr qint64 kReadTurnMs = 4;
// How long bytes the system would not take yet may keep a closed connection.
constexpr int kLingerMs = 10000;

// The failure as Qt names it, so the numbers match QtClientSocket's.
QAbstractSocket::SocketError QtErrorOf(int error) {
    switch (error) {
        case ECONNREFUSED:
            return QAbstractSocket::ConnectionRefusedError;
        case ETIMEDOUT:
            return QAbstractSocket::SocketTimeoutError;
        case ENETUNREACH:
        case EHOSTUNREACH:
        case ENETDOWN:
            return QAbstractSocket::NetworkError;
        case EADDRNOTAVAIL:
            return QAbstractSocket::SocketAddressNotAvailableError;
        case EACCES:
        case EPERM:
            return QAbstractSocket::SocketAccessError;
        case ENOBUFS:
        case ENOMEM:
        case EMFILE:
        case ENFILE:
            return QAbstractSocket::SocketResourceError;
        case ECONNRESET:
        case ECONNABORTED:
        case EPIPE:
            return QAbstractSocket::RemoteHostClosedError;
        default:
            return QAbstractSocket::UnknownSocketError;
    }
}

int CodeOf(int error, bool connected) {
    // A peer that resets or vanishes aborts the connection, whenever it happens.
    const bool reset = error == ECONNRESET || error == ECONNABORTED || error == EPIPE;
    return MapSocketError(QtErrorOf(error), connected, reset);
}

bool Retry(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

std::string Dotted(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    return ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) ? std::string(text) : std::string();
}

// Sends what a closed connection still owes its peer, then closes it; gives
// up on a peer that does not read.
class Lingering : public QObject {
public:
    Lingering(int fd, std::string out) : fd_(fd), out_(std::move(out)), writer_(fd, QSocketNotifier::Write) {
        QObject::connect(&writer_, &QSocketNotifier::activated, this, [this] { Send(); });
        QTimer::singleShot(kLingerMs, this, [this] { Finish(); });
    }
    ~Lingering() override { ::close(fd_); }

private:
    void Send() {
        const ssize_t sent = ::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && Retry(errno)) return;
        if (sent > 0) out_.erase(0, static_cast<std::size_t>(sent));
        if (sent < 0 || out_.empty()) Finish();
    }
    void Finish() {
        writer_.setEnabled(false);
        deleteLater();
    }
    int fd_;
    std::string out_;
    QSocketNotifier writer_;
};

}  // namespace

QtDirectSocket::QtDirectSocket() = default;

QtDirectSocket::~QtDirectSocket() { Release(); }

void QtDirectSocket::Release() {
    // Queued calls and look-ups under way find the flag down.
    if (alive_) *alive_ = false;
    alive_.reset();
    reader_.reset();
    writer_.reset();
    if (fd_ >= 0) {
        if (!out_.empty() && connected_ && !failing_)
            new Lingering(fd_, std::move(out_));
        else
            ::close(fd_);
    }
    fd_ = -1;
    out_.clear();
    in_.clear();
    in_.shrink_to_fit();
    inStart_ = inEnd_ = 0;
    connecting_ = false;
}

void QtDirectSocket::Open() {
    Release();
    connected_ = false;
    finished_ = false;
    failing_ = false;
    remoteHost_.reset();
    alive_ = std::make_shared<bool>(true);
    auto alive = alive_;
    QMetaObject::invokeMethod(
        &context_,
        [this, alive] {
            if (*alive) Start();
        },
        Qt::QueuedConnection);
}

void QtDirectSocket::Start() {
    if (port_ < 1 || port_ > 65535) return Fail(10049);
    if (tls_) return Fail(SE::TlsFailed);
    if (!address_.empty()) {
        in_addr parsed{};
        if (::inet_pton(AF_INET, address_.c_str(), &parsed) != 1) return Fail(SE::HostNotFound);
        return ConnectTo(ntohl(parsed.s_addr));
    }
    if (host_.empty()) return Fail(SE::HostNotFound);
    auto alive = alive_;
    QHostInfo::lookupHost(QString::fromStdString(host_), &context_, [this, alive](const QHostInfo& info) {
        if (*alive) HostFound(info);
    });
}

void QtDirectSocket::HostFound(const QHostInfo& info) {
    for (const QHostAddress& address : info.addresses()) {
        bool ok = false;
        const quint32 v4 = address.toIPv4Address(&ok);
        if (ok) return ConnectTo(v4);
    }
    Fail(SE::HostNotFound);
}

void QtDirectSocket::ConnectTo(std::uint32_t address) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return Fail(CodeOf(errno, false));
    // The acknowledgements are a few bytes each and must leave at once.
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = htonl(address);
    peer.sin_port = htons(static_cast<std::uint16_t>(port_));
    connecting_ = true;
    writer_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
    QObject::connect(writer_.get(), &QSocketNotifier::activated, writer_.get(), [this] { HandleWritable(); });
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) return HandleConnected();
    if (errno != EINPROGRESS) return Fail(CodeOf(errno, false));
}

void QtDirectSocket::HandleConnected() {
    connecting_ = false;
    connected_ = true;
    writer_->setEnabled(!out_.empty());
    reader_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(reader_.get(), &QSocketNotifier::activated, reader_.get(), [this] { HandleReadable(); });
    auto alive = alive_;
    auto connect = onConnect;
    if (connect) connect();
    if (*alive && !out_.empty()) Flush();
}

void QtDirectSocket::HandleWritable() {
    if (!connecting_) return Flush();
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error != 0) return Fail(CodeOf(error, false));
    HandleConnected();
}

void QtDirectSocket::HandleReadable() {
    // A peer that waits for each acknowledgement often has its next block
    // here by the time the last one is acknowledged: take it at once rather
    // than on the loop's next round, for a few milliseconds at most so the
    // windows stay responsive.
    QElapsedTimer spent;
    spent.start();
    auto alive = alive_;
    while (ReadOnce() && *alive && spent.elapsed() < kReadTurnMs) {
    }
}

bool QtDirectSocket::ReadOnce() {
    if (finished_) return false;
    if (inStart_ == inEnd_) inStart_ = inEnd_ = 0;
    if (in_.size() - inEnd_ < kReadChunk && inStart_ > 0) {
        std::memmove(in_.data(), in_.data() + inStart_, inEnd_ - inStart_);
        inEnd_ -= inStart_;
        inStart_ = 0;
    }
    if (in_.size() - inEnd_ < kReadChunk) {
        if (in_.size() >= kReadLimit) {
            // Full: the owner reads again before the system is asked again.
            reader_->setEnabled(false);
            return false;
        }
        in_.resize(std::min(kReadLimit, in_.size() + kReadChunk));
    }
    const ssize_t got = ::recv(fd_, in_.data() + inEnd_, in_.size() - inEnd_, 0);
    if (got > 0) {
        inEnd_ += static_cast<std::size_t>(got);
        auto read = onRead;
        if (read) read();
        return true;
    }
    if (got < 0) {
        if (!Retry(errno)) Fail(CodeOf(errno, true));
        return false;
    }
    // The peer's close: what it sent before stays to be taken.
    reader_->setEnabled(false);
    finished_ = true;
    connected_ = false;
    auto disconnect = onDisconnect;
    if (disconnect) disconnect();
    return false;
}

void QtDirectSocket::Flush() {
    while (!out_.empty()) {
        const ssize_t sent = ::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (!Retry(errno)) return FailLater(CodeOf(errno, true));
            break;
        }
        out_.erase(0, static_cast<std::size_t>(sent));
    }
    writer_->setEnabled(!out_.empty());
}

void QtDirectSocket::Fail(int code) {
    if (finished_) return;
    finished_ = true;
    failing_ = true;
    auto alive = alive_;
    int reported = code;
    auto error = onError;
    if (error) error(reported);
    // The owner may have closed, reopened or deleted the socket meanwhile.
    if (!*alive) return;
    Release();
    connected_ = false;
}

void QtDirectSocket::FailLater(int code) {
    if (failing_ || finished_) return;
    failing_ = true;
    auto alive = alive_;
    QMetaObject::invokeMethod(
        &context_,
        [this, alive, code] {
            if (*alive) Fail(code);
        },
        Qt::QueuedConnection);
}

void QtDirectSocket::TakeFromBuffer(std::size_t n) {
    inStart_ += n;
    if (inStart_ == inEnd_) inStart_ = inEnd_ = 0;
    // Room again for a reader that stopped on a full buffer.
    if (reader_ && !reader_->isEnabled() && !finished_) reader_->setEnabled(true);
}

std::string QtDirectSocket::ReceiveText() {
    if (inStart_ == inEnd_) return {};
    std::string bytes(in_.data() + inStart_, inEnd_ - inStart_);
    TakeFromBuffer(bytes.size());
    return bytes;
}

int QtDirectSocket::ReceiveBuf(char* buffer, int n) {
    if (inStart_ == inEnd_) return -1;
    if (n <= 0) return 0;
    const std::size_t take = std::min(inEnd_ - inStart_, static_cast<std::size_t>(n));
    std::memcpy(buffer, in_.data() + inStart_, take);
    TakeFromBuffer(take);
    return static_cast<int>(take);
}

void QtDirectSocket::SendText(const std::string& text) {
    SendBuf(text.data(), static_cast<int>(text.size()));
}

void QtDirectSocket::SendBuf(const char* bytes, int n) {
    if (fd_ < 0 || finished_ || failing_ || n <= 0) return;
    auto size = static_cast<std::size_t>(n);
    if (connected_ && out_.empty()) {
        // Straight to the system; only what it does not take waits.
        const ssize_t sent = ::send(fd_, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent == n) return;
        if (sent < 0 && !Retry(errno)) return FailLater(CodeOf(errno, true));
        if (sent > 0) {
            bytes += sent;
            size -= static_cast<std::size_t>(sent);
        }
    }
    out_.append(bytes, size);
    if (connected_) writer_->setEnabled(true);
}

std::string QtDirectSocket::RemoteHost() {
    if (remoteHost_) return *remoteHost_;
    const std::string address = RemoteAddress();
    if (address.empty()) return {};
    remoteHost_ = HostNameOf(address);
    return *remoteHost_;
}

std::string QtDirectSocket::RemoteAddress() {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
    return Dotted(address);
}

std::string QtDirectSocket::LocalAddress() {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
    return Dotted(address);
}

std::string QtDirectSocket::LocalHost() { return QHostInfo::localHostName().toStdString(); }

void QtDirectSocket::Close() {
    Release();
    connected_ = false;
    finished_ = true;
}

}  // namespace velmok::platform
