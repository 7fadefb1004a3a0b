// The run log: entry format, entries without line ends, rotation at 5 MiB.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "app/ResourceText.h"
#include "app/RunLog.h"
#include "platform/Clock.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace {

class RunLogTest : public ::testing::Test {
protected:
    ScopedFixedClock clock_;
    std::string LogPath() const { return dir_.File(RUN_LOG_FILE); }
    ScopedTempDir dir_;
};

TEST_F(RunLogTest, EntryIsStampDirectlyFollowedByTextWithoutLineEnd) {
    AppendRunLogEntry(LogPath(), "");
    AppendRunLogEntry(LogPath(), "Not Exist ini file\n");
    AppendRunLogEntry(LogPath(), "a");
    AppendRunLogEntry(LogPath(), "b");
    EXPECT_EQ(ReadFile(LogPath()),
              "[26/01/05 07:08:09][26/01/05 07:08:09]Not Exist ini file\n"
              "[26/01/05 07:08:09]a[26/01/05 07:08:09]b");
}

TEST_F(RunLogTest, RotatesAtExactlyTheLimitNotOneByteBeforeAndReplacesAnOlderBackup) {
    const std::string below(5242880 - 1, 'x');  // one byte below 5 MiB
    WriteFile(LogPath(), below);
    WriteFile(LogPath() + ".back", "older generation");
    AppendRunLogEntry(LogPath(), "grows");
    EXPECT_EQ(ReadFile(LogPath() + ".back"), "older generation");
    EXPECT_EQ(ReadFile(LogPath()), below + "[26/01/05 07:08:09]grows");

    AppendRunLogEntry(LogPath(), "fresh");
    EXPECT_EQ(ReadFile(LogPath() + ".back"), below + "[26/01/05 07:08:09]grows");
    EXPECT_EQ(ReadFile(LogPath()), "[26/01/05 07:08:09]fresh");
}

TEST_F(RunLogTest, UnwritableLogLosesTheEntrySilently) {
    AppendRunLogEntry(dir_.File("no-such-dir/Fernpost.log"), "lost");
    EXPECT_FALSE(PathExists(dir_.File("no-such-dir")));
}

TEST_F(RunLogTest, FifoAtTheLogPathNeverBlocksTheRun) {
    ASSERT_EQ(mkfifo(LogPath().c_str(), 0600), 0);
    AppendRunLogEntry(LogPath(), "lost, without waiting for a reader");  // returns at once
    struct stat status {};
    ASSERT_EQ(stat(LogPath().c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the FIFO is left as it was, not replaced";
}

TEST(RunLogPathTest, DirectoryOfPathKeepsEverythingBeforeTheLastSeparator) {
    EXPECT_EQ(DirectoryOfPath("/opt/fernpost/bin/fernpost"), "/opt/fernpost/bin");
    EXPECT_EQ(DirectoryOfPath("/fernpost"), "");
    EXPECT_EQ(DirectoryOfPath("fernpost"), "fernpost");
    EXPECT_EQ(DirectoryOfPath("/ジョブ/表/fernpost"), "/ジョブ/表");
}

TEST(RunLogPathTest, ModuleDirectoryIsTheTestExecutablesDirectory) {
    std::string directory = GetModuleDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_TRUE(PathExists(directory + "/app_tests"));
}

TEST(ResourceTextTest, OnlyTheAboutStringExists) {
    EXPECT_EQ(LoadResourceText(IDS_ABOUTBOX), "Fernpost のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(LoadResourceText(1001), "");
    EXPECT_EQ(LoadResourceText(1003), "");
}

}  // namespace
