// TLS against a real ngircd with a self-signed certificate: refused until the
// user accepts its fingerprint, then registered and joined over TLS.
#include <gtest/gtest.h>

#include <QTimer>
#include <string>

#include "config/Settings.h"
#include "platform/QtClock.h"
#include "platform/QtSockets.h"
#include "session/Engine.h"
#include "session/Tls.h"
#include "support/NgircdServer.h"
#include "support/QtWait.h"
#include "support/RecordingFrontend.h"

namespace velmok::session {
namespace {

using test::NgircdServer;
using test::WaitUntil;

class TlsNgircdTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
        server.Tls = true;
        sockets.SetHandshakeTimeout(2000);
        ASSERT_TRUE(server.Start()) << server.Error();
        ui.onSetSendTimer = [this](bool on) {
            if (on && !timer.isActive()) timer.start(1000);
            if (!on) timer.stop();
        };
        QObject::connect(&timer, &QTimer::timeout, [this] { timer.setInterval(engine.DrainSendQueues()); });
    }

    void FillProfile(int port, bool tls) {
        ServerSession& s = engine.Session(0);
        s.ServerName = "127.0.0.1";
        s.Port = port;
        s.Tls = tls;
        s.Nick = "velmok";
        s.UserName = "vuser";
        s.RealName = "Velmok Tester";
    }
    bool WaitEnded() {
        return WaitUntil([&] { return engine.Slot(0).Registered || !engine.Session(0).InUse; }, 10000);
    }

    NgircdServer server;
    RecordingFrontend ui;
    platform::QtClock clock;
    platform::QtSocketFactory sockets;
    config::Settings settings;
    Engine engine{ui, clock, sockets, settings};
    QTimer timer;
};

}  // namespace

TEST_F(TlsNgircdTest, RefusedFirstThenConnectsOnceTheFingerprintIsAccepted) {
    const std::string fingerprint = server.CertificateFingerprint();
    ASSERT_EQ(fingerprint.size(), 95u) << fingerprint;

    // The user says no: nothing stored, no registration, no other message.
    FillProfile(server.TlsPort(), true);
    ui.yesNoAnswer = false;
    ASSERT_TRUE(engine.ConnectSession(0));
    ASSERT_TRUE(WaitEnded());
    EXPECT_FALSE(engine.Slot(0).Registered);
    EXPECT_FALSE(engine.Session(0).InUse);
    ASSERT_EQ(ui.questions.size(), 1u);
    const std::string& question = ui.questions[0];
    EXPECT_NE(question.find("SHA-256\x81\x46" + fingerprint), std::string::npos) << question;
    EXPECT_NE(question.find(CertificateProblemText(CertificateProblem::SelfSigned)), std::string::npos);
    EXPECT_NE(question.find(CertificateProblemText(CertificateProblem::WrongHost)), std::string::npos)
        << "the certificate names irc.test, not 127.0.0.1";
    EXPECT_EQ(settings.Certificates.Find("127.0.0.1"), "");
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_TRUE(ui.connected.empty()) << "the connection never counted as up";

    // The user accepts: stored for the host, connected again at once, registered.
    ui.yesNoAnswer = true;
    FillProfile(server.TlsPort(), true);
    ASSERT_TRUE(engine.ConnectSession(0));
    ASSERT_TRUE(WaitUntil([&] { return engine.Slot(0).Registered; }, 10000)) << server.Log();
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(settings.Certificates.Find("127.0.0.1"), fingerprint);
    EXPECT_EQ(engine.Session(0).ServerName, "irc.test");

    engine.EnqueueLine(Queue::A, 0, "JOIN #tls", 2);
    ASSERT_TRUE(WaitUntil([&] { return engine.FindChannel(0, "#tls") >= 0; }, 6000));
    const int window = engine.FindChannel(0, "#tls");
    ASSERT_TRUE(WaitUntil([&] { return !engine.Channel(0, window).Members.empty(); }, 3000));
    EXPECT_EQ(engine.Channel(0, window).Members, std::vector<std::string>{"@velmok"});
}

TEST_F(TlsNgircdTest, TlsToAPlainPortFailsInsteadOfHanging) {
    // A plain server never answers the handshake: a TLS failure, not a hang.
    FillProfile(server.Port(), true);
    ASSERT_TRUE(engine.ConnectSession(0));
    ASSERT_TRUE(WaitUntil([&] { return !engine.Session(0).InUse; }, 8000));
    EXPECT_FALSE(engine.Slot(0).Registered);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(ui.errors, std::vector<int>{38});
}

}  // namespace velmok::session
