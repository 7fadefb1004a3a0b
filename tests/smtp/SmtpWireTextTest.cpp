// The wire texts of the SMTP client, checked without a socket.
#include <gtest/gtest.h>

#include <string>

#include "smtp/SmtpWireText.h"

namespace {

TEST(SmtpWireTextTest, CommandsCarryTheirArgumentBetweenAngleBrackets) {
    EXPECT_EQ(FormatHeloCommand("client.example"), "HELO client.example\r\n");
    EXPECT_EQ(FormatMailFromCommand("sales@example.com"), "MAIL FROM:<sales@example.com>\r\n");
    EXPECT_EQ(FormatMailFromCommand(""), "MAIL FROM:<>\r\n");
    EXPECT_EQ(FormatRcptToCommand("a%b@example.com"), "RCPT TO:<a%b@example.com>\r\n");
    EXPECT_EQ(QUIT_COMMAND, "QUIT\r\n");
    EXPECT_EQ(DATA_COMMAND, "DATA\r\n");
    EXPECT_EQ(END_OF_DATA, "\r\n.\r\n");
}

TEST(SmtpWireTextTest, MultipartFramingTexts) {
    EXPECT_EQ(BODY_PART_HEADER,
              "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
              "Content-Transfer-Encoding: 7bit\r\n\r\n");
    EXPECT_EQ(CLOSING_BOUNDARY, "\r\n--#BOUNDARY#--");
}

TEST(SmtpWireTextTest, AttachmentPartHeaderQuotesOnlyTheEncodedName) {
    EXPECT_EQ(FormatAttachmentPartHeader("report.pdf", "=?ISO-2022-JP?B?cmVwb3J0LnBkZg==?="),
              "\r\n\r\n--#BOUNDARY#\r\n"
              "Content-Type: application/octet-stream; name=report.pdf\r\n"
              "Content-Transfer-Encoding: base64\r\n"
              "Content-Disposition: attachment; filename=\"=?ISO-2022-JP?B?cmVwb3J0LnBkZg==?=\"\r\n"
              "\r\n");
    // A Shift-JIS name whose trail byte is 0x5C stays unquoted and unchanged.
    EXPECT_EQ(
        FormatAttachmentPartHeader("表.txt", "").substr(0, 71),
        "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=\x95\x5C.txt\r\n");
    EXPECT_NE(FormatAttachmentPartHeader("", "").find("; name=\r\n"), std::string::npos);
    EXPECT_NE(FormatAttachmentPartHeader("", "").find("; filename=\"\"\r\n\r\n"),
              std::string::npos);
}

TEST(SmtpWireTextTest, RefusedRecipientEntryKeepsPercentSignsAndEndsAfterLineFeedCarriageReturn) {
    EXPECT_EQ(FormatRefusedRecipientEntry("100% 田中 %s"),
              "配信不能：以下の受信者にメールを配信できませんでした。\n\r100% 田中 %s");
    EXPECT_EQ(FormatRefusedRecipientEntry(""),
              "配信不能：以下の受信者にメールを配信できませんでした。\n\r");
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

TEST(SmtpWireTextTest, BodyGoesOutAsIso2022JpWithCrLfLineEnds) {
    EXPECT_EQ(ConvertBodyForWire("日本\nｶﾞ\r\nabc"), "\x1b$BF|K\\\x1b(B\r\n\x1b$B%,\x1b(B\r\nabc");
    EXPECT_EQ(ConvertBodyForWire(""), "");
}

}  // namespace
