#include <gtest/gtest.h>

#include "TempDir.h"
#include "config/SettingsStore.h"

namespace velmok::config {
namespace {

// host, port, password, nick, away nick, user, real name, auto-join line
std::string Profile(const std::string& host, const std::string& nick = "velmo",
                    const std::string& autoJoin = "1 #a  ") {
    return host + "\r\n6667\r\npass word\r\n" + nick + "\r\n\r\nuser\r\nReal Name\r\n" + autoJoin + "\r\n";
}

class ListFilesTest : public TempDirTest {
protected:
    Settings LoadProfilesFrom(const std::string& bytes) {
        Put("Connections", bytes);
        Settings s;
        s.ProfileText = "stale\r\n";
        LoadProfiles(dir_, s);
        return s;
    }
    std::vector<EventTrigger> LoadEventsFrom(const std::string& bytes) {
        Put("Events", bytes);
        Settings s;
        LoadEvents(dir_, s);
        return s.Events;
    }
};

TEST_F(ListFilesTest, LinesAreReadWholeHoweverLong) {
    const std::string a253(253, 'a');
    const std::vector<ListLine> lines =
        SplitListLines(a253 + "\r\n" + a253 + "b" + "\n" + std::string(506, 'c') + "\r\nx\ry\r\n\nend");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].Text, a253);
    EXPECT_TRUE(lines[0].Ended);
    EXPECT_EQ(lines[1].Text, a253 + "b");
    EXPECT_TRUE(lines[1].Ended);
    EXPECT_EQ(lines[2].Text, std::string(506, 'c'));
    EXPECT_TRUE(lines[2].Ended);
    EXPECT_EQ(lines[3].Text, "x\ry") << "a CR alone is text";
    EXPECT_EQ(lines[4].Text, "");
    EXPECT_TRUE(lines[4].Ended);
    EXPECT_EQ(lines[5].Text, "end");
    EXPECT_FALSE(lines[5].Ended);
    EXPECT_TRUE(SplitListLines("").empty());

    // Twelve channels with keys make an auto-join line of more than 253
    // bytes: the profile the editor saved is there at the next start.
    std::string autoJoin;
    for (int i = 0; i < 12; ++i)
        autoJoin += "1 #channel-" + std::to_string(i) + " secret-" + std::to_string(i) + " ";
    ASSERT_GT(autoJoin.size(), 253u);
    Settings s;
    s.ProfileText = Profile("host1", "velmo", autoJoin) + Profile("host2");
    ASSERT_TRUE(SaveProfiles(dir_, s));
    Settings loaded;
    LoadProfiles(dir_, loaded);
    EXPECT_EQ(loaded.ProfileText, s.ProfileText);
}

TEST_F(ListFilesTest, ProfilesLoadCompleteValidRecordsOnly) {
    Settings missing;
    missing.ProfileText = "stale\r\n";
    LoadProfiles(dir_, missing);
    EXPECT_EQ(missing.ProfileText, "");

    // The last profile has only five lines.
    const std::string five = "host3\r\n6667\r\n\r\nnick3\r\n\r\n";
    EXPECT_EQ(LoadProfilesFrom(Profile("host1") + Profile("host2") + five).ProfileText,
              Profile("host1") + Profile("host2"));

    EXPECT_EQ(LoadProfilesFrom(Profile("host1") + Profile("host2", "") + Profile("host3")).ProfileText,
              Profile("host1") + Profile("host3"))
        << "empty nick";
    EXPECT_EQ(LoadProfilesFrom(Profile("host1", "velmo", "#a") + Profile("host2", "velmo", "")).ProfileText,
              Profile("host2", "velmo", ""))
        << "broken auto-join line";
    EXPECT_EQ(LoadProfilesFrom(Profile("host1", "velmo", "x #a  ")).ProfileText, "")
        << "the tick must be a number";

    // LF alone ends a line; a last line without a line end is kept as it is.
    std::string lf = Profile("host1");
    for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.replace(p, 2, "\n");
    lf.pop_back();
    EXPECT_EQ(LoadProfilesFrom(lf).ProfileText, Profile("host1"));
}

TEST_F(ListFilesTest, DroppedProfilesAreGoneAfterTheNextSave) {
    Settings s = LoadProfilesFrom(Profile("host1", "") + Profile("host2"));
    ASSERT_TRUE(SaveProfiles(dir_, s));
    EXPECT_EQ(Get("Connections"), Profile("host2"));
}

TEST_F(ListFilesTest, EventsKeepWhatTheFileHolds) {
    const std::string full = "name\r\nPRIVMSG\r\nnick!*@*\r\n#ch\r\n\r\n\r\np4\r\n1\r\nPRIVMSG #ch :hi\r\n";
    std::vector<EventTrigger> events = LoadEventsFrom(full + full.substr(0, full.size() - 2));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0],
              (EventTrigger{"name", "PRIVMSG", "nick!*@*", "#ch", "", "", "p4", true, "PRIVMSG #ch :hi"}));
    EventTrigger noCommand = events[0];
    noCommand.Command = "";
    EXPECT_EQ(events[1], noCommand) << "a last line without a line end leaves its field empty";

    events = LoadEventsFrom(full + "second\r\nJOIN\r\n*\r\nlast");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], (EventTrigger{"second", "JOIN", "*", "", "", "", "", false, ""}));

    events = LoadEventsFrom("n\nT\n\n\n\n\n\n 1\ncmd\nn2\nT\n\n\n\n\n\n1 \nc\n");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_FALSE(events[0].ExcludeOwn);
    EXPECT_FALSE(events[1].ExcludeOwn) << "only exactly \"1\" excludes own messages";
    EXPECT_EQ(events[0].Command, "cmd");

    // A 300-byte name is one field; the later fields stay where they are.
    events = LoadEventsFrom(std::string(300, 'n') + "\r\nT\r\nP\r\n1\r\n2\r\n3\r\n4\r\n1\r\ncmd\r\n");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (EventTrigger{std::string(300, 'n'), "T", "P", "1", "2", "3", "4", true, "cmd"}));

    Settings s;
    s.Events = {EventTrigger{"kept", "", "", "", "", "", "", false, ""}};
    LoadEvents(dir_ + "/missing", s);
    EXPECT_EQ(s.Events.size(), 1u) << "no file leaves the list as it is";
}

TEST_F(ListFilesTest, FilesThisProgramWroteRoundTripByteForByte) {
    Settings s;
    s.ProfileText = Profile("irc.example.net") + Profile("\xb1\xb2.example", "nick2", "") +
                    Profile("h3", "velmo", "1 #a  0 #b key ");
    s.Events = {{"\x82\xa0", "PRIVMSG", "", "", "", "", "", true, "NOTICE #a :\x82\xa2"},
                {"", "", "", "", "", "", "", false, ""}};
    ASSERT_TRUE(SaveProfiles(dir_, s));
    ASSERT_TRUE(SaveEvents(dir_, s));
    const std::string connections = Get("Connections");
    const std::string events = Get("Events");
    EXPECT_EQ(connections, s.ProfileText);
    EXPECT_EQ(events.rfind("\x82\xa0\r\nPRIVMSG\r\n\r\n\r\n\r\n\r\n\r\n1\r\nNOTICE #a :\x82\xa2\r\n", 0), 0u);

    Settings loaded;
    LoadProfiles(dir_, loaded);
    LoadEvents(dir_, loaded);
    EXPECT_EQ(loaded.ProfileText, s.ProfileText);
    EXPECT_EQ(loaded.Events, s.Events);
    ASSERT_TRUE(SaveProfiles(dir_, loaded));
    ASSERT_TRUE(SaveEvents(dir_, loaded));
    EXPECT_EQ(Get("Connections"), connections);
    EXPECT_EQ(Get("Events"), events);

    Settings none;
    ASSERT_TRUE(SaveEvents(dir_, none));
    EXPECT_EQ(Get("Events"), "");
}

TEST_F(ListFilesTest, FieldsThatWouldNotReadBackAsOneLineAreCutOnSave) {
    Settings s;
    // A long name is written whole; a line break would split the field.
    const std::string longName = std::string(252, 'x') + "\x82\xa0\x82\xa2";
    s.Events = {{longName, "PRIVMSG", "", "", "", "", "", false, "one\ntwo"},
                {"next", "", "", "", "", "", "", false, "c"}};
    ASSERT_TRUE(SaveEvents(dir_, s));
    Settings loaded;
    LoadEvents(dir_, loaded);
    ASSERT_EQ(loaded.Events.size(), 2u) << "later records do not shift";
    EXPECT_EQ(loaded.Events[0].Name, longName);
    EXPECT_EQ(loaded.Events[0].Command, "one");
    EXPECT_EQ(loaded.Events[1].Name, "next");
}

TEST_F(ListFilesTest, AFailedSaveKeepsTheOldFile) {
    Put("Connections", Profile("old"));
    Put("Events", "old\r\n");
    std::filesystem::create_directory(Path("Connections.tmp"));
    std::filesystem::create_directory(Path("Events.tmp"));
    Settings s;
    s.ProfileText = Profile("new");
    s.Events = {EventTrigger{}};
    EXPECT_FALSE(SaveProfiles(dir_, s));
    EXPECT_FALSE(SaveEvents(dir_, s));
    EXPECT_EQ(Get("Connections"), Profile("old"));
    EXPECT_EQ(Get("Events"), "old\r\n");
    EXPECT_FALSE(SaveProfiles(dir_ + "/missing", s));
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"Connections", "Connections.tmp", "Events", "Events.tmp"}));
}

}  // namespace
}  // namespace velmok::config
