// Attachment loading: base64 text of files, names (also Shift-JIS ones), and the failures with
// and without their log entry.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "message/CSmtpAttachment.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "support/LogText.h"

namespace {

const char* const FAILURE_ENTRY = "Failed to open file to be attached";

class CSmtpAttachmentTest : public FixedClockLogTest {
protected:
    std::string Base64Text(const CSmtpAttachment& attachment) {
        if (!attachment.m_pBase64) return "<null>";
        EXPECT_EQ(attachment.m_pBase64[attachment.m_nBase64Length], '\0');
        return std::string(attachment.m_pBase64.get(), attachment.m_nBase64Length);
    }
};

// The encoder itself is tested on its own; here the file's whole contents must reach it.
TEST_F(CSmtpAttachmentTest, LoadsContentsAsBase64Text) {
    std::string thousand;
    for (int i = 0; i < 1000; ++i) thousand += static_cast<char>('a' + i % 26);
    const struct {
        std::string contents;
        std::size_t length;
        std::string start;
    } cases[] = {
        {"", 2, "\r\n"},
        {"abc", 6, "YWJj\r\n"},
        {thousand, 1372, "YWJj"},
    };
    for (const auto& c : cases) {
        WriteFile("data.bin", c.contents);
        CSmtpAttachment attachment;
        ASSERT_EQ(attachment.LoadFile("data.bin"), TRUE) << c.contents.size();
        std::string text = Base64Text(attachment);
        EXPECT_EQ(text.size(), c.length) << c.contents.size();
        EXPECT_EQ(text.rfind(c.start, 0), 0u) << c.contents.size();
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        EXPECT_EQ(attachment.FileName(), "data.bin");
    }
    EXPECT_FALSE(PathExists("log"));
}

TEST_F(CSmtpAttachmentTest, NamesAreTheLastPathComponentAndItsEncodedWord) {
    ASSERT_TRUE(CreateOneDirectory("docs"));
    const struct {
        std::string file;  // created in docs/
        std::string path;  // given to LoadFile
        std::string name;
        std::string encoded;
    } cases[] = {
        {"report.pdf", dir_.Path() + "/docs/report.pdf", "report.pdf",
         "=?ISO-2022-JP?B?cmVwb3J0LnBkZg==?="},
        {"ソ.txt", "docs/ソ.txt", "ソ.txt", "=?ISO-2022-JP?B?GyRCJT0bKEIudHh0?="},
        {"表計算ソフト.xls", "./docs/表計算ソフト.xls", "表計算ソフト.xls",
         "=?ISO-2022-JP?B?GyRCST03Vzs7JT0lVSVIGyhCLnhscw==?="},
        {"a\\b.txt", "docs/a\\b.txt", "b.txt", "=?ISO-2022-JP?B?Yi50eHQ=?="},
        {"ｱｲ.txt", "docs/ｱｲ.txt", "ｱｲ.txt", "=?ISO-2022-JP?B?GyRCJSIlJBsoQi50eHQ=?="},
    };
    for (const auto& c : cases) {
        WriteFile("docs/" + c.file, "x");
        CSmtpAttachment attachment;
        ASSERT_EQ(attachment.LoadFile(c.path), TRUE) << c.path;
        EXPECT_EQ(attachment.FileName(), c.name);
        EXPECT_EQ(attachment.EncodedName(), c.encoded);
    }
}

TEST_F(CSmtpAttachmentTest, MissingFileFailsWithoutLogEntry) {
    CSmtpAttachment attachment;
    EXPECT_EQ(attachment.LoadFile("no-such-file"), FALSE);
    EXPECT_EQ(attachment.m_pBase64, nullptr);
    EXPECT_EQ(attachment.m_nBase64Length, 0u);
    EXPECT_EQ(attachment.FileName(), "");
    EXPECT_EQ(attachment.EncodedName(), "");
    EXPECT_FALSE(PathExists("log"));
}

TEST_F(CSmtpAttachmentTest, AnythingButARegularFileFailsWithTheEntryAndNeverBlocks) {
    ASSERT_TRUE(CreateOneDirectory("folder"));
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", "socket");
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const char* const paths[] = {"folder", "fifo", "socket", "/dev/null", "/dev/zero"};
    std::string expectedLog;
    for (const char* path : paths) {
        CSmtpAttachment attachment;
        EXPECT_EQ(attachment.LoadFile(path), FALSE) << path;
        EXPECT_EQ(attachment.m_pBase64, nullptr) << path;
        EXPECT_EQ(attachment.FileName(), "") << path;
        expectedLog += ExpectedLog({FAILURE_ENTRY});
    }
    close(sock);
    EXPECT_EQ(ErrorLog(), expectedLog);
}

TEST_F(CSmtpAttachmentTest, FailedReloadDropsTheTextButKeepsTheNames) {
    WriteFile("first.txt", "abc");
    CSmtpAttachment attachment;
    ASSERT_EQ(attachment.LoadFile("first.txt"), TRUE);
    SetLastError(1234);
    EXPECT_EQ(attachment.LoadFile("gone.txt"), FALSE);
    EXPECT_EQ(attachment.m_pBase64, nullptr);
    EXPECT_EQ(attachment.m_nBase64Length, 0u);
    EXPECT_EQ(attachment.FileName(), "first.txt");
    EXPECT_EQ(attachment.EncodedName(), "=?ISO-2022-JP?B?Zmlyc3QudHh0?=");
    EXPECT_EQ(GetLastError(), 1234u);

    WriteFile("second.txt", "ab");
    ASSERT_EQ(attachment.LoadFile("second.txt"), TRUE);
    EXPECT_EQ(Base64Text(attachment), "YWI=\r\n");
    EXPECT_EQ(attachment.FileName(), "second.txt");
}

TEST_F(CSmtpAttachmentTest, FileTooLargeForMemoryFailsWithTheEntry) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP()
        << "the address sanitizer aborts on impossible allocations instead of failing them";
#endif
    if (ReadFile("/proc/sys/vm/overcommit_memory").rfind("1", 0) == 0) {
        GTEST_SKIP() << "memory overcommit always grants the allocation";
    }
    // A sparse file of 1 TiB and 3 bytes: its size does not fit 32 bits, its memory cannot be had.
    int fd = open("huge.bin", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    int truncated = ftruncate(fd, (off_t{1} << 40) + 3);
    close(fd);
    if (truncated != 0) GTEST_SKIP() << "the file system refuses a sparse file of 1 TiB";
    CSmtpAttachment attachment;
    EXPECT_EQ(attachment.LoadFile("huge.bin"), FALSE);
    EXPECT_EQ(attachment.m_pBase64, nullptr);
    EXPECT_EQ(ErrorLog(), ExpectedLog({FAILURE_ENTRY}));
}

}  // namespace
