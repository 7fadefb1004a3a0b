// Code page 932 and UTF-16 both ways; what 932 cannot spell, and 0x01 itself, kept as escapes.
#include <gtest/gtest.h>

#include "platform/win/WideText.h"

TEST(WideTextTest, BothWays) {
    const std::pair<std::wstring, std::string> rows[] = {
        {L"C:\\ソ表\\a.csv", "C:\\\x83\x5C\x95\x5C\\a.csv"},
        {L"\uD55C\x01\uFF71\U0001F600",
         "\x01"
         "D55C\x01"
         "0001\xB1\x01"
         "D83D\x01"
         "DE00"},
        {L"\u00A5~",
         "\x01"
         "00A5~"},  // no best fit: the yen sign is not the backslash
    };
    for (const auto& [wide, text] : rows) {
        EXPECT_EQ(CodePage932FromWide(wide), text);
        EXPECT_EQ(WideFromCodePage932(text), wide);
    }
    EXPECT_EQ(WideFromCodePage932("\x01"
                                  "D5\x01"
                                  "d55c\x01"),
              L"\x01"
              L"D5\x01"
              L"d55c\x01");
}
