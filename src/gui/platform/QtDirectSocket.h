#pragma once
#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/Socket.h"

class QHostInfo;
class QSocketNotifier;

namespace velmok::platform {

// An outgoing connection read and written straight on the system's socket,
// for a DCC peer that waits for every acknowledgement: each block then costs
// one wake-up of the event loop, one recv and one send, which is what the
// transfer's pace is made of. Plain TCP only (DCC has no TLS).
//
// Events come as QtClientSocket's do: from the event loop, never inside a
// call made by the owner; after an error the connection is closed and no
// disconnect follows; bytes that came before the peer's close can still be
// taken after the disconnect event.
class QtDirectSocket : public session::ClientSocket {
public:
    QtDirectSocket();
    ~QtDirectSocket() override;
    QtDirectSocket(const QtDirectSocket&) = delete;
    QtDirectSocket& operator=(const QtDirectSocket&) = delete;

    void SetHost(const std::string& host) override { host_ = host; }
    void SetAddress(const std::string& address) override { address_ = address; }
    void SetPort(int port) override { port_ = port; }
    void SetTls(bool tls) override { tls_ = tls; }
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

private:
    void Start();
    void HostFound(const QHostInfo& info);
    void ConnectTo(std::uint32_t address);
    void HandleConnected();
    void HandleReadable();
    bool ReadOnce();
    void HandleWritable();
    void Flush();
    void TakeFromBuffer(std::size_t n);
    void Fail(int code);
    void FailLater(int code);
    void Release();

    // The context of queued calls and look-ups: they go with it.
    QObject context_;
    std::shared_ptr<bool> alive_;
    std::string host_;
    std::string address_;
    int port_ = 0;
    bool tls_ = false;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> reader_;
    std::unique_ptr<QSocketNotifier> writer_;
    bool connecting_ = false;
    bool connected_ = false;
    bool finished_ = false;  // after the peer's close, an error or Close
    bool failing_ = false;   // an error is on its way from the event loop
    // What the system has given and the owner not yet taken: [inStart_, inEnd_).
    std::vector<char> in_;
    std::size_t inStart_ = 0;
    std::size_t inEnd_ = 0;
    std::string out_;  // what the system would not take yet
    std::optional<std::string> remoteHost_;
};

}  // namespace velmok::platform
