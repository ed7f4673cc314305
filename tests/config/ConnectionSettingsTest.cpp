// The additions to the settings: the reconnection switch, accepted
// certificates, and the "+port" notation of TLS profiles.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "config/ConnectEditor.h"
#include "config/Profiles.h"
#include "config/SettingsStore.h"
#include "session/Engine.h"

namespace velmok::config {

namespace {

const std::string kFingerprint =
    "AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99";

class ConnectionSettingsTest : public TempDirTest {};

}  // namespace

TEST_F(ConnectionSettingsTest, OlderFilesLoadAsBeforeAndNewKeysAppearOnlyWhenUsed) {
    const std::string older = "[Log]\r\nOutput=0\r\n[Window]\r\nTop=1\r\n";
    Put("velmok.ini", older);
    {
        IniFile ini(Path("velmok.ini"));
        Settings s;
        LoadSettings(ini, s, dir_);
        EXPECT_TRUE(s.AutoReconnect) << "files without the key reconnect";
        EXPECT_TRUE(s.KeywordOwnNick && s.NotifyDesktop && s.NotifyTray) << "and mark the nick and notify";
        EXPECT_TRUE(s.Certificates.Entries().empty());
        ASSERT_TRUE(SaveConnectionSettings(ini, s));
        EXPECT_EQ(Get("velmok.ini"), older) << "nothing new is written while nothing is used";

        s.AutoReconnect = false;
        ASSERT_TRUE(s.Certificates.Accept("Irc.Example.net", kFingerprint));
        ASSERT_TRUE(SaveConnectionSettings(ini, s));
    }
    EXPECT_EQ(Get("velmok.ini"),
              older + "[Connection]\r\nAutoReconnect=0\r\n[Certificates]\r\nirc.example.net=" + kFingerprint +
                  "\r\n");

    // Read back; broken entries are left out; switched on again, the key stays.
    Put("velmok.ini", Get("velmok.ini") + "bad host=" + kFingerprint + "\r\nother.net=not a fingerprint\r\n");
    IniFile ini(Path("velmok.ini"));
    Settings s;
    LoadSettings(ini, s, dir_);
    EXPECT_FALSE(s.AutoReconnect);
    EXPECT_EQ(s.Certificates.Find("IRC.EXAMPLE.NET"), kFingerprint);
    EXPECT_EQ(s.Certificates.Entries().size(), 1u);
    s.AutoReconnect = true;
    ASSERT_TRUE(SaveConnectionSettings(ini, s));
    EXPECT_NE(Get("velmok.ini").find("[Connection]\r\nAutoReconnect=1\r\n"), std::string::npos);
    EXPECT_EQ(Get("velmok.ini").find("[Notify]"), std::string::npos);
    s.NotifyTray = false;
    s.KeywordOwnNick = false;
    ASSERT_TRUE(SaveConnectionSettings(ini, s));
    ASSERT_TRUE(SaveSettings(ini, s, dir_));
    EXPECT_NE(Get("velmok.ini").find("[Notify]\r\nDesktop=1\r\nTray=0\r\n"), std::string::npos);
    Settings back;
    LoadSettings(IniFile(Path("velmok.ini")), back, dir_);
    EXPECT_FALSE(back.NotifyTray || back.KeywordOwnNick);
    EXPECT_TRUE(back.NotifyDesktop);
    EXPECT_FALSE(s.Certificates.Accept("a=b", kFingerprint));
    EXPECT_FALSE(s.Certificates.Accept("host", "AA:BB"));
}

TEST(TlsPort, PlusPortMeansTlsInProfilesTheEditorAndTheSession) {
    EXPECT_TRUE(PortUsesTls("+6697"));
    EXPECT_FALSE(PortUsesTls("6697"));
    EXPECT_EQ(ProfileCheck({"h", "+6697", "", "nick", "", "user", "Real"}), 0);

    session::ServerSession s;
    FillSession({"h", "+6697", "", "n", "", "u", "r", ""}, s);
    EXPECT_EQ(s.Port, 6697);
    EXPECT_TRUE(s.Tls);
    FillSession({"h", "6667", "", "n", "", "u", "r", ""}, s);
    EXPECT_FALSE(s.Tls);

    // The editor shows the number and the tick box, and writes the "+" back;
    // the Connections text keeps its eight lines a profile.
    ConnectEditor e(
        "tls.net\r\n+6697\r\n\r\nn1\r\n\r\nu1\r\nr1\r\n\r\nplain."
        "net\r\n6667\r\n\r\nn2\r\n\r\nu2\r\nr2\r\n\r\n");
    e.SelectProfile(0);
    EXPECT_TRUE(e.Tls);
    EXPECT_EQ(e.Fields[FieldPort], "6697");
    e.SelectProfile(1);
    EXPECT_FALSE(e.Tls);
    e.Tls = true;
    ASSERT_EQ(e.UpdateProfile([] { return true; }), 0);
    e.SelectProfile(0);
    e.Tls = false;
    ASSERT_EQ(e.UpdateProfile([] { return true; }), 0);
    EXPECT_EQ(e.ProfileText(),
              "tls.net\r\n6697\r\n\r\nn1\r\n\r\nu1\r\nr1\r\n\r\nplain.net\r\n+"
              "6667\r\n\r\nn2\r\n\r\nu2\r\nr2\r\n\r\n");
    // A "+" typed into the port itself is not doubled.
    e.Fields[FieldPort] = "+7000";
    e.Tls = true;
    ASSERT_EQ(e.AddProfile(), 0);
    EXPECT_EQ(e.Profiles().back().Port, "+7000");
}

}  // namespace velmok::config

namespace velmok::config {

TEST_F(ConnectionSettingsTest, LoginsLiveInTheSaslSectionAndFollowTheirProfilesInTheEditor) {
    Put("velmok.ini",
        "[SASL]\r\nirc.example:+6697=EXTERNAL\r\nirc.example:+6697/Certificate=/home/\x90\xdd\x92\xe8/"
        "me.pem\r\n"
        "old.net:6667=PLAIN\r\nbad.net:6667=CRAM\r\n[Connection]\r\nCapabilities=0\r\n"
        "[Encoding]\r\nold.net:6667=utf-8\r\n");
    IniFile ini(Path("velmok.ini"));
    Settings s;
    LoadSettings(ini, s, dir_);
    EXPECT_FALSE(s.Capabilities);
    EXPECT_EQ(s.Sasl.Entries().size(), 2u);  // no such mechanism: left out
    // Found by host (case ignored), number and TLS, however the port is spelt.
    // The certificate's folder "設定" is Shift-JIS in the file, UTF-8 inside.
    EXPECT_EQ(s.Sasl.Find("IRC.example", 6697, true),
              (SaslChoice{SaslMechanism::External, "/home/\xe8\xa8\xad\xe5\xae\x9a/me.pem"}));
    EXPECT_EQ(s.Sasl.Find("irc.example", 6697, false).Mechanism, SaslMechanism::None);
    EXPECT_EQ(s.Sasl.Find("old.net", 6667, false).Mechanism, SaslMechanism::Plain);

    // The editor: each row keeps its login through adding, moving and deleting.
    const std::string profiles =
        "irc.example\r\n+6697\r\n\r\nn\r\n\r\nu\r\nr\r\n\r\n"
        "old.net\r\n6667\r\npw\r\nn\r\n\r\nu\r\nr\r\n\r\n";
    ConnectEditor e(profiles, s.Sasl, s.Encodings);
    e.SelectProfile(1);
    EXPECT_EQ(e.Sasl.Mechanism, SaslMechanism::Plain);
    EXPECT_EQ(e.Encoding, WireEncoding::Utf8);  // and so the new profile's
    e.Fields = {"new.net", "7000", "pw", "nick", "", "user", "Real"};
    e.Sasl = {SaslMechanism::External, "/cf\xc3\xa9.pem"};
    ASSERT_EQ(e.AddProfile(), 0);
    e.SelectProfile(1);
    e.DeleteProfile([] { return true; });  // old.net goes, and its login with it
    e.SelectProfile(1);
    e.ProfileUp();
    e.SelectProfile(1);
    EXPECT_EQ(e.Sasl.Mechanism, SaslMechanism::External);
    e.Sasl = {};
    ASSERT_EQ(e.UpdateProfile([] { return true; }), 0);
    e.ApplySasl(s.Sasl);
    e.ApplyEncodings(s.Encodings);
    EXPECT_EQ(s.Sasl.Entries().size(), 1u);
    s.Capabilities = true;
    s.ProfileText = e.ProfileText();
    ASSERT_TRUE(SaveConnectionSettings(ini, s) && SaveProfiles(dir_, s));
    EXPECT_EQ(Get("velmok.ini"),
              "[SASL]\r\nbad.net:6667=CRAM\r\nnew.net:7000=EXTERNAL\r\nnew.net:7000/Certificate=/"
              "cf\xc3\xa9.pem\r\n[Connection]\r\nCapabilities=1\r\n"
              "AutoReconnect=1\r\n[Encoding]\r\nnew.net:7000=UTF-8\r\n");
    EXPECT_EQ(Get("Connections"),
              "new.net\r\n7000\r\npw\r\nnick\r\n\r\nuser\r\nReal\r\n\r\n"
              "irc.example\r\n+6697\r\n\r\nn\r\n\r\nu\r\nr\r\n\r\n");
}

}  // namespace velmok::config
