// An attachment is opened with others denied write access: while another program holds the file
// open for writing it cannot be loaded, and the failure has its entry; readers do not matter.
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
