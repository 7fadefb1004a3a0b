// Error log: entry format, directory creation, bytes kept as written.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "logging/ErrorLog.h"
#include "logging/LogStamp.h"
#include "support/LogText.h"

namespace {

using ErrorLogTest = FixedClockLogTest;

bool IsRegularFileAt(const char* path) {
    struct stat status {};
    return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

TEST(LogStampTest, FormatsYearModuloHundredAndTwoDigitFields) {
    EXPECT_EQ(FormatLogStamp(Moment(2026, 1, 5, 1, 7, 8, 9)), "[26/01/05 07:08:09]");
    EXPECT_EQ(FormatLogStamp(Moment(2004, 12, 31, 5, 23, 59, 59)), "[04/12/31 23:59:59]");
    EXPECT_EQ(FormatLogStamp(Moment(2000, 2, 29, 2, 0, 0, 0)), "[00/02/29 00:00:00]");
}

TEST_F(ErrorLogTest, CreatesTheDirectoryAndAppendsStampBlankTextLineFeedKeepingEveryByte) {
    ASSERT_FALSE(PathExists("log"));
    WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send QUIT command", 10054);
    WriteErrorLog(ERROR_LOG_FILE,
                  "SMTP サーバ接続に失敗しました。\n\rSocketの初期化に失敗しました。");
    WriteErrorLog(ERROR_LOG_FILE, "%s", "100% %s %n");  // data in an argument is never a format
    EXPECT_EQ(
        ReadFile("log/Fernpost.err"),
        "[26/01/05 07:08:09] SMTPエラー(10054):Failed in call to send QUIT command\n"
        "[26/01/05 07:08:09] SMTP サーバ接続に失敗しました。\n\rSocketの初期化に失敗しました。\n"
        "[26/01/05 07:08:09] 100% %s %n\n");
}

TEST_F(ErrorLogTest, EntryIsLostSilentlyWhenLogCannotBeOpened) {
    WriteFile("log", "a file where the directory should be");
    SetLastError(ERROR_BAD_COMMAND);
    WriteErrorLog(ERROR_LOG_FILE, "lost");
    EXPECT_EQ(ReadFile("log"), "a file where the directory should be");
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
}

TEST_F(ErrorLogTest, FifoAtTheLogPathNeverBlocksTheRun) {
    ASSERT_TRUE(CreateOneDirectory("log"));
    ASSERT_EQ(mkfifo("log/Fernpost.err", 0600), 0);
    WriteErrorLog(ERROR_LOG_FILE, "lost, without waiting for a reader");
    EXPECT_FALSE(IsRegularFileAt("log/Fernpost.err"));
}

}  // namespace
