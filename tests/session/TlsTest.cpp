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

// Refusal, acceptance and storage against a real server are in the
// integration test; here the decisions it cannot reach.
TEST_F(TlsTest, AnAcceptedCertificateThatChangesIsAskedAboutAgain) {
    settings.Certificates.Accept("irc.example.net", kFirst);
    FakeClientSocket* socket = OpenTls();
    EXPECT_TRUE(socket->tls);
    EXPECT_EQ(socket->host, "irc.example.net") << "verified against the profile's host";
    EXPECT_TRUE(Handshake(socket, kFirst, {CertificateProblem::SelfSigned}));
    EXPECT_TRUE(ui.questions.empty());

    // Another certificate: asked with the change, the reasons and the new
    // fingerprint; no keeps the old one and leaves the slot free.
    socket = OpenTls();
    EXPECT_FALSE(Handshake(socket, kSecond, {CertificateProblem::Expired, CertificateProblem::Expired}));
    ASSERT_EQ(ui.questions.size(), 1u);
    const std::string& question = ui.questions[0];
    EXPECT_NE(question.find(kChanged), std::string::npos);
    EXPECT_NE(question.find(kSecond), std::string::npos);
    const std::string expired = CertificateProblemText(CertificateProblem::Expired);
    EXPECT_EQ(question.find(expired), question.rfind(expired)) << "one line per reason";
    EXPECT_EQ(settings.Certificates.Find("irc.example.net"), kFirst);
    EXPECT_FALSE(engine.Session(0).InUse);
    EXPECT_TRUE(ui.errors.empty());

    // A certificate the system trusts needs nobody's word.
    EXPECT_TRUE(Handshake(OpenTls(), kSecond, {}));
    EXPECT_EQ(ui.questions.size(), 1u);

    // A handshake that fails for other reasons has its own message.
    sockets.Last()->FireError(SocketError::TlsFailed);
    EXPECT_EQ(ui.errors, std::vector<int>{38});
    EXPECT_FALSE(engine.Session(0).Tls);
}

}  // namespace velmok::session
