// The message: recipients parser, header lines, Date zones (the body: tests/fuzz, MessageFuzz).
#include <gtest/gtest.h>

#include <tuple>

#include "message/CSmtpMessage.h"
#include "platform/LastError.h"
#include "support/TestFiles.h"

namespace {

// A list as "name|address;" entries.
std::string Text(const std::vector<CSmtpAddress>& list) {
    std::string text;
    for (const auto& [name, address] : list) text += name + "|" + address + ";";
    return text;
}

TEST(ParseRecipientsTest, Cases) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"Sales <user1> office;<user2>", "Sales|user1;|user2;", true},
        {"Sales <>;   ; ,;,", "", true},
        {"\"Sales, Tokyo\" <user1>", "|\"Sales;Tokyo\"|user1;", true},
        {" \t a@x \r\n ;\v b@x \f", "|a@x;|b@x;", true},
        {"  日本 太郎  < taro@example.jp >", "日本 太郎|taro@example.jp;", true},
        {"Sales <user1> <user2>;x>y", "Sales|user1;|x>y;", true},
        {"Sales <user1", "", false},
        {"a>b <user1>", "", false},
        {"a <b> c; d > <e>; f", "a|b;", false},
    };
    TempDir dir(true);  // where the entries of the failed parses go
    for (const auto& [text, list, whole] : cases) {
        CSmtpMessage message;
        SetLastError(0);
        EXPECT_EQ(message.ParseRecipients(text, RECIPIENT_CC), whole ? TRUE : FALSE) << text;
        EXPECT_EQ(Text(message.m_CcList), list) << text;
        EXPECT_EQ(Text(message.m_ToList) + Text(message.m_BccList), "");
        const int past = message.RecipientCount(RECIPIENT_CC);  // no such kind, no such index
        EXPECT_EQ(message.RecipientAt(0, -1).m_strAddress +
                      message.RecipientAt(past, RECIPIENT_CC).m_strAddress,
                  "");
        EXPECT_EQ(GetLastError(), whole ? 0u : ERROR_INVALID_DATA) << text;
    }
}

// The header of a plain message; a line of "To: " and addresses stops at 997 characters before
// its comma (998 with it).
TEST(BuildHeaderTest, PlainMessageWithLongAddressLists) {
    FixedClock clock;
    std::string first, rest;
    for (int i = 0; i < 15; ++i)  // 99 characters each: nine and their commas make 904
        (i < 9 ? first : rest) += std::string(94, char('a' + i)) + "@x.jp,";
    // "Cc: x,y" is 997 characters: it fits; so would " z,w" after the fold, with no blank first
    const std::string x(496, 'x'), y(496, 'y'), w(995, 'w');
    CSmtpMessage message;
    message.ParseRecipients(first + rest, RECIPIENT_TO);
    message.ParseRecipients(x + ";" + y + ";z;" + w, RECIPIENT_CC);
    rest.pop_back();
    EXPECT_EQ(message.BuildHeader(), "From: \r\nTo: " + first + "\r\n " + rest + "\r\nCc: " + x +
                                         "," + y + ",\r\n z,\r\n " + w +
                                         "\r\nSubject: \r\nDate: " + FIXED_DATE +
                                         "\r\nX-Mailer: Vex MAILER v1.0\r\nMIME-Version: 1.0\r\n"
                                         "Content-type: text/plain; charset=iso-2022-jp\r\n\r\n");
}

TEST(FormatZoneTextTest, SignsHoursAndMinutes) {
    const std::pair<long, std::string> zones[] = {
        {0, "+0000"}, {-210, "-0330"}, {345, "+0545"}, {-12 * 60, "-1200"}};
    for (const auto& [minutes, zone] : zones) EXPECT_EQ(FormatZoneText(minutes), zone);
}

}  // namespace
