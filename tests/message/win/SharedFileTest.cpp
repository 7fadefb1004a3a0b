// An attachment is opened with others denied write and delete access: while another program holds
// the file open for writing it cannot be loaded, and the failure has its entry; readers do not
// matter. Once loaded, it can be neither changed nor removed until its last block is read.
#include <gtest/gtest.h>

#include "message/CSmtpAttachment.h"
#include "support/TestFiles.h"

TEST(SharedFileTest, AFileOpenForWritingElsewhereIsNotLoaded) {
    TempDir dir(true);
    for (const char* mode : {"w", "r"}) {  // "w" makes the file and holds it open for writing
        std::FILE* other = std::fopen("report.csv", mode);
        EXPECT_EQ(CSmtpAttachment().LoadFile("report.csv"), *mode == 'r') << mode;
        std::fclose(other);
    }
    EXPECT_EQ(MaskStamps(ReadFile("log/Fernpost.err")),
              "[stamp] Failed to open file to be attached" + std::string(LOG_NEWLINE));
}

TEST(SharedFileTest, ALoadedFileCanBeNeitherChangedNorRemoved) {
    TempDir dir(true);
    WriteFile("report.csv", "x");
    CSmtpAttachment attachment;
    ASSERT_EQ(attachment.LoadFile("report.csv"), TRUE);
    EXPECT_EQ(std::fopen("report.csv", "a"), nullptr);
    EXPECT_NE(std::remove("report.csv"), 0);
    EXPECT_EQ(ReadBlocks(attachment), "eA==\r\n|last");
    EXPECT_EQ(std::remove("report.csv"), 0);  // closed after its last block
}
