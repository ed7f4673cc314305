#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ui/LogWriter.h"

namespace velmok::ui {
namespace {

namespace fs = std::filesystem;

std::tm May1st2004() {
    std::tm t{};
    t.tm_year = 104;
    t.tm_mon = 4;
    t.tm_mday = 1;
    return t;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempDir {
public:
    TempDir() {
        path_ = fs::temp_directory_path() / ("velmok-log-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

TEST(LogWriter, FileNames) {
    EXPECT_EQ(LogFileName("srv", "#a|b", May1st2004()),
              "srv-#a\x81\x62"
              "b_20040501.log");
    EXPECT_EQ(LogFileName("srv", "", May1st2004()), "srv_20040501.log");
    // Every forbidden byte becomes its full-width form.
    EXPECT_EQ(LogFileName("s", "\\/:*?\"<>|", May1st2004()),
              "s-\x81\x8f\x81^\x81\x46\x81\x96\x81H\x81h\x81\x83\x81\x84\x81\x62_20040501.log");
    // The name is converted from the wire encoding: #日 arrives as ISO-2022-JP.
    EXPECT_EQ(LogFileName("srv", "#\x1b$BF|\x1b(B", May1st2004()), "srv-#\x93\xfa_20040501.log");
    // A trail byte equal to "\" is replaced too (ソ = 0x83 0x5C).
    EXPECT_EQ(LogFileName("srv", "#\x1b$B%=\x1b(B", May1st2004()), "srv-#\x83\x81\x8f_20040501.log");
}

TEST(LogWriter, Lines) {
    EXPECT_EQ(LogLine("09:05 ", "#a", "<bob> hi"), "09:05 #a <bob> hi\r\n");
    EXPECT_EQ(LogLine("09:05 ", "", "<bob> hi"), "09:05 <bob> hi\r\n");
    EXPECT_EQ(LogLine("09:05 ", "", "<bob> 100%"), "09:05 <bob> 100%\r\n");
    EXPECT_EQ(LogLine("09:05 ", "",
                      "\x02"
                      "b\x03"),
              "09:05 \x02"
              "b\x03\r\n");
}

TEST(LogWriter, AppendsOneLinePerCall) {
    TempDir dir;
    const std::string folder = dir.path().string();
    ASSERT_TRUE(AppendLogLine(folder, "srv", "#a", May1st2004(), "09:05 ", "<bob> hi"));
    ASSERT_TRUE(AppendLogLine(folder, "srv", "#a", May1st2004(), "09:06 ", "<bob> 100%"));
    ASSERT_TRUE(AppendLogLine(folder, "srv", "", May1st2004(), "09:07 ", "server text"));
    EXPECT_EQ(ReadAll(dir.path() / "srv-#a_20040501.log"), "09:05 #a <bob> hi\r\n09:06 #a <bob> 100%\r\n");
    EXPECT_EQ(ReadAll(dir.path() / "srv_20040501.log"), "09:07 server text\r\n");
}

TEST(LogWriter, KeptFilesHandEachLineOnAtOnceAndAreMadeAgainWhenGone) {
    TempDir dir;
    const std::string folder = dir.path().string();
    const fs::path file = dir.path() / "srv-#a_20040501.log";
    LogFiles files;
    ASSERT_TRUE(AppendLogLine(files, folder, "srv", "#a", May1st2004(), "09:05 ", "one"));
    EXPECT_EQ(ReadAll(file), "09:05 #a one\r\n");  // on the disk while still open
    fs::remove(file);
    files.Close();
    ASSERT_TRUE(AppendLogLine(files, folder, "srv", "#a", May1st2004(), "09:06 ", "two"));
    EXPECT_TRUE(files.AnyOpen());
    EXPECT_EQ(ReadAll(file), "09:06 #a two\r\n");
}

TEST(LogWriter, MissingFolderFailsQuietly) {
    TempDir dir;
    const fs::path missing = dir.path() / "nope";
    EXPECT_FALSE(AppendLogLine(missing.string(), "srv", "#a", May1st2004(), "09:05 ", "x"));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(fs::is_empty(dir.path()));
    // A NUL in the name must not redirect the line into a shorter file name.
    EXPECT_FALSE(
        AppendLogLine(dir.path().string(), "srv", std::string("#a\0b", 4), May1st2004(), "09:05 ", "x"));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
}  // namespace velmok::ui
