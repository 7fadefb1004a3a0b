// Error log: entry format, directory creation, bytes kept as written.
#include <gtest/gtest.h>

#include "logging/ErrorLog.h"
#include "logging/LogStamp.h"
#include "platform/Clock.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace {

class ErrorLogTest : public ::testing::Test {
protected:
    ScopedFixedClock clock_;
    ScopedTempDir dir_ {true};
};

TEST(LogStampTest, FormatsYearModuloHundredAndTwoDigitFields) {
    struct Case { int year, mon, day, hour, min, sec; const char* expected; };
    const Case cases[] = {
        {2026, 1, 5, 7, 8, 9, "[26/01/05 07:08:09]"},
        {2004, 12, 31, 23, 59, 59, "[04/12/31 23:59:59]"},
        {2000, 2, 29, 0, 0, 0, "[00/02/29 00:00:00]"},
    };
    for (const Case& c : cases) {
        std::tm t {};
        t.tm_year = c.year - 1900;
        t.tm_mon = c.mon - 1;
        t.tm_mday = c.day;
        t.tm_hour = c.hour;
        t.tm_min = c.min;
        t.tm_sec = c.sec;
        EXPECT_EQ(FormatLogStamp(t), c.expected);
    }
}

TEST_F(ErrorLogTest, CreatesLogDirectoryAndWritesStampBlankTextLineFeed) {
    ASSERT_FALSE(PathExists("log"));
    WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send QUIT command", 10054);
    EXPECT_EQ(ReadFile("log/Fernpost.err"),
              "[26/01/05 07:08:09] SMTPエラー(10054):Failed in call to send QUIT command\n");
}

TEST_F(ErrorLogTest, AppendsEntriesAndKeepsLineFeedCarriageReturnPairs) {
    WriteErrorLog(ERROR_LOG_FILE, "Error:CMail::SendMail Connect()");
    WriteErrorLog(ERROR_LOG_FILE, "SMTP サーバ接続に失敗しました。\n\rSocketの初期化に失敗しました。");
    EXPECT_EQ(ReadFile("log/Fernpost.err"),
              "[26/01/05 07:08:09] Error:CMail::SendMail Connect()\n"
              "[26/01/05 07:08:09] SMTP サーバ接続に失敗しました。\n\rSocketの初期化に失敗しました。\n");
}

TEST_F(ErrorLogTest, DataInArgumentsIsNeverAFormat) {
    WriteErrorLog(ERROR_LOG_FILE, "%s", "100% %s %n");
    EXPECT_EQ(ReadFile("log/Fernpost.err"), "[26/01/05 07:08:09] 100% %s %n\n");
}

TEST_F(ErrorLogTest, EntryIsLostSilentlyWhenLogCannotBeOpened) {
    WriteFile("log", "a file where the directory should be");
    SetLastError(ERROR_BAD_COMMAND);
    WriteErrorLog(ERROR_LOG_FILE, "lost");
    EXPECT_EQ(ReadFile("log"), "a file where the directory should be");
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
}

}  // namespace
