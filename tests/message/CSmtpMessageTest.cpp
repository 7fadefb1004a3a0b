// The message: recipient lists, attachments list, dot-stuffing as the body goes on the wire,
// the header, and the Date line.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "MessageTestSupport.h"
#include "message/CSmtpMessage.h"
#include "message/JapaneseText.h"
#include "platform/Clock.h"
#include "support/FixedClock.h"

namespace {

// ---- lists --------------------------------------------------------------------------------------

TEST(CSmtpMessageTest, RecipientsGoToTheListOfTheirKindOnly) {
    CSmtpMessage message;
    EXPECT_EQ(message.AppendRecipient(CSmtpAddress("A", "a@x"), RECIPIENT_TO), 0);
    EXPECT_EQ(message.AppendRecipient(CSmtpAddress("", "b@x"), RECIPIENT_TO), 1);
    EXPECT_EQ(message.AppendRecipient(CSmtpAddress("", "c@x"), RECIPIENT_CC), 0);
    EXPECT_EQ(message.AppendRecipient(CSmtpAddress("", "d@x"), RECIPIENT_BCC), 0);
    EXPECT_EQ(message.AppendRecipient(CSmtpAddress("", "e@x"), 3), -1);
    EXPECT_EQ(message.AppendRecipient(CSmtpAddress("", "f@x"), -1), -1);
    EXPECT_EQ(message.RecipientCount(RECIPIENT_TO), 2);
    EXPECT_EQ(message.RecipientCount(RECIPIENT_CC), 1);
    EXPECT_EQ(message.RecipientCount(RECIPIENT_BCC), 1);
    EXPECT_EQ(message.RecipientCount(3), 0);
    EXPECT_EQ(message.RecipientAt(0, RECIPIENT_TO).m_strName, "A");
    EXPECT_EQ(message.RecipientAt(1, RECIPIENT_TO).m_strAddress, "b@x");
    EXPECT_EQ(message.RecipientAt(0, RECIPIENT_BCC).m_strAddress, "d@x");
    EXPECT_EQ(message.RecipientAt(0, 7).m_strAddress, "");
    EXPECT_EQ(message.RecipientAt(5, RECIPIENT_TO).m_strAddress,
              "");  // outside the list: empty record
}

// ---- dot-stuffing -------------------------------------------------------------------------------

TEST(AssignBodyTest, DoublesTheDotAtTheStartOfEveryLine) {
    // Every mix of dots, CR and LF is checked exhaustively below; these are the readable examples.
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {".start", "..start"},
        {"a.b\n c.", "a.b\n c."},
        {".\n.\r.", "..\n..\r.."},
        {"日本\n.", "日本\n.."},
    };
    for (const auto& [body, stuffed] : cases) {
        CSmtpMessage message;
        message.AssignBody(body);
        EXPECT_EQ(message.m_strBody, stuffed) << body;
    }
}

// The body as it goes on the wire: widened, converted, then every LF sent as CR LF.
std::string OnTheWire(const std::string& body) {
    std::string converted = ShiftJisToJis(WidenHalfWidthKana(body));
    std::string wire;
    for (char c : converted) {
        if (c == '\n') wire += '\r';
        wire += c;
    }
    return wire;
}

// The lines of the wire text, split at CR LF.
std::vector<std::string> ReceivedLines(const std::string& wire) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = wire.find("\r\n", start);
        std::string line =
            wire.substr(start, end == std::string::npos ? std::string::npos : end - start);
        lines.push_back(line);
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

TEST(AssignBodyTest, NoBodyOfDotsCrAndLfPutsALoneDotLineOnTheWire) {
    // Every text of up to seven bytes over these five, a lead byte without a trail included.
    const char alphabet[] = {'.', 'a', '\r', '\n', '\x93'};
    std::vector<std::string> bodies = {""};
    for (std::size_t start = 0; start < bodies.size(); ++start) {
        if (bodies[start].size() == 7) break;
        for (char c : alphabet) bodies.push_back(bodies[start] + c);
    }
    ASSERT_GT(bodies.size(), 90000u);
    for (const std::string& body : bodies) {
        CSmtpMessage message;
        message.AssignBody(body);
        std::string wire = OnTheWire(message.m_strBody);
        for (std::size_t i = 0; i < wire.size(); ++i) {  // every line end is CR LF
            if (wire[i] == '\r') {
                ASSERT_TRUE(i + 1 < wire.size() && wire[i + 1] == '\n') << body;
            }
            if (wire[i] == '\n') {
                ASSERT_TRUE(i > 0 && wire[i - 1] == '\r') << body;
            }
        }
        std::vector<std::string> stuffedLines = ReceivedLines(wire);
        std::vector<std::string> plainLines = ReceivedLines(OnTheWire(body));
        ASSERT_EQ(stuffedLines.size(), plainLines.size()) << body;
        for (std::size_t i = 0; i < stuffedLines.size(); ++i) {
            ASSERT_NE(stuffedLines[i], ".") << body;
            // A line that begins with a dot gets one more; no other line changes.
            const std::string& plain = plainLines[i];
            ASSERT_EQ(stuffedLines[i], (plain.rfind('.', 0) == 0 ? "." : "") + plain) << body;
        }
    }
}

// ---- Date ---------------------------------------------------------------------------------------

TEST(FormatZoneTextTest, SignHoursAndMinutesOfTheOffset) {
    const std::pair<long, const char*> cases[] = {
        {540, "+0900"}, {-300, "-0500"}, {330, "+0530"}, {-210, "-0330"}, {0, "+0000"},
        {765, "+1245"}, {-720, "-1200"}, {-30, "-0030"}, {60, "+0100"},
    };
    for (auto [offset, text] : cases) EXPECT_EQ(FormatZoneText(offset), text) << offset;
}

TEST(FormatDateTextTest, EnglishNamesTwoDigitFieldsAndTheZone) {
    const std::pair<std::tm, const char*> cases[] = {
        {Moment(2026, 12, 5, 6, 23, 0, 29, 9 * 3600), "Sat, 05 Dec 2026 23:00:29 +0900"},
        {Moment(2004, 1, 1, 4, 0, 0, 0, 0), "Thu, 01 Jan 2004 00:00:00 +0000"},
        {Moment(2026, 3, 29, 0, 9, 5, 7, -5 * 3600), "Sun, 29 Mar 2026 09:05:07 -0500"},
        {Moment(2026, 6, 15, 1, 12, 30, 45, 19800), "Mon, 15 Jun 2026 12:30:45 +0530"},
        {Moment(2026, 11, 3, 2, 18, 59, 59, -12600), "Tue, 03 Nov 2026 18:59:59 -0330"},
        {Moment(2026, 2, 18, 3, 1, 2, 3, 3600), "Wed, 18 Feb 2026 01:02:03 +0100"},
        {Moment(2026, 5, 8, 5, 7, 7, 7, 7200), "Fri, 08 May 2026 07:07:07 +0200"},
    };
    for (const auto& [moment, text] : cases) EXPECT_EQ(FormatDateText(moment), text);
}

TEST(FormatDateTextTest, NamesStayEnglishUnderAJapaneseLocale) {
    if (std::setlocale(LC_ALL, "ja_JP.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "ja_JP.SJIS") == nullptr) {
        GTEST_SKIP() << "no Japanese locale installed";
    }
    std::string text = FormatDateText(Moment(2026, 12, 5, 6, 23, 0, 29, 9 * 3600));
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(text, "Sat, 05 Dec 2026 23:00:29 +0900");
}

// ---- header -------------------------------------------------------------------------------------

std::tm SaturdayInTokyo() { return Moment(2026, 12, 5, 6, 23, 0, 29, 9 * 3600); }
std::tm HalfPastInIndia() { return Moment(2026, 12, 5, 6, 19, 30, 29, 19800); }

class BuildHeaderTest : public ::testing::Test {
protected:
    void SetUp() override { SetLocalTimeSource(&SaturdayInTokyo); }
    void TearDown() override { SetLocalTimeSource(nullptr); }
};

const char* const SALES_WORD = "=?ISO-2022-JP?B?U2FsZXM=?=";
const char* const NIHON_WORD = "=?ISO-2022-JP?B?GyRCRnxLXBsoQg==?=";

TEST_F(BuildHeaderTest, PlainMailWithToCcAndSubject) {
    CSmtpMessage message;
    message.m_Sender = CSmtpAddress("Sales", "sales@example.jp");
    message.m_strSubject = "日本";
    message.AppendRecipient(CSmtpAddress("", "to1@example.jp"), RECIPIENT_TO);
    message.AppendRecipient(CSmtpAddress("日本", "to2@example.jp"), RECIPIENT_TO);
    message.AppendRecipient(CSmtpAddress("", "cc@example.jp"), RECIPIENT_CC);
    message.AppendRecipient(CSmtpAddress("", "bcc@example.jp"), RECIPIENT_BCC);
    EXPECT_EQ(message.BuildHeader(), std::string("From: ") + SALES_WORD +
                                         " <sales@example.jp>\r\n"
                                         "To: to1@example.jp," +
                                         NIHON_WORD +
                                         " <to2@example.jp>\r\n"
                                         "Cc: cc@example.jp\r\n"
                                         "Subject: " +
                                         NIHON_WORD +
                                         "\r\n"
                                         "Date: Sat, 05 Dec 2026 23:00:29 +0900\r\n"
                                         "X-Mailer: Vex MAILER v1.0\r\n"
                                         "MIME-Version: 1.0\r\n"
                                         "Content-type: text/plain; charset=iso-2022-jp\r\n"
                                         "\r\n");
}

TEST_F(BuildHeaderTest, EmptyToEmptySubjectNoCcAndAttachments) {
    CSmtpAttachment unloaded;
    CSmtpMessage message;
    message.m_Sender = CSmtpAddress("", "sales@example.jp");
    message.AppendRecipient(CSmtpAddress("", "bcc@example.jp"), RECIPIENT_BCC);
    message.AppendAttachment(&unloaded);
    SetLocalTimeSource(&HalfPastInIndia);
    EXPECT_EQ(message.BuildHeader(),
              "From: sales@example.jp\r\n"
              "To: \r\n"
              "Subject: \r\n"
              "Date: Sat, 05 Dec 2026 19:30:29 +0530\r\n"
              "X-Mailer: Vex MAILER v1.0\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n"
              "\r\n");
}

TEST_F(BuildHeaderTest, LongSubjectIsOneEncodedWordOnOneLine) {
    CSmtpMessage message;
    for (int i = 0; i < 1000; ++i) message.m_strSubject += "ｶﾞ件名";
    std::string header = message.BuildHeader();
    std::size_t start = header.find("Subject: ");
    ASSERT_NE(start, std::string::npos);
    std::size_t end = header.find("\r\n", start);
    std::string line = header.substr(start, end - start);
    EXPECT_EQ(line, "Subject: " + EncodeJapaneseHeaderText(message.m_strSubject));
    // 3000 double-byte characters in one run: 6006 bytes with the escapes, 8008 in base64.
    EXPECT_EQ(line.size(), 9u + 16 + 8008 + 2);
    EXPECT_EQ(line.find(' ', 9), std::string::npos);
}

TEST(FormatForHeaderTest, DisplayNameForms) {
    const struct {
        CSmtpAddress address;
        std::string expected;
    } cases[] = {
        {CSmtpAddress("", "user@example.jp"), "user@example.jp"},
        {CSmtpAddress("Sales", "user@example.jp"), std::string(SALES_WORD) + " <user@example.jp>"},
        {CSmtpAddress("日本", "u"), std::string(NIHON_WORD) + " <u>"},
        {CSmtpAddress("ｱｲ", "u"), "=?ISO-2022-JP?B?GyRCJSIlJBsoQg==?= <u>"},
        {CSmtpAddress("\"Sales, Tokyo\"", ""), "=?ISO-2022-JP?B?IlNhbGVzLCBUb2t5byI=?= <>"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.address.FormatForHeader(), c.expected);
}

}  // namespace
