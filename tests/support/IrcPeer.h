#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmok::test {

// A small blocking IRC client on loopback, the "other user" in tests. Lines
// are raw bytes without their CR LF. While reading it answers PING itself.
class IrcPeer {
public:
    IrcPeer() = default;
    ~IrcPeer();
    IrcPeer(const IrcPeer&) = delete;
    IrcPeer& operator=(const IrcPeer&) = delete;

    bool Connect(int port, int timeoutMs = 5000);
    bool Connected() const { return fd_ >= 0; }
    void Close();

    // Sends the line followed by CR LF.
    bool SendLine(const std::string& line);
    bool SendRaw(const std::string& bytes);

    // The next line from the server, or nothing when none came in time or
    // the connection closed.
    std::optional<std::string> ReadLine(int timeoutMs);
    // Reads until a line satisfies `match` and returns it.
    std::optional<std::string> WaitFor(const std::function<bool(const std::string&)>& match, int timeoutMs);
    // Reads until a line with this command (or numeric) arrives.
    std::optional<std::string> WaitForCommand(const std::string& command, int timeoutMs);

    // NICK and USER, then waits for the welcome reply 001.
    bool Register(const std::string& nick, const std::string& user = "peer",
                  const std::string& realName = "Peer", int timeoutMs = 10000);

    // Every line read so far, PINGs included.
    const std::vector<std::string>& Received() const { return received_; }
    // Whether the server closed the connection (seen while reading).
    bool PeerClosed() const { return peerClosed_; }

    // The command word of a line: the first word after an optional prefix.
    static std::string Command(const std::string& line);

private:
    std::optional<std::string> TakeLine();

    int fd_ = -1;
    std::string buffer_;
    std::vector<std::string> received_;
    bool peerClosed_ = false;
};

}  // namespace velmok::test
