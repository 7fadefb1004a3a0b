// The recipients parser: tokens, display names, skipped tokens and the malformed ones with their
// log entry and last error.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "message/CSmtpMessage.h"
#include "platform/LastError.h"
#include "support/LogText.h"

namespace {

const char* const PARSE_ENTRY = "An error occurred while parsing the recipients string";

using Entries = std::vector<std::pair<std::string, std::string>>;  // (display name, address)

Entries ListOf(const CSmtpMessage& message, int kind) {
    Entries entries;
    for (int i = 0; i < message.RecipientCount(kind); ++i) {
        CSmtpAddress address = message.RecipientAt(i, kind);
        entries.emplace_back(address.m_strName, address.m_strAddress);
    }
    return entries;
}

class ParseRecipientsTest : public FixedClockLogTest {
protected:
    void SetUp() override { SetLastError(0); }
};

TEST_F(ParseRecipientsTest, WellFormedTexts) {
    const struct {
        std::string text;
        Entries entries;
    } cases[] = {
        {"user1, user2", {{"", "user1"}, {"", "user2"}}},
        {"Sales <user1>;", {{"Sales", "user1"}}},
        {"<user1>", {{"", "user1"}}},
        {"Sales <>", {}},
        {"Sales <user1> office", {{"Sales", "user1"}}},
        {"\"Sales, Tokyo\" <user1>", {{"", "\"Sales"}, {"Tokyo\"", "user1"}}},
        {"   ", {}},
        {"", {}},
        {",;,", {}},
        {" \t a@x \r\n ;\v b@x \f", {{"", "a@x"}, {"", "b@x"}}},
        {"  日本 太郎  < taro@example.jp >", {{"日本 太郎", "taro@example.jp"}}},
        {"a@x;b@x,c@x", {{"", "a@x"}, {"", "b@x"}, {"", "c@x"}}},
        {"Sales <user1> <user2>", {{"Sales", "user1"}}},
        {"x>y", {{"", "x>y"}}},
    };
    for (const auto& c : cases) {
        CSmtpMessage message;
        EXPECT_EQ(message.ParseRecipients(c.text, RECIPIENT_CC), TRUE) << c.text;
        EXPECT_EQ(ListOf(message, RECIPIENT_CC), c.entries) << c.text;
        EXPECT_EQ(message.RecipientCount(RECIPIENT_TO), 0);
    }
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(ParseRecipientsTest, MalformedTokenStopsTheParseWithEntryAndLastError) {
    const struct {
        std::string text;
        Entries entries;
    } cases[] = {
        {"Sales <user1", {}},
        {"a>b <user1>", {}},
        {"user1, Sales <user2, user3", {{"", "user1"}}},
        {"user0; <", {{"", "user0"}}},
        {"a <b> c; d > <e>; f", {{"a", "b"}}},
    };
    std::string expectedLog;
    for (const auto& c : cases) {
        CSmtpMessage message;
        SetLastError(0);
        EXPECT_EQ(message.ParseRecipients(c.text, RECIPIENT_TO), FALSE) << c.text;
        EXPECT_EQ(ListOf(message, RECIPIENT_TO), c.entries) << c.text;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA) << c.text;
        expectedLog += ExpectedLog({PARSE_ENTRY});
        EXPECT_EQ(ErrorLog(), expectedLog) << c.text;
    }
}

TEST_F(ParseRecipientsTest, ListsFillInTheirOwnOrderAndAnOtherKindIsDropped) {
    CSmtpMessage message;
    EXPECT_EQ(message.ParseRecipients("a@x", RECIPIENT_BCC), TRUE);
    EXPECT_EQ(message.ParseRecipients("b@x; C <c@x>", RECIPIENT_BCC), TRUE);
    EXPECT_EQ(message.ParseRecipients("d@x, e@x", 5), TRUE);
    EXPECT_EQ(ListOf(message, RECIPIENT_BCC), (Entries{{"", "a@x"}, {"", "b@x"}, {"C", "c@x"}}));
    EXPECT_EQ(message.RecipientCount(RECIPIENT_TO) + message.RecipientCount(RECIPIENT_CC), 0);
}

}  // namespace
