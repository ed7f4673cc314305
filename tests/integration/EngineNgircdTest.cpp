// The session engine against a real ngircd on loopback: registration bytes,
// the server's keep-alive PING, a paced JOIN and the QUIT that frees the slot.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "config/Settings.h"
#include "platform/QtClock.h"
#include "platform/QtSockets.h"
#include "session/Engine.h"
#include "support/IrcPeer.h"
#include "support/NgircdServer.h"
#include "support/QtWait.h"
#include "support/RecordingFrontend.h"

namespace velmok::session {

namespace {

using test::NgircdServer;
using test::WaitUntil;

// An ngircd with a short keep-alive and, optionally, a server password; the
// shared test server keeps the defaults, which would make these tests wait
// two minutes for a PING.
class TunedNgircd {
public:
    explicit TunedNgircd(std::string password = "") : password_(std::move(password)) {}
    ~TunedNgircd() {
        Stop();
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }

    bool Start() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmok-engine-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return false;
        dir_ = pattern;
        if (::geteuid() == 0 && ::chown(dir_.c_str(), 65534, 65534) != 0) return false;
        port_ = NgircdServer::FreePort();
        const std::string config = dir_ + "/ngircd.conf";
        {
            std::ofstream out(config);
            out << "[Global]\n\tName = irc.test\n\tInfo = Velmok engine test\n\tListen = 127.0.0.1\n"
                << "\tPorts = " << port_ << "\n\tPidFile = " << dir_ << "/ngircd.pid\n";
            if (!password_.empty()) out << "\tPassword = " << password_ << "\n";
            if (::geteuid() == 0) out << "\tServerUID = 65534\n\tServerGID = 65534\n";
            out << "[Limits]\n\tPingTimeout = 5\n\tMaxConnectionsIP = 20\n"
                << "[Options]\n\tDNS = no\n\tIdent = no\n\tPAM = no\n";
        }
        const std::string log = dir_ + "/ngircd.log";
        pid_ = ::fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (fd >= 0) {
                ::dup2(fd, STDOUT_FILENO);
                ::dup2(fd, STDERR_FILENO);
            }
            ::execl(NgircdServer::kBinary, NgircdServer::kBinary, "-n", "-f", config.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 200; ++i) {
            test::IrcPeer probe;
            if (probe.Connect(port_, 100)) return true;
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 250 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }

    int Port() const { return port_; }
    std::string Log() const {
        std::ifstream in(dir_ + "/ngircd.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::string password_;
    std::string dir_;
    int port_ = 0;
    pid_t pid_ = -1;
};

// Passes everything through to a real socket and keeps a copy of what is sent
// and received, so the test sees the exact bytes on the wire.
class TappedSocket : public ClientSocket {
public:
    TappedSocket(std::unique_ptr<ClientSocket> inner, std::string& sent, std::string& received)
        : inner_(std::move(inner)), sent_(sent), received_(received) {
        inner_->onConnect = [this] {
            if (onConnect) onConnect();
        };
        inner_->onRead = [this] {
            if (onRead) onRead();
        };
        inner_->onDisconnect = [this] {
            if (onDisconnect) onDisconnect();
        };
        inner_->onError = [this](int& code) {
            if (onError) onError(code);
        };
        inner_->onCertificate = [this](const CertificateReport& report) {
            return onCertificate && onCertificate(report);
        };
    }
    void SetHost(const std::string& host) override { inner_->SetHost(host); }
    void SetAddress(const std::string& address) override { inner_->SetAddress(address); }
    void SetPort(int port) override { inner_->SetPort(port); }
    void SetTls(bool tls) override { inner_->SetTls(tls); }
    void Open() override { inner_->Open(); }
    std::string ReceiveText() override {
        std::string text = inner_->ReceiveText();
        received_ += text;
        return text;
    }
    int ReceiveBuf(char* buffer, int n) override { return inner_->ReceiveBuf(buffer, n); }
    void SendText(const std::string& text) override {
        sent_ += text;
        inner_->SendText(text);
    }
    void SendBuf(const char* bytes, int n) override { inner_->SendBuf(bytes, n); }
    std::string RemoteHost() override { return inner_->RemoteHost(); }
    std::string RemoteAddress() override { return inner_->RemoteAddress(); }
    std::string LocalAddress() override { return inner_->LocalAddress(); }
    std::string LocalHost() override { return inner_->LocalHost(); }
    void Close() override { inner_->Close(); }

private:
    std::unique_ptr<ClientSocket> inner_;
    std::string& sent_;
    std::string& received_;
};

class TappedFactory : public platform::QtSocketFactory {
public:
    std::string sent;
    std::string received;
    std::unique_ptr<ClientSocket> CreateClient() override {
        sent.clear();
        received.clear();
        return std::make_unique<TappedSocket>(platform::QtSocketFactory::CreateClient(), sent, received);
    }
};

// The engine as the main window wires it: the send timer is a QTimer whose
// every tick drains the queues and takes the next interval from them.
class EngineNgircdTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
        ui.onSetSendTimer = [this](bool on) {
            if (on && !timer.isActive()) {
                timer.start(2000);
            } else if (!on) {
                timer.stop();
            }
        };
        QObject::connect(&timer, &QTimer::timeout, [this] { timer.setInterval(engine.DrainSendQueues()); });
    }

    bool Connect(int port, const std::string& password = "") {
        ServerSession& s = engine.Session(0);
        s.ServerName = "127.0.0.1";
        s.Port = port;
        s.Password = password;
        s.Nick = "velmok";
        s.UserName = "vuser";
        s.RealName = "Velmok Tester";
        return engine.ConnectSession(0);
    }
    bool WaitRegistered() {
        return WaitUntil([&] { return engine.Slot(0).Registered || !engine.Session(0).InUse; }, 10000) &&
               engine.Slot(0).Registered;
    }

    RecordingFrontend ui;
    platform::QtClock clock;
    TappedFactory sockets;
    config::Settings settings;
    Engine engine{ui, clock, sockets, settings};
    QTimer timer;
};

}  // namespace

TEST_F(EngineNgircdTest, RegistersAnswersPingJoinsAndQuits) {
    TunedNgircd server;
    ASSERT_TRUE(server.Start()) << server.Log();
    ASSERT_TRUE(Connect(server.Port()));
    ASSERT_TRUE(WaitRegistered()) << sockets.received << server.Log();

    // ngircd offers multi-prefix alone; registration waits for CAP END.
    EXPECT_EQ(
        sockets.sent,
        "CAP LS 302\r\nNICK velmok\r\nUSER vuser 0 * :Velmok Tester\r\nCAP REQ :multi-prefix\r\nCAP END\r\n");
    EXPECT_EQ(engine.Session(0).ServerName, "irc.test");
    EXPECT_EQ(engine.LocalAddress, "127.0.0.1");
    EXPECT_TRUE(ui.Enabled(Action::FileDisConnect));

    // Left idle, the server checks that we are alive.
    ASSERT_TRUE(WaitUntil([&] { return sockets.sent.find("PONG ") != std::string::npos; }, 12000))
        << sockets.received;
    EXPECT_NE(sockets.received.find("PING :irc.test\r\n"), std::string::npos);
    EXPECT_NE(sockets.sent.find("PONG 127.0.0.1 irc.test\r\n"), std::string::npos);
    EXPECT_TRUE(engine.Slot(0).Registered);

    engine.EnqueueLine(Queue::A, 0, "JOIN #test", 2);
    ASSERT_TRUE(WaitUntil([&] { return engine.FindChannel(0, "#test") >= 0; }, 6000)) << sockets.received;
    EXPECT_NE(sockets.sent.find("JOIN #test\r\n"), std::string::npos);
    int window = engine.FindChannel(0, "#test");
    ASSERT_TRUE(WaitUntil([&] { return !engine.Channel(0, window).Members.empty(); }, 3000));
    EXPECT_EQ(engine.Channel(0, window).Members, std::vector<std::string>{"@velmok"});
    EXPECT_TRUE(engine.Channel(0, window).OwnOp);

    engine.SendQuit(0);
    ASSERT_TRUE(WaitUntil([&] { return !engine.Session(0).InUse; }, 5000));
    EXPECT_FALSE(engine.Slot(0).Registered);
    EXPECT_EQ(ui.errors, std::vector<int>{2});
    EXPECT_EQ(ui.removed.size(), 1u);  // the channel window went with the connection
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(engine.FirstFreeSlot(), 0);
}

TEST_F(EngineNgircdTest, PasswordGoesFirst) {
    TunedNgircd server("s3cret");
    ASSERT_TRUE(server.Start()) << server.Log();
    settings.Capabilities = false;  // [Connection] Capabilities=0: registration as it always was
    ASSERT_TRUE(Connect(server.Port(), "s3cret"));
    ASSERT_TRUE(WaitRegistered()) << sockets.received << server.Log();
    EXPECT_EQ(sockets.sent, "PASS s3cret\r\nNICK velmok\r\nUSER vuser 0 * :Velmok Tester\r\n");

    // Closing the window: QUIT, then the server's close completes it.
    bool closed = false;
    ui.onRequestClose = [&] { closed = engine.RequestClose(); };
    EXPECT_FALSE(engine.RequestClose());
    ASSERT_TRUE(WaitUntil([&] { return closed; }, 5000));
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(EngineNgircdTest, WrongPasswordEndsBeforeRegistration) {
    TunedNgircd server("s3cret");
    ASSERT_TRUE(server.Start()) << server.Log();
    ASSERT_TRUE(Connect(server.Port(), "wrong"));
    ASSERT_TRUE(WaitUntil([&] { return !engine.Session(0).InUse; }, 8000)) << sockets.received;
    EXPECT_FALSE(engine.Slot(0).Registered);
    EXPECT_EQ(ui.errors.size(), 1u);
}

TEST_F(EngineNgircdTest, RefusedConnectionShowsError1) {
    ASSERT_TRUE(Connect(NgircdServer::FreePort()));
    ASSERT_TRUE(WaitUntil([&] { return !engine.Session(0).InUse; }, 5000));
    EXPECT_EQ(ui.errors, std::vector<int>{1});
}

// A server that offers capabilities: what we ask for, the marks it announces,
// its time stamps and who is away; a client that asks for none still registers.
TEST_F(EngineNgircdTest, InspircdNegotiatesCapabilitiesAndItsFiveMarks) {
    test::InspircdServer server;
    ASSERT_TRUE(server.Start()) << server.Log();
    ASSERT_TRUE(Connect(server.Port()));
    ASSERT_TRUE(WaitRegistered()) << sockets.received << server.Log();
    EXPECT_EQ(sockets.sent,
              "CAP LS 302\r\nNICK velmok\r\nUSER vuser 0 * :Velmok Tester\r\n"
              "CAP REQ :multi-prefix server-time away-notify message-tags\r\nCAP END\r\n");
    EXPECT_EQ(engine.Slot(0).Caps.Enabled.size(), 4u);
    int stamped = 0;
    ui.onRenderLine = [&](const RecordingFrontend::Line&) { stamped += engine.LineTime() ? 1 : 0; };
    test::IrcPeer peer;
    ASSERT_TRUE(peer.Connect(server.Port()) && peer.Register("peer")) << server.Log();

    engine.EnqueueLine(Queue::A, 0, "JOIN #t", 1);
    ASSERT_TRUE(WaitUntil([&] { return engine.FindChannel(0, "#t") >= 0; }, 6000)) << sockets.received;
    const int t = engine.FindChannel(0, "#t");
    const auto& members = engine.Channel(0, t).Members;
    peer.SendLine("JOIN #t");
    ASSERT_TRUE(WaitUntil([&] { return members.size() == 2; }, 5000)) << sockets.received;
    engine.EnqueueLine(Queue::A, 0, "MODE #t +hv peer peer", 1);
    ASSERT_TRUE(WaitUntil([&] { return members.back() == "%+peer"; }, 6000)) << sockets.received;
    peer.SendLine("AWAY :lunch");
    peer.SendLine("PRIVMSG #t :hi");
    ASSERT_TRUE(WaitUntil([&] { return !ui.lines.empty() && ui.lines.back().text == "<peer> hi"; }, 5000));
    EXPECT_TRUE(engine.IsAway(0, "peer"));
    EXPECT_GT(stamped, 0);
    engine.EnqueueLine(Queue::A, 0, "NAMES #t", 1);  // with multi-prefix, both marks
    ASSERT_TRUE(
        WaitUntil([&] { return sockets.received.find(" 366 ") != sockets.received.rfind(" 366 "); }, 6000));
    EXPECT_EQ(members, (std::vector<std::string>{"@velmok", "%+peer"}));
    peer.SendLine("PART #t");
    ASSERT_TRUE(WaitUntil([&] { return members.size() == 1; }, 5000)) << sockets.received;
}

}  // namespace velmok::session
