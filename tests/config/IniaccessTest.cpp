#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempDir.h"
#include "config/FileIo.h"
#include "config/Iniaccess.h"

namespace velmok::config {
namespace {

class IniaccessTest : public TempDirTest {};

TEST_F(IniaccessTest, MissingFileGivesDefaultsAndIsCreatedOnFlush) {
    IniFile ini(Path("a.ini"));
    EXPECT_EQ(ini.ReadString("S", "K", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("S", "K", 7), 7);
    EXPECT_TRUE(ini.ReadBool("S", "K", true));
    EXPECT_TRUE(ini.Flush());
    EXPECT_FALSE(Exists("a.ini")) << "nothing written, nothing created";

    ini.WriteString("First", "a", "x");
    ini.WriteInteger("Second", "n", -12);
    ini.WriteBool("First", "b", true);
    ini.WriteBool("Second", "c", false);
    EXPECT_FALSE(Exists("a.ini")) << "writes stay in memory until Flush";
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(Get("a.ini"), "[First]\r\na=x\r\nb=1\r\n[Second]\r\nn=-12\r\nc=0\r\n");
}

TEST_F(IniaccessTest, NamesIgnoreCaseAndValuesAreTrimmed) {
    Put("a.ini",
        "; settings\n"
        "[tab]\n"
        " Server_Position = 1 \n"
        "\tChannel_MultiLine\t=\t0\t\r\n"
        "Empty=\n"
        "[ Message ]\r\n"
        "quit =  bye  now \n");
    IniFile ini(Path("a.ini"));
    EXPECT_EQ(ini.ReadInteger("Tab", "SERVER_POSITION", 0), 1);
    EXPECT_FALSE(ini.ReadBool("TAB", "Channel_MultiLine", true));
    EXPECT_EQ(ini.ReadString("Message", "QUIT", "d"), "bye  now");
    EXPECT_EQ(ini.ReadString("Tab", "Empty", "d"), "") << "a present empty value is not the default";
    EXPECT_EQ(ini.ReadString("Tab", "QUIT", "d"), "d") << "keys belong to their own section";
    EXPECT_EQ(ini.ReadString("settings", "x", "d"), "d");
}

TEST_F(IniaccessTest, IntegerParsing) {
    Put("a.ini",
        "[N]\r\ndec=42\r\nneg=-5\r\nplus=+3\r\nhex=0xFF\r\nHEX=0X1f\r\ndollar=$FF\r\n"
        "neghex=-$10\r\nall=$FFFFFFFF\r\njunk=12abc\r\nword=yes\r\nempty=\r\nbare=$\r\n"
        "big=2147483648\r\nmin=-2147483648\r\nwide=$100000000\r\ninner=1 2\r\n");
    IniFile ini(Path("a.ini"));
    EXPECT_EQ(ini.ReadInteger("N", "dec", 0), 42);
    EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -5);
    EXPECT_EQ(ini.ReadInteger("N", "plus", 0), 3);
    EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 255);
    EXPECT_EQ(ini.ReadInteger("N", "Hex", 0), 255) << "first key of that name wins";
    EXPECT_EQ(ini.ReadInteger("N", "dollar", 0), 255);
    EXPECT_EQ(ini.ReadInteger("N", "neghex", 0), -16);
    EXPECT_EQ(ini.ReadInteger("N", "all", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "min", 0), INT32_MIN);
    for (const char* key : {"junk", "word", "empty", "bare", "big", "wide", "inner"}) {
        EXPECT_EQ(ini.ReadInteger("N", key, 99), 99) << key;
    }
    EXPECT_TRUE(ini.ReadBool("N", "dec", false));
    EXPECT_FALSE(ini.ReadBool("N", "word", false));
    EXPECT_TRUE(ini.ReadBool("N", "word", true));
}

TEST_F(IniaccessTest, RewriteKeepsForeignLinesAndReplacesKeysInPlace) {
    Put("a.ini",
        "; my comment\r\n"
        "[Unknown]\r\n"
        "foo=bar\r\n"
        "\r\n"
        "[Tab]\n"
        "; keep me\n"
        " server_position = 1 \n"
        "Other=x\n"
        "\n"
        "\n"
        "[Last]\n"
        "z=1");
    IniFile ini(Path("a.ini"));
    ini.WriteInteger("TAB", "Server_Position", 3);
    ini.WriteBool("Tab", "Server_MultiLine", false);
    ini.WriteString("Last", "y", "2");
    ini.WriteString("New", "k", "v");
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(Get("a.ini"),
              "; my comment\r\n"
              "[Unknown]\r\n"
              "foo=bar\r\n"
              "\r\n"
              "[Tab]\r\n"
              "; keep me\r\n"
              "server_position=3\r\n"
              "Other=x\r\n"
              "Server_MultiLine=0\r\n"
              "\r\n"
              "\r\n"
              "[Last]\r\n"
              "z=1\r\n"
              "y=2\r\n"
              "[New]\r\n"
              "k=v\r\n");
}

TEST_F(IniaccessTest, LongValuesAreCutWithoutSplittingACharacter) {
    const std::string ascii(3000, 'a');
    // 2046 ASCII bytes and then a double-byte character: cutting at 2047 would
    // leave half of it.
    const std::string mixed = std::string(2046, 'b') + "\x82\xa0" + "tail";
    Put("a.ini", "[S]\r\nascii=" + ascii + "\r\nmixed=" + mixed + "\r\n");
    IniFile ini(Path("a.ini"));
    EXPECT_EQ(ini.ReadString("S", "ascii", ""), std::string(2047, 'a'));
    EXPECT_EQ(ini.ReadString("S", "mixed", ""), std::string(2046, 'b'));
}

TEST_F(IniaccessTest, RefusesNamesThatWouldBreakTheFileAndCutsLineBreaksInValues) {
    IniFile ini(Path("a.ini"));
    EXPECT_FALSE(ini.WriteString("", "k", "v"));
    EXPECT_FALSE(ini.WriteString("a]b", "k", "v"));
    EXPECT_FALSE(ini.WriteString("S", "a=b", "v"));
    EXPECT_FALSE(ini.WriteString("S", "k\r\n[X]", "v"));
    EXPECT_FALSE(ini.Dirty());
    EXPECT_TRUE(ini.WriteString("S", "k", "one\r\n[Injected]\r\nx=1"));
    EXPECT_EQ(ini.Contents(), "[S]\r\nk=one\r\n");

    // A CR left inside a line by hand reads as the end of the value, so the
    // value read is the one a save writes back.
    Put("b.ini", "[S]\r\nk=two \r three\r\nlast=four\r ");
    IniFile edited(Path("b.ini"));
    EXPECT_EQ(edited.ReadString("S", "k", ""), "two");
    EXPECT_EQ(edited.ReadString("S", "last", ""), "four");
}

TEST_F(IniaccessTest, FailedFlushKeepsChangesPending) {
    std::filesystem::create_directory(Path("a.ini.tmp"));  // blocks the temporary file
    Put("a.ini", "[S]\r\nk=old\r\n");
    IniFile ini(Path("a.ini"));
    ini.WriteString("S", "k", "new");
    EXPECT_FALSE(ini.Flush());
    EXPECT_TRUE(ini.Dirty());
    EXPECT_EQ(Get("a.ini"), "[S]\r\nk=old\r\n");
    std::filesystem::remove(Path("a.ini.tmp"));
    EXPECT_TRUE(ini.Flush());
    EXPECT_EQ(Get("a.ini"), "[S]\r\nk=new\r\n");
}

TEST_F(IniaccessTest, AFlushWritesOverTheFileAsItIsThen) {
    Put("a.ini", "[S]\r\nk=old\r\n");
    IniFile ini(Path("a.ini"));
    // Edited by hand while the program runs: a key of ours, one of its own, a section.
    Put("a.ini", "[S]\r\nk=hand\r\nmine=1\r\n[Hand]\r\nx=y\r\n");
    ini.WriteString("S", "k", "ours");
    ini.WriteString("New", "n", "1");
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(Get("a.ini"), "[S]\r\nk=ours\r\nmine=1\r\n[Hand]\r\nx=y\r\n[New]\r\nn=1\r\n");
}

TEST_F(IniaccessTest, AnUnreadableFileIsNeverOverwritten) {
    // Something that exists but is no readable file, and must not block the read.
    ASSERT_EQ(::mkfifo(Path("a.ini").c_str(), 0600), 0);
    IniFile ini(Path("a.ini"));
    EXPECT_EQ(ini.ReadInteger("S", "k", 5), 5);
    ini.WriteInteger("S", "k", 1);
    EXPECT_FALSE(ini.Flush());
    EXPECT_TRUE(std::filesystem::is_fifo(Path("a.ini")));
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.ini"});
}

class FileIoTest : public TempDirTest {};

TEST_F(FileIoTest, WriteReplacesContentsAndLeavesNoTemporaryFile) {
    Put("f", "old");
    ASSERT_TRUE(WriteFileAtomically(Path("f"), std::string("new\0bytes", 9)));
    std::string read;
    ASSERT_TRUE(ReadFile(Path("f"), read));
    EXPECT_EQ(read, std::string("new\0bytes", 9));
    EXPECT_EQ(Entries(), std::vector<std::string>{"f"});
}

TEST_F(FileIoTest, FailuresLeaveTheOldFileAndNoLeftovers) {
    Put("f", "old");
    std::filesystem::create_directory(Path("f.tmp"));
    EXPECT_FALSE(WriteFileAtomically(Path("f"), "new"));
    EXPECT_EQ(Get("f"), "old");
    EXPECT_TRUE(std::filesystem::is_directory(Path("f.tmp"))) << "what was there is not ours to remove";

    EXPECT_FALSE(WriteFileAtomically(Path("missing/f"), "new"));

    // The target is a folder: the rename fails after the temporary file was written.
    std::filesystem::create_directory(Path("d"));
    EXPECT_FALSE(WriteFileAtomically(Path("d"), "new"));
    EXPECT_TRUE(std::filesystem::is_directory(Path("d")));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"d", "f", "f.tmp"}));
}

TEST_F(FileIoTest, ReadFailsForMissingFilesAndFolders) {
    std::string out = "x";
    EXPECT_FALSE(ReadFile(Path("none"), out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(ReadFile(dir_, out));
}

TEST_F(FileIoTest, WritingThroughASymbolicLinkKeepsTheLink) {
    Put("real", "old");
    std::filesystem::create_symlink(Path("real"), Path("link"));
    ASSERT_TRUE(WriteFileAtomically(Path("link"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link")));
    EXPECT_EQ(Get("real"), "new");
}

}  // namespace
}  // namespace velmok::config
