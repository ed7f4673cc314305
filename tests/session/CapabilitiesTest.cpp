// Capability negotiation and the SASL login, byte for byte, against a
// scripted server; and registration exactly as before against servers that
// know none of it.
#include <gtest/gtest.h>

#include "base/Texts.h"
#include "session/SessionFixture.h"

namespace velmok::session {

namespace {

const std::string kRegister = "CAP LS 302\r\nNICK n\r\nUSER u 0 * :r\r\n";

class CapabilitiesTest : public SessionFixture {
protected:
    // Connects slot 0 and returns its socket with nothing taken from it yet.
    FakeClientSocket* Open(const std::string& password = "") {
        sockets.resolvable.insert("irc.example");
        if (engine.Session(0).InUse) engine.ResetSession(0);
        ServerSession& s = engine.Session(0);
        s.ServerName = "irc.example";
        s.Port = 6697;
        s.Tls = true;
        s.Password = password;
        s.Nick = "n";
        s.UserName = "u";
        s.RealName = "r";
        EXPECT_TRUE(engine.ConnectSession(0));
        FakeClientSocket* socket = sockets.Last();
        socket->FireConnect();
        return socket;
    }
    void UseSasl(config::SaslMechanism mechanism, const std::string& certificate = "") {
        settings.Sasl.Set("irc.example", "+6697", {mechanism, certificate});
    }
    std::string LoginFailed(const std::string& reason) const {
        return texts::SaslLoginFailed + reason + texts::SaslReasonEnd;
    }
};

}  // namespace

TEST_F(CapabilitiesTest, OfferedCapabilitiesAreRequestedAndTheNegotiationEnds) {
    FakeClientSocket* socket = Open("pw");
    EXPECT_EQ(socket->TakeSent(), "CAP LS 302\r\nPASS pw\r\nNICK n\r\nUSER u 0 * :r\r\n");
    // A list in two lines; sasl is offered, but no login is configured.
    socket->Deliver(":srv CAP * LS * :multi-prefix sasl=PLAIN,EXTERNAL extended-join\r\n");
    EXPECT_EQ(socket->sent, "");
    socket->Deliver("@time=2024-01-01T00:00:00Z :srv CAP * LS :away-notify server-time message-tags\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP REQ :multi-prefix server-time away-notify message-tags\r\n");
    socket->Deliver(":srv CAP n ACK :multi-prefix server-time away-notify message-tags\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP END\r\n");
    EXPECT_TRUE(engine.Slot(0).Caps.Has("away-notify"));
    socket->Deliver(":srv 001 n :Welcome\r\n");
    EXPECT_TRUE(engine.Slot(0).Registered);
    ASSERT_EQ(ui.lines.size(), 1u);  // the welcome; nothing of the negotiation
    EXPECT_TRUE(ui.beeps.empty());

    // Later: a capability taken away, one offered anew.
    socket->Deliver(":srv CAP n DEL :away-notify\r\n:srv CAP n NEW :away-notify sasl\r\n");
    EXPECT_FALSE(engine.Slot(0).Caps.Has("away-notify"));
    EXPECT_EQ(socket->TakeSent(), "CAP REQ :away-notify\r\n");  // no login after registration
    socket->Deliver(":srv CAP n ACK :away-notify\r\n");
    EXPECT_EQ(socket->sent, "");  // no second CAP END
    EXPECT_TRUE(engine.Slot(0).Caps.Has("away-notify"));
}

TEST_F(CapabilitiesTest, NothingWantedOrARefusalStillEndsTheNegotiation) {
    FakeClientSocket* socket = Open();
    socket->TakeSent();
    socket->Deliver(":srv CAP * LS :extended-join account-notify\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP END\r\n");

    socket = Open();
    socket->TakeSent();
    socket->Deliver(":srv CAP * LS :multi-prefix server-time\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP REQ :multi-prefix server-time\r\n");
    // The whole request is refused: each is asked for alone.
    socket->Deliver(":srv CAP * NAK :multi-prefix server-time\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP REQ :multi-prefix\r\nCAP REQ :server-time\r\n");
    socket->Deliver(":srv CAP * NAK :multi-prefix\r\n");
    EXPECT_EQ(socket->sent, "");
    socket->Deliver(":srv CAP * ACK :server-time\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP END\r\n");
    EXPECT_EQ(engine.Slot(0).Caps.Enabled, (std::set<std::string>{"server-time"}));
}

TEST_F(CapabilitiesTest, ServersWithoutCapabilitiesRegisterAsBefore) {
    // 421 to CAP: not shown, no beep, NICK and USER did the rest.
    FakeClientSocket* socket = Open();
    EXPECT_EQ(socket->TakeSent(), kRegister);
    socket->Deliver(":srv 421 * CAP :Unknown command\r\n:srv 001 n :Welcome\r\n");
    EXPECT_EQ(socket->sent, "");
    EXPECT_TRUE(engine.Slot(0).Registered);
    EXPECT_EQ(ui.lines.size(), 1u);
    EXPECT_TRUE(ui.beeps.empty());
    // A 421 the user earns is shown as always.
    socket->Deliver(":srv 421 n FOO :Unknown command\r\n");
    EXPECT_EQ(ui.lines.back().text, "421 FOO Unknown command");
    EXPECT_EQ(ui.beeps.size(), 1u);

    // Silence, then the welcome: nothing more is sent, not even later.
    socket = Open();
    socket->TakeSent();
    socket->Deliver(":srv 001 n :Welcome\r\n");
    clock.Advance(60000);
    engine.DrainSendQueues();
    EXPECT_EQ(socket->sent, "");

    // The setting off: no CAP at all.
    settings.Capabilities = false;
    UseSasl(config::SaslMechanism::Plain);
    socket = Open("pw");
    EXPECT_EQ(socket->TakeSent(), "PASS pw\r\nNICK n\r\nUSER u 0 * :r\r\n");
}

TEST_F(CapabilitiesTest, PlainLoginSendsTheAccountAndPasswordInsteadOfPass) {
    UseSasl(config::SaslMechanism::Plain);
    FakeClientSocket* socket = Open("pw");
    EXPECT_EQ(socket->TakeSent(), kRegister);  // no PASS
    socket->Deliver(":srv CAP * LS :sasl=PLAIN,EXTERNAL multi-prefix\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP REQ :sasl multi-prefix\r\n");
    socket->Deliver(":srv CAP * ACK :sasl multi-prefix\r\n");
    EXPECT_EQ(socket->TakeSent(), "AUTHENTICATE PLAIN\r\n");
    socket->Deliver("AUTHENTICATE +\r\n");
    EXPECT_EQ(socket->TakeSent(), "AUTHENTICATE dQB1AHB3\r\n");  // "u\0u\0pw"
    socket->Deliver(":srv 900 n n!u@h u :You are now logged in as u\r\n");
    EXPECT_EQ(socket->sent, "");
    socket->Deliver(":srv 903 n :SASL authentication successful\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP END\r\n");
    ASSERT_EQ(ui.lines.size(), 2u);
    EXPECT_EQ(ui.lines[0].font, FontKind::Server);
    EXPECT_EQ(ui.lines[1].text, "903 SASL authentication successful");
    EXPECT_TRUE(ui.beeps.empty());

    // 300 bytes make exactly 400 of base64: the full line is closed by "+".
    socket = Open(std::string(296, 'p'));
    socket->Deliver(":srv CAP * LS :sasl\r\n:srv CAP * ACK :sasl\r\n");
    socket->TakeSent();
    socket->Deliver("AUTHENTICATE +\r\n");
    const std::string sent = socket->TakeSent();
    ASSERT_EQ(sent.size(), 15 + 400 + 16u);
    EXPECT_EQ(sent.substr(0, 17), "AUTHENTICATE dQB1");
    EXPECT_EQ(sent.substr(sent.size() - 18), "\r\nAUTHENTICATE +\r\n");
}

TEST_F(CapabilitiesTest, EveryLoginFailureSaysSoOnceAndRegistrationGoesOn) {
    struct Step {
        std::string from;  // a server line
        std::string sent;  // what we answer
    };
    struct Case {
        std::vector<Step> steps;
        std::string reason;
    };
    const Step ls{":srv CAP * LS :sasl", "CAP REQ :sasl\r\n"};
    const Step ack{":srv CAP * ACK :sasl", "AUTHENTICATE PLAIN\r\n"};
    const std::vector<Case> cases = {
        {{{":srv CAP * LS :sasl multi-prefix", "CAP REQ :sasl multi-prefix\r\n"},
          {":srv CAP * ACK :sasl multi-prefix", "AUTHENTICATE PLAIN\r\n"},
          {"AUTHENTICATE +", "AUTHENTICATE dQB1AHB3\r\n"},
          {":srv 904 n :SASL authentication failed", "CAP END\r\n"}},
         "SASL authentication failed"},
        {{ls, ack, {":srv 905 n :SASL message too long", "CAP END\r\n"}}, "SASL message too long"},
        {{{":srv CAP * LS :sasl=EXTERNAL multi-prefix", "CAP REQ :multi-prefix\r\n"},
          {":srv CAP * ACK :multi-prefix", "CAP END\r\n"}},
         std::string(texts::SaslMechanismMissing) + "PLAIN"},
        {{{":srv CAP * LS :multi-prefix", "CAP REQ :multi-prefix\r\n"},
          {":srv CAP * ACK :multi-prefix", "CAP END\r\n"}},
         texts::SaslNotOffered},
        {{ls, {":srv CAP * NAK :sasl", "CAP END\r\n"}}, texts::SaslRefused},
        {{{":srv 421 * CAP :Unknown command", ""}}, texts::SaslNotOffered},
        {{{":srv 001 n :Welcome", ""}}, texts::SaslNotOffered},
        {{ls, {"", "CAP END\r\n"}}, texts::SaslNoAnswer},  // "": 31 seconds of silence
    };
    UseSasl(config::SaslMechanism::Plain);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps.front().from);
        ui.Clear();
        FakeClientSocket* socket = Open("pw");
        socket->TakeSent();
        for (const Step& step : c.steps) {
            clock.Advance(step.from.empty() ? 31000 : 0);
            engine.DrainSendQueues();
            if (!step.from.empty()) socket->Deliver(step.from + "\r\n");
            EXPECT_EQ(socket->TakeSent(), step.sent) << step.from;
        }
        // One Error line with its warning, whatever else follows.
        socket->Deliver(":srv 904 n :SASL authentication failed\r\n:srv 001 n :Welcome\r\n");
        std::vector<std::string> failures;
        for (const auto& line : ui.lines)
            if (line.font == FontKind::Error && line.text.rfind(texts::SaslLoginFailed, 0) == 0)
                failures.push_back(line.text);
        EXPECT_EQ(failures, std::vector<std::string>{LoginFailed(c.reason)});
        EXPECT_EQ(socket->sent, "");
        EXPECT_TRUE(engine.Slot(0).Registered);
    }
}

TEST_F(CapabilitiesTest, ExternalLoginPresentsTheCertificateAndAnswersWithAPlus) {
    UseSasl(config::SaslMechanism::External, "/home/u/me.pem");
    FakeClientSocket* socket = Open("pw");
    EXPECT_EQ(socket->clientCertificate, "/home/u/me.pem");
    EXPECT_EQ(socket->TakeSent(), "CAP LS 302\r\nPASS pw\r\nNICK n\r\nUSER u 0 * :r\r\n");
    socket->Deliver(":srv CAP * LS :sasl=PLAIN,EXTERNAL\r\n:srv CAP * ACK :sasl\r\nAUTHENTICATE +\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP REQ :sasl\r\nAUTHENTICATE EXTERNAL\r\nAUTHENTICATE +\r\n");
    socket->Deliver(":srv 903 n :SASL authentication successful\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP END\r\n");

    // A certificate that cannot be read: no login is tried, and it is said why.
    sockets.nextCertificateReadable = false;
    socket = Open();
    socket->TakeSent();
    socket->Deliver(":srv CAP * LS :sasl=EXTERNAL\r\n");
    EXPECT_EQ(socket->TakeSent(), "CAP END\r\n");
    EXPECT_EQ(ui.lines.back().text, LoginFailed(texts::SaslCertificateUnreadable));
}

TEST_F(CapabilitiesTest, TagsAreTakenOffEveryKindOfLine) {
    FakeClientSocket* socket = Register(0, "n");
    const std::string tags = "@time=2024-01-02T03:04:05.000Z;msgid=a\\sb;+draft/reply=x ";
    socket->Deliver(tags + "PING :tok\r\n");
    EXPECT_EQ(socket->TakeSent(), "PONG 127.0.0.1 tok\r\n");
    engine.SendNow(0, "JOIN #c\r\n");
    socket->TakeSent();
    socket->Deliver(tags + ":n!u@h JOIN #c\r\n" + tags + ":srv 353 n = #c :@n bob\r\n" + tags +
                    ":bob!u@h PRIVMSG #c :hi there\r\n" + tags + ":bob!u@h NOTICE n :psst\r\n" + tags +
                    ":bob!u@h MODE #c +o bob\r\n" + tags + ":srv 404 n #c :Cannot send\r\n");
    std::vector<std::string> texts;
    for (const auto& line : ui.lines) texts.push_back(line.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"n JOIN (n!u@h)", "353 = #c @n bob", "<bob> hi there",
                                               "<bob> psst", "bob MODE +o bob", "404 #c Cannot send"}));
    const int c = engine.FindChannel(0, "#c");
    EXPECT_EQ(engine.Channel(0, c).Members, (std::vector<std::string>{"@bob", "@n"}));
}

}  // namespace velmok::session
