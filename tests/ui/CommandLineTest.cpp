// The command line and the choice of the settings folder, decided before any
// window exists.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ui/CommandLine.h"

namespace velmok::ui {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, ReadsOptionsLinksAndToolkitOptionsInBothSpellings) {
    const CommandLine line =
        ParseCommandLine({"--config-dir", "/tmp/a b", "--connect=2", "irc://h/#c", "-platform", "offscreen",
                          "--connect", "1", "--", "IRCS://h2", "-reverse"});
    EXPECT_EQ(line.What, Action::Error) << "after --, -reverse is no link";
    EXPECT_EQ(line.Error, "unexpected argument '-reverse'");

    const CommandLine ok =
        ParseCommandLine({"--config-dir", "/tmp/a b", "--connect=2", "irc://h/#c", "-platform", "offscreen",
                          "--connect", "1", "-reverse", "--", "IRCS://h2"});
    EXPECT_EQ(ok.What, Action::Run);
    EXPECT_EQ(ok.ConfigDir, "/tmp/a b");
    EXPECT_EQ(ok.Connects, (std::vector<int>{2, 1}));
    EXPECT_EQ(ok.Links, (std::vector<std::string>{"irc://h/#c", "IRCS://h2"}));
    EXPECT_EQ(ok.ToolkitArgs, (std::vector<std::string>{"-platform", "offscreen", "-reverse"}));
    EXPECT_EQ(ParseCommandLine({"--config-dir=/x"}).ConfigDir, "/x");
}

TEST(CommandLine, HelpAndVersionWinOverWhatFollowsButNotOverEarlierMistakes) {
    EXPECT_EQ(ParseCommandLine({"--help", "--bogus"}).What, Action::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).What, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--connect", "1", "--version"}).What, Action::Version);
    EXPECT_EQ(ParseCommandLine({"--bogus", "--help"}).Error, "unknown option '--bogus'");
}

TEST(CommandLine, RefusesWhatItCannotUseWithAReason) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{"--connect"}, "option '--connect' needs a value"},
        {{"--connect", "0"}, "--connect takes a profile number from 1, not '0'"},
        {{"--connect", "x1"}, "--connect takes a profile number from 1, not 'x1'"},
        {{"--connect", "-1"}, "--connect takes a profile number from 1, not '-1'"},
        {{"--connect=1", "--connect=2", "--connect=3", "--connect=1"},
         "--connect may be given at most three times"},
        {{"--config-dir="}, "option '--config-dir' needs a folder"},
        {{"-platform"}, "option '-platform' needs a value"},
        {{"http://example.org"}, "unexpected argument 'http://example.org'"},
        {{"-x"}, "unknown option '-x'"},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.What, Action::Error) << c.args.front();
        EXPECT_EQ(line.Error, c.error);
    }
}

TEST(SettingsFolder, ExecutableFolderUnlessUnwritableOrInstalled) {
    SettingsFolderFacts facts{"/opt/velmok", true, false, "/home/u/.cfg", "/home/u"};
    EXPECT_EQ(ChooseSettingsFolder(facts), "/opt/velmok");
    facts.ExecutableFolderWritable = false;
    EXPECT_EQ(ChooseSettingsFolder(facts), "/home/u/.cfg/velmok");
    facts.ExecutableFolderWritable = true;
    facts.InstalledCopy = true;
    EXPECT_EQ(ChooseSettingsFolder(facts), "/home/u/.cfg/velmok");
    // A relative XDG_CONFIG_HOME is to be ignored.
    facts.XdgConfigHome = "cfg";
    EXPECT_EQ(ChooseSettingsFolder(facts), "/home/u/.config/velmok");
    facts.XdgConfigHome.clear();
    EXPECT_EQ(ChooseSettingsFolder(facts), "/home/u/.config/velmok");
    facts.Home.clear();
    EXPECT_EQ(ChooseSettingsFolder(facts), "/opt/velmok");
}

// The facts come from the disk: a PREFIX/bin beside PREFIX/share/velmok is an
// installed copy, a plain build folder is not; the XDG folder is created.
TEST(SettingsFolder, InstalledLayoutOnDiskGoesToTheConfigHomeWhichIsCreated) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "velmok-cmdline-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;
    fs::create_directories(root / "usr/bin");
    fs::create_directories(root / "build");
    const std::string oldXdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    ::setenv("XDG_CONFIG_HOME", (root / "xdg").c_str(), 1);

    EXPECT_EQ(ChooseSettingsFolder(GatherSettingsFolderFacts((root / "build").string())),
              (root / "build").string());
    EXPECT_EQ(ChooseSettingsFolder(GatherSettingsFolderFacts((root / "usr/bin").string())),
              (root / "usr/bin").string())
        << "a bin folder without share/velmok is no install";
    fs::create_directories(root / "usr/share/velmok/help");
    const std::string chosen = ChooseSettingsFolder(GatherSettingsFolderFacts((root / "usr/bin").string()));
    EXPECT_EQ(chosen, (root / "xdg/velmok").string());
    std::string error;
    ASSERT_TRUE(EnsureFolder(chosen, error)) << error;
    EXPECT_TRUE(fs::is_directory(chosen));
    EXPECT_TRUE(EnsureFolder(chosen, error)) << "an existing folder is fine";
    std::ofstream((root / "file").string()) << "x";
    EXPECT_FALSE(EnsureFolder((root / "file/sub").string(), error));
    EXPECT_FALSE(error.empty());

    if (oldXdg.empty()) {
        ::unsetenv("XDG_CONFIG_HOME");
    } else {
        ::setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
    }
    fs::remove_all(root);
}

TEST(CommandLine, HelpNamesTheSettingsFolderOfThisRun) {
    const std::string help = HelpText("/home/u/.config/velmok");
    EXPECT_NE(help.find("This run uses: /home/u/.config/velmok\n"), std::string::npos);
    for (const char* option : {"--config-dir DIR", "--connect N", "--help", "--version", "irc://", "ircs://"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace velmok::ui
