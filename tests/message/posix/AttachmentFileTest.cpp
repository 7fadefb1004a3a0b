// An attachment is read from the file that was checked and opened: removed meanwhile it still
// reads whole, grown it reads up to its checked size; truncated or unreadable it fails with its
// entry, and nothing of the failed block comes out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "message/CSmtpAttachment.h"
#include "support/TestFiles.h"

TEST(AttachmentFileTest, ReadFromTheFileThatWasChecked) {
    TempDir dir(true);
    std::string lines;  // the first block's text: 57 * 4096 bytes "x" in 4096 lines
    for (int line = 0; line < 4096 * 19; ++line) lines += line % 19 == 18 ? "eHh4\r\n" : "eHh4";
    const std::string early = "File to be attached ended early, the mail was abandoned: file";
    const struct {
        std::string change, text, log;
    } rows[] = {
        {"rm file", lines + "eA==\r\n|last", ""},
        {"echo more >>file", lines + "eA==\r\n|last", ""},
        {"truncate -s 233472 file", lines + "|failed", early},  // the second block ends early
        {"truncate -s 100 file", "|failed", early},
        {"dup2", "|failed",  // a directory in the file's place: EISDIR
         "Failed to read file to be attached, the mail was abandoned (error 21): file"},
    };
    for (const auto& row : rows) {
        std::filesystem::remove_all("log");
        WriteFile("file", std::string(57 * 4096 + 1, 'x'));
        CSmtpAttachment attachment;
        ASSERT_EQ(attachment.LoadFile("file"), TRUE);
        const int folder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_EQ(row.change == "dup2" ? dup2(folder, attachment.m_nFile) - attachment.m_nFile
                                       : std::system(row.change.c_str()),
                  0);
        close(folder);
        EXPECT_EQ(ReadBlocks(attachment), row.text) << row.change;
        EXPECT_EQ(MaskStamps(ReadFile("log/Fernpost.err")), row.log.empty() ? "" : Log({row.log}))
            << row.change;
    }
    EXPECT_EQ(CSmtpAttachment().LoadFile("missing"), FALSE);
}
