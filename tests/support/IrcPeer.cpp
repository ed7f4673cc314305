#include "support/IrcPeer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace velmok::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

IrcPeer::~IrcPeer() { Close(); }

bool IrcPeer::Connect(int port, int timeoutMs) {
    Close();
    buffer_.clear();
    peerClosed_ = false;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
    if (errno != EINPROGRESS) {
        Close();
        return false;
    }
    pollfd p{fd_, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (::poll(&p, 1, timeoutMs) != 1 || ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
        error != 0) {
        Close();
        return false;
    }
    return true;
}

void IrcPeer::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool IrcPeer::SendLine(const std::string& line) { return SendRaw(line + "\r\n"); }

bool IrcPeer::SendRaw(const std::string& bytes) {
    if (fd_ < 0) return false;
    std::size_t sent = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, RemainingMs(deadline)) <= 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

std::optional<std::string> IrcPeer::TakeLine() {
    const auto end = buffer_.find('\n');
    if (end == std::string::npos) return std::nullopt;
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> IrcPeer::ReadLine(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (auto line = TakeLine()) {
            received_.push_back(*line);
            if (Command(*line) == "PING") {
                const auto rest = line->find(' ');
                SendLine("PONG" + (rest == std::string::npos ? std::string() : line->substr(rest)));
                continue;
            }
            return line;
        }
        if (fd_ < 0) return std::nullopt;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        char chunk[4096];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n > 0) {
            buffer_.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            peerClosed_ = true;
            Close();
        }
    }
}

std::optional<std::string> IrcPeer::WaitFor(const std::function<bool(const std::string&)>& match,
                                            int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (auto line = ReadLine(RemainingMs(deadline))) {
        if (match(*line)) return line;
    }
    return std::nullopt;
}

std::optional<std::string> IrcPeer::WaitForCommand(const std::string& command, int timeoutMs) {
    return WaitFor([&command](const std::string& line) { return Command(line) == command; }, timeoutMs);
}

bool IrcPeer::Register(const std::string& nick, const std::string& user, const std::string& realName,
                       int timeoutMs) {
    if (!SendLine("NICK " + nick) || !SendLine("USER " + user + " 0 * :" + realName)) return false;
    return WaitForCommand("001", timeoutMs).has_value();
}

std::string IrcPeer::Command(const std::string& line) {
    std::size_t start = 0;
    if (!line.empty() && line[0] == ':') {
        start = line.find(' ');
        if (start == std::string::npos) return {};
        ++start;
    }
    const auto end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace velmok::test
