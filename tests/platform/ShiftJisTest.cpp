// Shift-JIS stepping and cutting.
#include <gtest/gtest.h>

#include "platform/ShiftJis.h"

namespace {

TEST(ShiftJisTest, LeadAndTrailByteRanges) {
    for (int b = 0; b < 256; ++b) {
        bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        bool trail = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
        EXPECT_EQ(IsShiftJisLeadByte(static_cast<unsigned char>(b)), lead) << b;
        EXPECT_EQ(IsShiftJisTrailByte(static_cast<unsigned char>(b)), trail) << b;
    }
}

TEST(ShiftJisTest, CutStepsBackOnlyBeforeALoneLeadByte) {
    struct Case {
        std::string text;
        std::size_t max;
        std::size_t expected;
    };
    const Case cases[] = {
        {"abc", 5, 3},           {"abc", 3, 3},  {"abc", 2, 2},
        {"a日", 2, 1},  // 0x93 would be kept without 0xFA
        {"a日", 3, 3},           {"日本", 3, 2}, {"ソa", 1, 0},
        {"\x95\x5C\x95", 2, 2},   // 表 ends exactly at the cut; its 0x95-looking neighbour follows
        {"x\x95\x81\x81", 3, 3},  // 0x81 here is the trail of 0x95 0x81, not a lead byte
        {"ｱｲｳ", 2, 2},            // half-width kana are single bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShiftJisCutLength(c.text, c.max), c.expected) << c.text << " max " << c.max;
    }
}

TEST(ShiftJisTest, NextStepsOverWholeCharactersAndNeverPastTheEnd) {
    std::string text = "a日\x93";
    EXPECT_EQ(ShiftJisNext(text, 0), 1u);
    EXPECT_EQ(ShiftJisNext(text, 1), 3u);
    EXPECT_EQ(ShiftJisNext(text, 3), 4u);
    EXPECT_EQ(ShiftJisNext(text, 4), 4u);
}

}  // namespace

namespace {

TEST(ShiftJisTest, LowerCaseFollowsTheCodePagesCapitals) {
    struct Case {
        std::string text, lower;
    };
    const Case cases[] = {
        {"AZaz@[", "azaz@["},     {"ＡＺａ", "ａｚａ"}, {"ΑΩα", "αωα"},
        {"АЁНОЯ", "аёноя"},        // the small letters skip 0x847F between н and о
        {"アソ表日", "アソ表日"},  // trail bytes 0x41, 0x5C, ... are never lower-cased
        {"\x93", "\x93"},          // a lead byte alone at the end
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        for (std::size_t pos = 0; pos < text.size();) pos = ShiftJisLowerCaseAt(text, pos);
        EXPECT_EQ(text, c.lower) << c.text;
    }
}

}  // namespace
