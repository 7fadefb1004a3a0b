// An attachment is opened with others denied write access: while another program holds the file
// open for writing it cannot be loaded, and the failure has its entry; readers do not matter.
#include <gtest/gtest.h>

#include "message/CSmtpAttachment.h"
#include "support/TestFiles.h"

namespace {

HANDLE OpenShared(const char* path, DWORD access) {
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(SharedFileTest, AFileOpenForWritingElsewhereIsNotLoaded) {
    TempDir dir(true);
    FixedClock clock;
    WriteFile("report.csv", "x");
    CSmtpAttachment attachment;
    HANDLE writer = OpenShared("report.csv", GENERIC_WRITE);
    EXPECT_EQ(attachment.LoadFile("report.csv"), FALSE);
    CloseHandle(writer);
    HANDLE reader = OpenShared("report.csv", GENERIC_READ);
    EXPECT_EQ(attachment.LoadFile("report.csv"), TRUE);
    CloseHandle(reader);
    EXPECT_EQ(ReadFile("log/Fernpost.err"),
              std::string(FIXED_STAMP) + " Failed to open file to be attached" + LOG_NEWLINE);
}

}  // namespace
