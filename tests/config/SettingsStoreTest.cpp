#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TempDir.h"
#include "config/SettingsStore.h"

namespace velmok::config {
namespace {

using base::FontKind;

class SettingsStoreTest : public TempDirTest {
protected:
    std::vector<std::string> SectionHeaders(const std::string& bytes) const {
        std::vector<std::string> headers;
        std::size_t i = 0;
        while (i < bytes.size()) {
            std::size_t end = bytes.find("\r\n", i);
            if (end == std::string::npos) end = bytes.size();
            std::string line = bytes.substr(i, end - i);
            if (!line.empty() && line[0] == '[') headers.push_back(line);
            i = end + 2;
        }
        return headers;
    }
    Settings Load(const std::string& ini) {
        Put("velmok.ini", ini);
        IniFile file(Path("velmok.ini"));
        Settings s;
        LoadSettings(file, s, dir_);
        return s;
    }
};

TEST_F(SettingsStoreTest, NoFileGivesDefaultsAndACompleteFileInOrder) {
    IniFile ini(Path("velmok.ini"));
    Settings s;
    s.Bgcolor = 123;
    s.Font(FontKind::Private).Bold = true;  // reading starts from plain fonts
    LoadSettings(ini, s, dir_ + "/");

    EXPECT_EQ(s.Bgcolor, 0);
    for (int i = 0; i < base::FontKindCount; ++i) {
        const FontSetting& f = s.Fonts[i];
        SCOPED_TRACE(FontSectionNames[i]);
        EXPECT_EQ(f.Name, "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");  // ＭＳ Ｐゴシック
        EXPECT_EQ(f.Size, 11);
        EXPECT_EQ(f.Charset, 128);
        EXPECT_FALSE(f.Italic);
        EXPECT_FALSE(f.StrikeOut);
    }
    EXPECT_EQ(s.Font(FontKind::Private).Color, 16777215);
    EXPECT_FALSE(s.Font(FontKind::Private).Bold);
    EXPECT_EQ(s.Font(FontKind::Notice).Color, 65280);
    EXPECT_TRUE(s.Font(FontKind::Notice).Bold);
    EXPECT_EQ(s.Font(FontKind::CTCP).Color, 65535);
    EXPECT_EQ(s.Font(FontKind::Command).Color, 12632256);
    EXPECT_TRUE(s.Font(FontKind::Error).Bold);
    EXPECT_EQ(s.Font(FontKind::Keyword).Color, 255);
    EXPECT_EQ(s.Font(FontKind::URL).Color, 16776960);
    EXPECT_TRUE(s.Font(FontKind::URL).Underline);
    EXPECT_FALSE(s.Font(FontKind::URL).Bold);
    EXPECT_TRUE(s.Server_MultiLine);
    EXPECT_FALSE(s.ReplyFinger);
    EXPECT_TRUE(s.ReplyVersion);
    EXPECT_EQ(s.Interval, 500);
    EXPECT_EQ(s.MaxReply, 10);
    EXPECT_FALSE(s.DefenceWhois);
    EXPECT_FALSE(s.KeywordNotice);
    EXPECT_TRUE(s.Keywords.empty());
    EXPECT_EQ(s.LogPath, dir_) << "no trailing separator";

    WindowState w;
    w.Top = 40;
    w.Left = 50;
    LoadWindowState(ini, w);
    EXPECT_EQ(w.Top, 40);
    EXPECT_EQ(w.Left, 50);
    EXPECT_EQ(w.Height, 371);
    EXPECT_EQ(w.Width, 460);
    EXPECT_EQ(w.NickListWidth, 165);
    EXPECT_FALSE(w.Defence);
    EXPECT_TRUE(w.AllWindow);
    EXPECT_EQ(w.AllWindowHeight, 56);

    ASSERT_TRUE(SaveSettings(ini, s, dir_));
    ASSERT_TRUE(SaveWindowState(ini, w));
    EXPECT_FALSE(Exists("Keywords"));
    const std::string bytes = Get("velmok.ini");
    EXPECT_EQ(SectionHeaders(bytes),
              (std::vector<std::string>{"[Bgcolor]",      "[Font_Nicklist]", "[Font_Input]", "[Font_URL]",
                                        "[Font_Private]", "[Font_Notice]",   "[Font_CTCP]",  "[Font_Command]",
                                        "[Font_Server]",  "[Font_Error]",    "[Font_DCC]",   "[Font_Keyword]",
                                        "[Tab]",          "[Message]",       "[CTCP_Reply]", "[DCC_Reply]",
                                        "[Defence]",      "[Keyword]",       "[Event]",      "[Log]",
                                        "[Window]"}));
    EXPECT_NE(bytes.find("[Bgcolor]\r\nBgcolor=0\r\n[Font_Nicklist]\r\nName="), std::string::npos);
    EXPECT_NE(bytes.find("[Font_URL]\r\nName=\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e\r\n"
                         "Size=11\r\nColor=16776960\r\nCharset=128\r\nfsBold=0\r\nfsItalic=0\r\n"
                         "fsUnderline=1\r\nfsStrikeOut=0\r\n[Font_Private]"),
              std::string::npos);
    EXPECT_NE(bytes.find("[Defence]\r\nInterval=500\r\nMaxReply=10\r\nPriv=1\r\nInvite=1\r\nWhois=0\r\n"
                         "[Keyword]\r\nPrivate=1\r\nNotice=0\r\nDCC=1\r\nBeep=0\r\n[Event]\r\nLog=0\r\n"
                         "[Log]\r\nOutput=0\r\nPath=" +
                         dir_ + "\r\n[Window]\r\nMaxLines=10000\r\nTop=40\r\nLeft=50\r\n"),
              std::string::npos);
}

TEST_F(SettingsStoreTest, RangesAndOddValues) {
    Settings s = Load(
        "[Defence]\r\nInterval=1001\r\nMaxReply=0\r\n"
        "[Font_Notice]\r\nfsBold=bold\r\nColor=0xFF\r\n"
        "[Font_Private]\r\nfsBold=word\r\nfsItalic=2\r\nColor=$FF\r\n"
        "[Bgcolor]\r\nBgcolor=16777215\r\n");
    EXPECT_EQ(s.Interval, 500);
    EXPECT_EQ(s.MaxReply, 10);
    EXPECT_TRUE(s.Font(FontKind::Notice).Bold) << "a word reads as that font's default";
    EXPECT_FALSE(s.Font(FontKind::Private).Bold);
    EXPECT_TRUE(s.Font(FontKind::Private).Italic);
    EXPECT_EQ(s.Font(FontKind::Notice).Color, 255);
    EXPECT_EQ(s.Font(FontKind::Private).Color, 255);
    EXPECT_EQ(s.Bgcolor, 16777215);

    EXPECT_EQ(Load("[Defence]\r\nInterval=0\r\nMaxReply=21\r\n").Interval, 0);
    EXPECT_EQ(Load("[Defence]\r\nInterval=0\r\nMaxReply=21\r\n").MaxReply, 10);
    EXPECT_EQ(Load("[Defence]\r\nInterval=-1\r\nMaxReply=20\r\n").Interval, 500);
    EXPECT_EQ(Load("[Defence]\r\nInterval=1000\r\nMaxReply=1\r\n").MaxReply, 1);
    EXPECT_EQ(Load("[Defence]\r\nInterval=1000\r\nMaxReply=1\r\n").Interval, 1000);

    // Files from before the key existed get the default; so do values no view could use.
    EXPECT_EQ(Load("[Window]\r\nTop=1\r\n").MaxLines, 10000);
    EXPECT_EQ(Load("[Window]\r\nMaxLines=250000\r\n").MaxLines, 250000);
    EXPECT_EQ(Load("[Window]\r\nMaxLines=99\r\n").MaxLines, 10000);
    EXPECT_EQ(Load("[Window]\r\nMaxLines=1000001\r\n").MaxLines, 10000);
}

TEST_F(SettingsStoreTest, ValuesAreWrittenBackNormalisedWhereTheyStand) {
    Put("velmok.ini",
        "; hand written\r\n"
        "[tab]\r\n"
        " Server_Position = 1 \r\n"
        "[Font_Private]\r\n"
        "fsItalic=2\r\n"
        "[Plugin]\r\n"
        "x=y\r\n"
        "[MESSAGE]\r\n"
        "quit = see you \r\n");
    IniFile ini(Path("velmok.ini"));
    Settings s;
    LoadSettings(ini, s, dir_);
    EXPECT_EQ(s.Server_Position, 1);
    EXPECT_EQ(s.QuitMessage, "see you");
    ASSERT_TRUE(SaveSettings(ini, s, dir_));
    const std::string bytes = Get("velmok.ini");
    EXPECT_EQ(bytes.rfind("; hand written\r\n[tab]\r\nServer_Position=1\r\nServer_MultiLine=1\r\n", 0), 0u)
        << bytes;
    EXPECT_NE(bytes.find("[Font_Private]\r\nfsItalic=1\r\nName="), std::string::npos);
    EXPECT_NE(bytes.find("[Plugin]\r\nx=y\r\n[MESSAGE]\r\nquit=see you\r\nAWAY=\r\n"), std::string::npos);
    EXPECT_EQ(SectionHeaders(bytes)[4], "[Bgcolor]") << "new sections follow the existing ones";
}

TEST_F(SettingsStoreTest, KeywordsAreReadWithTheSettingsAndWrittenOnlyWhenPresent) {
    Put("Keywords", "alpha\r\n\r\n\x82\xa0\x82\xa2\nlast");  // あい
    IniFile ini(Path("velmok.ini"));
    Settings s;
    LoadSettings(ini, s, dir_);
    EXPECT_EQ(s.Keywords, (std::vector<std::string>{"alpha", "", "\x82\xa0\x82\xa2", "last"}));

    s.Keywords = {"one", "two"};
    ASSERT_TRUE(SaveSettings(ini, s, dir_));
    EXPECT_EQ(Get("Keywords"), "one\r\ntwo\r\n");

    s.Keywords.clear();
    ASSERT_TRUE(SaveSettings(ini, s, dir_));
    EXPECT_EQ(Get("Keywords"), "one\r\ntwo\r\n") << "an emptied list keeps the old file";
    LoadSettings(ini, s, dir_);
    EXPECT_EQ(s.Keywords, (std::vector<std::string>{"one", "two"}));
}

TEST_F(SettingsStoreTest, AFailedKeywordWriteIsReportedAndTheIniStillSaved) {
    std::filesystem::create_directory(Path("Keywords.tmp"));
    Put("Keywords", "old\r\n");
    IniFile ini(Path("velmok.ini"));
    Settings s;
    LoadSettings(ini, s, dir_);
    s.Keywords = {"new"};
    s.QuitMessage = "bye";
    std::string failed;
    EXPECT_FALSE(SaveSettings(ini, s, dir_, &failed));
    EXPECT_EQ(failed, Path("Keywords"));
    EXPECT_EQ(Get("Keywords"), "old\r\n");
    EXPECT_NE(Get("velmok.ini").find("QUIT=bye\r\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, SavingAtExitTriesEveryFileAndNamesEachThatFailedOnce) {
    // An INI that cannot be read is kept; keyword and trigger files cannot be replaced.
    ASSERT_EQ(::mkfifo(Path("velmok.ini").c_str(), 0600), 0);
    std::filesystem::create_directory(Path("Keywords.tmp"));
    std::filesystem::create_directory(Path("Events.tmp"));
    IniFile ini(Path("velmok.ini"));
    Settings s;
    LoadSettings(ini, s, dir_);
    s.Keywords = {"k"};
    EXPECT_EQ(SaveAtExit(ini, s, WindowState{}, dir_),
              (std::vector<std::string>{Path("Keywords"), Path("velmok.ini"), Path("Events")}));
    EXPECT_TRUE(std::filesystem::is_fifo(Path("velmok.ini")));
}

TEST_F(SettingsStoreTest, TheLogFolderIsShiftJisInTheFileOnly) {
    // "/ログ" in the file; the file system's name inside.
    Settings s = Load("[Log]\r\nPath=/\x83\x8d\x83\x4f\r\n");
    EXPECT_EQ(s.LogPath, "/ログ");
    IniFile ini(Path("velmok.ini"));
    const auto savedPath = [&](const std::string& logPath, const std::string& settingsFolder) {
        s.LogPath = logPath;
        EXPECT_TRUE(SaveSettings(ini, s, settingsFolder));
        return ini.ReadString("Log", "Path", "missing");
    };
    EXPECT_EQ(savedPath("/ログ", dir_), "/\x83\x8d\x83\x4f");
    EXPECT_TRUE(LogFolderStorable("/ログ", dir_));
    // Shift-JIS cannot spell "é": the settings folder is kept as the empty
    // value that stands for it, anything else leaves the file as it was.
    EXPECT_FALSE(LogFolderStorable("/cfé", dir_));
    EXPECT_TRUE(LogFolderStorable("/home/cfé", "/home/cfé/"));
    EXPECT_EQ(savedPath("/home/cfé", "/home/cfé/"), "");
    EXPECT_EQ(savedPath("/ログ", dir_), "/\x83\x8d\x83\x4f");
    EXPECT_EQ(savedPath("/srv/cfé", dir_), "/\x83\x8d\x83\x4f");
}

TEST_F(SettingsStoreTest, FilesThisProgramWroteRoundTripByteForByte) {
    IniFile first(Path("velmok.ini"));
    Settings s;
    LoadSettings(first, s, dir_);
    s.Bgcolor = 0x123456;
    s.Font(FontKind::DCC).Name = "Sans";
    s.Font(FontKind::DCC).StrikeOut = true;
    s.Font(FontKind::Input).Size = 9;
    s.Server_Position = 2;
    s.AwayMessage = "\x82\xb3\x82\xe6\x82\xa4\x82\xc8\x82\xe7";  // さようなら
    s.Beep = -1;
    s.Keywords = {"k1", "", "k3"};
    s.LogPath = "/var/log/velmok";
    WindowState w{10, 20, 300, 400, 150, true, false, 80};
    ASSERT_TRUE(SaveSettings(first, s, dir_));
    ASSERT_TRUE(SaveWindowState(first, w));
    const std::string iniBytes = Get("velmok.ini");
    const std::string keywordBytes = Get("Keywords");

    IniFile second(Path("velmok.ini"));
    Settings loaded;
    LoadSettings(second, loaded, dir_);
    WindowState w2;
    LoadWindowState(second, w2);
    EXPECT_EQ(loaded.Font(FontKind::DCC).Name, "Sans");
    EXPECT_TRUE(loaded.Font(FontKind::DCC).StrikeOut);
    EXPECT_EQ(loaded.AwayMessage, s.AwayMessage);
    EXPECT_EQ(loaded.Beep, -1);
    EXPECT_EQ(loaded.Keywords, s.Keywords);
    EXPECT_EQ(loaded.LogPath, "/var/log/velmok");
    EXPECT_EQ(w2.AllWindowHeight, 80);
    EXPECT_TRUE(w2.Defence);
    EXPECT_FALSE(w2.AllWindow);

    ASSERT_TRUE(SaveSettings(second, loaded, dir_));
    ASSERT_TRUE(SaveWindowState(second, w2));
    EXPECT_EQ(Get("velmok.ini"), iniBytes);
    EXPECT_EQ(Get("Keywords"), keywordBytes);
}

}  // namespace
}  // namespace velmok::config
