// The message: recipients parser, header lines and Date (the body: tests/fuzz, MessageFuzz).
#include <gtest/gtest.h>

#include "message/CSmtpMessage.h"
#include "platform/LastError.h"
#include "support/TestFiles.h"

namespace {

// The list of `kind` as "name|address;" entries.
std::string ListOf(const CSmtpMessage& message, int kind) {
    std::string list;
    for (int i = 0; i < message.RecipientCount(kind); ++i) {
        list += message.RecipientAt(i, kind).m_strName + "|" +
                message.RecipientAt(i, kind).m_strAddress + ";";
    }
    return list;
}

TEST(ParseRecipientsTest, Cases) {
    const struct {
        std::string text, list;
        bool whole;
    } cases[] = {
        {"user1, user2", "|user1;|user2;", true},
        {"Sales <user1> office;<user2>", "Sales|user1;|user2;", true},
        {"Sales <>;   ; ,;,", "", true},
        {"\"Sales, Tokyo\" <user1>", "|\"Sales;Tokyo\"|user1;", true},
        {" \t a@x \r\n ;\v b@x \f", "|a@x;|b@x;", true},
        {"  日本 太郎  < taro@example.jp >", "日本 太郎|taro@example.jp;", true},
        {"Sales <user1> <user2>;x>y", "Sales|user1;|x>y;", true},
        {"Sales <user1", "", false},
        {"a>b <user1>", "", false},
        {"user1, Sales <user2, user3", "|user1;", false},
        {"a <b> c; d > <e>; f", "a|b;", false},
    };
    TempDir dir(true);  // where the entries of the failed parses go
    for (const auto& c : cases) {
        CSmtpMessage message;
        SetLastError(0);
        EXPECT_EQ(message.ParseRecipients(c.text, RECIPIENT_CC), c.whole ? TRUE : FALSE) << c.text;
        EXPECT_EQ(ListOf(message, RECIPIENT_CC), c.list) << c.text;
        EXPECT_EQ(ListOf(message, RECIPIENT_TO) + ListOf(message, RECIPIENT_BCC), "");
        EXPECT_EQ(message.RecipientAt(0, -1).m_strAddress, "");  // no such kind
        EXPECT_EQ(GetLastError(), c.whole ? 0u : ERROR_INVALID_DATA) << c.text;
    }
}

// The header of a plain message; a line of "To: " and addresses stops at 997 characters before
// its comma (998 with it).
TEST(BuildHeaderTest, PlainMessageWithLongAddressLists) {
    FixedClock clock;
    std::string list, first, rest;
    for (int i = 0; i < 15; ++i) {  // 99 characters each: nine and their commas make 904
        std::string address = std::string(94, char('a' + i)) + "@x.jp";
        list += address + ",";
        (i < 9 ? first : rest) += address + ",";
    }
    const std::string x(496, 'x'), y(496, 'y');  // "To: x,y" is 997 characters: it fits
    CSmtpMessage message;
    message.ParseRecipients(list, RECIPIENT_TO);
    message.ParseRecipients(x + ";" + y + ";z", RECIPIENT_CC);
    rest.pop_back();
    EXPECT_EQ(message.BuildHeader(), "From: \r\nTo: " + first + "\r\n " + rest + "\r\nCc: " + x +
                                         "," + y + ",\r\n z\r\nSubject: \r\nDate: " + FIXED_DATE +
                                         "\r\nX-Mailer: Vex MAILER v1.0\r\nMIME-Version: 1.0\r\n"
                                         "Content-type: text/plain; charset=iso-2022-jp\r\n\r\n");
}

TEST(FormatDateTextTest, FieldsAndZones) {
    LocalTime t{};
    t.tm_year = 99, t.tm_mon = 11, t.tm_mday = 31, t.tm_wday = 5, t.tm_hour = 23, t.tm_sec = 5;
    const std::pair<long, std::string> zones[] = {
        {0, "+0000"}, {-210 * 60, "-0330"}, {345 * 60, "+0545"}, {-12 * 3600, "-1200"}};
    for (const auto& [offset, zone] : zones) {
        t.utcOffsetSeconds = offset;
        EXPECT_EQ(FormatDateText(t), "Fri, 31 Dec 1999 23:00:05 " + zone);
    }
}

}  // namespace
