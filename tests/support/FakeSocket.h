#pragma once
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "session/Socket.h"

namespace velmok::session {

// A client socket that records what the owner does with it and lets the test
// raise its events. Everything sent is appended to `sent`; bytes for the
// owner to read wait in `incoming`.
class FakeClientSocket : public ClientSocket {
public:
    // Live-socket registry shared with the factory, so tests can tell whether
    // the owner has destroyed a socket without touching freed memory.
    explicit FakeClientSocket(std::shared_ptr<std::set<const FakeClientSocket*>> live = nullptr)
        : live_(std::move(live)) {
        if (live_) live_->insert(this);
    }
    ~FakeClientSocket() override {
        if (live_) live_->erase(this);
    }

    // What the owner did.
    std::string host;
    std::string address;
    int port = 0;
    bool tls = false;
    int openCount = 0;
    bool closed = false;
    std::vector<std::string> calls;  // "SetHost x", "SetAddress y", "SetPort n", "Open", "Close"
    std::string sent;

    // What the peer side provides.
    std::string incoming;
    std::string remoteHost;
    std::string remoteAddress = "127.0.0.1";
    std::string localAddress = "127.0.0.1";
    std::string localHost = "localhost";

    void SetHost(const std::string& h) override {
        host = h;
        calls.push_back("SetHost " + h);
    }
    void SetAddress(const std::string& a) override {
        address = a;
        calls.push_back("SetAddress " + a);
    }
    void SetPort(int p) override {
        port = p;
        calls.push_back("SetPort " + std::to_string(p));
    }
    void SetTls(bool t) override { tls = t; }
    std::string clientCertificate;    // what SetClientCertificate was given
    bool certificateReadable = true;  // its answer
    bool SetClientCertificate(const std::string& file) override {
        clientCertificate = file;
        return certificateReadable;
    }
    void Open() override {
        ++openCount;
        calls.push_back("Open");
    }
    std::string ReceiveText() override {
        std::string out;
        out.swap(incoming);
        return out;
    }
    int ReceiveBuf(char* buffer, int n) override {
        if (incoming.empty()) return -1;
        int count = std::min<int>(n, static_cast<int>(incoming.size()));
        std::memcpy(buffer, incoming.data(), count);
        incoming.erase(0, count);
        return count;
    }
    void SendText(const std::string& text) override { sent += text; }
    void SendBuf(const char* bytes, int n) override { sent.append(bytes, n); }
    std::string RemoteHost() override { return remoteHost; }
    std::string RemoteAddress() override { return remoteAddress; }
    std::string LocalAddress() override { return localAddress; }
    std::string LocalHost() override { return localHost; }
    void Close() override {
        closed = true;
        calls.push_back("Close");
    }

    // Peer-side helpers: raise the events as the platform would.
    void Deliver(const std::string& bytes) {
        incoming += bytes;
        if (onRead) onRead();
    }
    void FireConnect() {
        if (onConnect) onConnect();
    }
    // The TLS handshake met a certificate with problems: true when the owner
    // lets it go on.
    bool PresentCertificate(const CertificateReport& report) {
        return onCertificate && onCertificate(report);
    }
    void FireDisconnect() {
        if (onDisconnect) onDisconnect();
    }
    // Returns the code as the handler left it (0: handled).
    int FireError(int code) {
        if (onError) onError(code);
        return code;
    }
    // Takes and clears what has been sent so far.
    std::string TakeSent() {
        std::string out;
        out.swap(sent);
        return out;
    }

private:
    std::shared_ptr<std::set<const FakeClientSocket*>> live_;
};

// A listening socket that records its use. Tests add connections by hand.
class FakeServerSocket : public ServerSocket {
public:
    int port = 0;
    int openCount = 0;
    int openResult = 0;        // returned by Open(): 0 or an error number such as 10048
    std::set<int> takenPorts;  // ports whose Open() fails with 10048
    std::vector<int> triedPorts;
    bool listening = false;
    bool closed = false;
    std::vector<std::unique_ptr<FakeClientSocket>> connections;

    void SetPort(int p) override { port = p; }
    int Open() override {
        ++openCount;
        triedPorts.push_back(port);
        const int result = takenPorts.count(port) ? SocketError::AddressInUse : openResult;
        listening = result == 0;
        if (listening && onListen) onListen();
        return result;
    }
    int ActiveConnections() override { return static_cast<int>(connections.size()); }
    ClientSocket* Connection(int index) override {
        if (index < 0 || index >= ActiveConnections()) return nullptr;
        return connections[index].get();
    }
    void Close() override {
        closed = true;
        listening = false;
        connections.clear();
    }

    // A peer connects: the connection is added and the accept event raised.
    // Its own events (FireError, FireDisconnect, Deliver) reach the listener's
    // handlers, as with the real listening socket.
    FakeClientSocket* Accept() {
        connections.push_back(std::make_unique<FakeClientSocket>());
        FakeClientSocket* c = connections.back().get();
        c->onRead = [this, c] {
            if (onClientRead) onClientRead(*c);
        };
        c->onDisconnect = [this, c] {
            if (onClientDisconnect) onClientDisconnect(*c);
        };
        c->onError = [this, c](int& code) {
            if (onClientError) onClientError(*c, code);
        };
        if (onClientConnect) onClientConnect(*c);
        return c;
    }
    void DeliverTo(FakeClientSocket* c, const std::string& bytes) {
        c->incoming += bytes;
        if (onClientRead) onClientRead(*c);
    }
    void DisconnectClient(FakeClientSocket* c) {
        if (onClientDisconnect) onClientDisconnect(*c);
    }
};

// Creates fakes and keeps raw pointers to them. A client socket may be
// destroyed by its owner; ask IsAlive before touching an old one.
class FakeSocketFactory : public SocketFactory {
public:
    std::vector<FakeClientSocket*> created;
    std::vector<FakeServerSocket*> servers;
    std::set<std::string> resolvable;  // host names that LookupHost accepts
    std::set<int> takenPorts;          // handed to every listening socket created
    std::vector<std::string> lookups;  // every name asked for

    bool nextCertificateReadable = true;  // handed to every client socket created

    std::unique_ptr<ClientSocket> CreateClient() override {
        auto s = std::make_unique<FakeClientSocket>(live_);
        s->certificateReadable = nextCertificateReadable;
        created.push_back(s.get());
        return s;
    }
    std::unique_ptr<ServerSocket> CreateServer() override {
        auto s = std::make_unique<FakeServerSocket>();
        s->takenPorts = takenPorts;
        servers.push_back(s.get());
        return s;
    }
    bool LookupHost(const std::string& name) override {
        lookups.push_back(name);
        return resolvable.count(name) > 0;
    }

    bool IsAlive(const FakeClientSocket* s) const { return live_->count(s) > 0; }
    // The most recently created client socket.
    FakeClientSocket* Last() const { return created.empty() ? nullptr : created.back(); }

private:
    std::shared_ptr<std::set<const FakeClientSocket*>> live_ =
        std::make_shared<std::set<const FakeClientSocket*>>();
};

}  // namespace velmok::session
