// The certificate check of TLS connections: refused, asked, accepted for the
// host, asked again when the certificate changes.
#include "session/SessionFixture.h"
#include "session/Tls.h"

namespace velmok::session {

namespace {

const std::string kFirst =
    "AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99";
const std::string kSecond =
    "01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF";
const std::string kChanged =
    "\x91O\x89\xf1\x8e\xf3\x82\xaf\x93\xfc\x82\xea\x82\xbd\x8f\xd8\x96\xbe\x8f\x91\x82\xa9\x82\xe7\x95\xcf"
    "\x82"
    "\xed\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb7";  // 前回受け入れた証明書から変わっています

class TlsTest : public SessionFixture {
protected:
    FakeClientSocket* OpenTls() {
        ServerSession& s = engine.Session(0);
        s.ServerName = "irc.example.net";
        s.Port = 6697;
        s.Tls = true;
        s.Nick = "n";
        s.UserName = "u";
        s.RealName = "r";
        sockets.resolvable = {"irc.example.net"};
        EXPECT_TRUE(engine.ConnectSession(0));
        return sockets.Last();
    }
    // The handshake meets the certificate; a refusal ends the connection as
    // the platform does. True when the engine let it go on.
    bool Handshake(FakeClientSocket* socket, const std::string& fingerprint,
                   std::vector<CertificateProblem> problems) {
        if (socket->PresentCertificate({fingerprint, std::move(problems)})) return true;
        EXPECT_EQ(socket->FireError(SocketError::CertificateRejected), 0);
        return false;
    }
};

}  // namespace

TEST_F(TlsTest, RefusedUntilAcceptedThenRememberedForTheHostUntilItChanges) {
    FakeClientSocket* socket = OpenTls();
    EXPECT_TRUE(socket->tls);
    EXPECT_EQ(socket->host, "irc.example.net");

    // No: nothing stored, the slot is free, no other message.
    ui.yesNoAnswer = false;
    EXPECT_FALSE(Handshake(socket, kFirst, {CertificateProblem::SelfSigned, CertificateProblem::Expired}));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(ui.questions[0].find("irc.example.net"), std::string::npos);
    EXPECT_NE(ui.questions[0].find(kFirst), std::string::npos);
    EXPECT_NE(ui.questions[0].find(CertificateProblemText(CertificateProblem::SelfSigned)),
              std::string::npos);
    EXPECT_NE(ui.questions[0].find(CertificateProblemText(CertificateProblem::Expired)), std::string::npos);
    EXPECT_EQ(ui.questions[0].find(kChanged), std::string::npos);
    EXPECT_EQ(settings.Certificates.Find("irc.example.net"), "");
    EXPECT_FALSE(engine.Session(0).InUse);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(sockets.Last(), socket) << "no new connection after a no";

    // Yes: stored and connected again at once with the same profile.
    socket = OpenTls();
    ui.yesNoAnswer = true;
    EXPECT_FALSE(Handshake(socket, kFirst, {CertificateProblem::SelfSigned}));
    EXPECT_EQ(settings.Certificates.Find("IRC.example.NET"), kFirst);
    FakeClientSocket* again = sockets.Last();
    ASSERT_NE(again, socket);
    EXPECT_TRUE(again->tls);
    EXPECT_EQ(again->port, 6697);
    EXPECT_TRUE(Handshake(again, kFirst, {CertificateProblem::SelfSigned}));
    EXPECT_EQ(ui.questions.size(), 2u);
    again->FireConnect();
    EXPECT_EQ(again->TakeSent(), "NICK n\r\nUSER u 0 * :r\r\n");

    // Another certificate for the host is reported as a change; no keeps the old one.
    again->FireDisconnect();
    socket = OpenTls();
    ui.yesNoAnswer = false;
    EXPECT_FALSE(Handshake(socket, kSecond, {CertificateProblem::SelfSigned}));
    ASSERT_EQ(ui.questions.size(), 3u);
    EXPECT_NE(ui.questions[2].find(kChanged), std::string::npos);
    EXPECT_EQ(settings.Certificates.Find("irc.example.net"), kFirst);

    // A certificate the system trusts needs nobody's word.
    socket = OpenTls();
    EXPECT_TRUE(Handshake(socket, kSecond, {}));
    EXPECT_EQ(ui.questions.size(), 3u);
}

TEST_F(TlsTest, PlainProfilesAndResetsLeaveTlsOff) {
    FakeClientSocket* plain = Connect(0);
    EXPECT_FALSE(plain->tls);
    plain->FireError(SocketError::ConnectionRefused);
    EXPECT_EQ(ui.errors.back(), 1);
    FakeClientSocket* tls = OpenTls();
    EXPECT_TRUE(engine.Session(0).Tls);
    tls->FireError(SocketError::TlsFailed);
    EXPECT_EQ(ui.errors.back(), 38);
    EXPECT_FALSE(engine.Session(0).Tls);
}

}  // namespace velmok::session
