// The wire texts of the SMTP client, checked without a socket.
#include <gtest/gtest.h>

#include <string>

#include "smtp/SmtpWireText.h"

namespace {

TEST(SmtpWireTextTest, AttachmentPartHeaderQuotesOnlyTheEncodedName) {
    // A Shift-JIS name whose trail byte is 0x5C (表) stays unquoted and unchanged in name=.
    EXPECT_EQ(FormatAttachmentPartHeader("表.txt", "=?ISO-2022-JP?B?GyRCST0bKEIudHh0?="),
              "\r\n\r\n--#BOUNDARY#\r\n"
              "Content-Type: application/octet-stream; name=\x95\x5C.txt\r\n"
              "Content-Transfer-Encoding: base64\r\n"
              "Content-Disposition: attachment; filename=\"=?ISO-2022-JP?B?GyRCST0bKEIudHh0?=\"\r\n"
              "\r\n");
}

TEST(SmtpWireTextTest, HeloNameFallsBackToLocalhost) {
    struct Case {
        const char* hostName;
        const char* expected;
    };
    const Case cases[] = {
        {"mail-client.example.jp", "mail-client.example.jp"},
        {"host", "host"},
        {nullptr, "localhost"},
        {"", "localhost"},
        {"two words", "localhost"},
        {"evil\r\nRCPT TO:<x@y>", "localhost"},
        {"\x93\xFA\x96\x7B", "localhost"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseHeloName(c.hostName), c.expected) << (c.hostName ? c.hostName : "(null)");
    }
    EXPECT_FALSE(LocalHeloName().empty());
}

TEST(SmtpWireTextTest, EveryLineEndBecomesCrLf) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"no line end", "no line end"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"a\r\nb", "a\r\nb"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\r\r\nb\n\r", "a\r\n\r\nb\r\n\r\n"},
        {"..stuffed\n.\n", "..stuffed\r\n.\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(ToCrLfLineEnds(c.text), c.expected) << c.text;
}

}  // namespace
