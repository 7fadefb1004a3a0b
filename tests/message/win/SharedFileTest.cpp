// An attachment is opened with others denied write access: while another program holds the file
// open for writing it cannot be loaded, and the failure has its entry; readers do not matter.
#include <gtest/gtest.h>

#include "message/CSmtpAttachment.h"
#include "support/TestFiles.h"

TEST(SharedFileTest, AFileOpenForWritingElsewhereIsNotLoaded) {
    TempDir dir(true);
    FixedClock clock;
    WriteFile("report.csv", "x");
    for (DWORD access : {DWORD(GENERIC_WRITE), DWORD(GENERIC_READ)}) {
        HANDLE other = CreateFileA("report.csv", access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(CSmtpAttachment().LoadFile("report.csv"), access == GENERIC_READ);
        CloseHandle(other);
    }
    EXPECT_EQ(ReadFile("log/Fernpost.err"),
              std::string(FIXED_STAMP) + " Failed to open file to be attached" + LOG_NEWLINE);
}
