// The message: golden tests of the encoders (Shift-JIS to ISO-2022-JP, katakana widening, base64
// in lines), the recipients parser, header lines and Date zones; the body: tests/fuzz, MessageFuzz.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <tuple>

#include "message/CSmtpAttachment.h"
#include "message/CSmtpMessage.h"
#include "message/JapaneseText.h"
#include "platform/LastError.h"
#include "support/TestFiles.h"

namespace {

std::string Code(unsigned code) { return {char(code >> 8), char(code & 0xFF)}; }
const std::string JIS = "\x1B$B", ASCII = "\x1B(B", Q = ASCII + "??";  // Q: a rejected byte

// The rows; then every convertible code (code page 932's 6879 JIS X 0208 characters and
// 0x83D7-0x83E6) alone: each gives a 7-bit code of its own.
TEST(ShiftJisToJisTest, CasesAndEveryConvertibleCode) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a日本 日b\r\n", "a" + JIS + "F|K\\" + ASCII + " " + JIS + "F|" + ASCII + "b\n"},
        // the edges of the convertible ranges, 0x83D7 among them
        {"\x81\x40\x81\x7E\x81\x80\x81\xCD\x82\x4F\x82\x9A\x83\x96\x83\xBF\x83\xD6\x83\xD7"
         "\x84\x40\x84\x91\x84\x9F\x84\xBE\x88\x9F\x98\x72\x98\x9F\x98\xA4\xEA\xA3\xEA\xA4",
         JIS + "!!!_!`\"O#0#z%v&A&X&Y'!'q(!(@0!OSP!P&t%t&" + ASCII},
        {"\x87\x40x\x85\x40\x98\x73\xEA\xA5", Q + "x" + Q + Q + Q},  // a vendor row; just past them
        {"日" + Code(0xED40) + "本", JIS + "F|" + Q + JIS + "K\\" + ASCII},
        {"日\r\na\r\nb\rc\r\r\nd\n\re\r", JIS + "F|" + ASCII + "\na\nb\nc\n\nd\n\ne\n"},  // lone CR
        {"a\x93\nb日\x93", "a" + Q + "\nb" + JIS + "F|" + Q},  // lead bytes without trail bytes
        {"\x93\x7F\x93\xFD", Q + "\x7F" + Q + Q},
        // bytes 7-bit text cannot carry, and the escapes that would switch a reader's character set
        {"\x80\xA0\xB1\xFE" + std::string("\0b\x1B$B\x0E\x0F", 7),
         Q + Q + Q + Q + std::string("\0b", 2) + Q + "$B" + Q + Q},
    };
    for (const auto& [source, expected] : cases)
        EXPECT_EQ(ShiftJisToJis(source), expected) << source;
    std::set<std::string> seen;
    for (unsigned code = 0; code <= 0x1FFFF; ++code) {
        if (!IsConvertibleKanji(code)) continue;
        std::string out = ShiftJisToJis(Code(code));
        ASSERT_EQ(out.substr(0, 3) + out.substr(5), JIS + ASCII) << std::hex << code;
        for (char c : out.substr(3, 2)) ASSERT_TRUE(c >= 0x21 && c <= 0x7E) << std::hex << code;
        seen.insert(out.substr(3, 2));
    }
    EXPECT_EQ(seen.size(), 6895u);
}

TEST(WidenHalfWidthKanaTest, Cases) {
    std::string every;  // all 63 half-width bytes in order: each widens on its own
    for (int kana = 0xA1; kana <= 0xDF; ++kana) every += char(kana);
    const std::pair<std::string, std::string> cases[] = {
        {every,
         "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツ"
         "テトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜"},
        {"ｱﾞｵﾟﾅﾞﾜﾟｶﾟﾏﾟﾞｶﾞｺﾞﾄﾞﾊﾞﾎﾞﾊﾟﾎﾟｳﾞ", "ア゛オ゜ナ゛ワ゜カ゜マ゜゛ガゴドバボパポヴ"},
        {"abc\r\n.日本\x83\xB1\x87\x40ｱ", "abc\r\n.日本\x83\xB1\x87\x40ア"},
        {"\x93\n\xB1\x80\xA0\xFD\x93", "\x93\nア\x80\xA0\xFD\x93"},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(WidenHalfWidthKana(source), expected);
}

// The text from memory, NUL-ended, in the size asked for (one byte less fails, storing 0); from a
// file read in blocks of 57 * 4096 bytes (one exactly, and two and a bit).
TEST(Base64EncodeTest, GoldenTextsFromMemoryAndFromFiles) {
    auto cycle = [](std::size_t length) {  // bytes 1 8 15 ...: three lines, none alike, repeated
        std::string bytes(length, '\0');
        for (std::size_t i = 0; i < length; ++i) bytes[i] = char(i % 171 * 7 + 1);
        return bytes;
    };
    auto repeat = [](const std::string& text, int times) {
        std::string all;
        while (times-- > 0) all += text;
        return all;
    };
    const std::string lines =
        "AQgPFh0kKzI5QEdOVVxjanF4f4aNlJuiqbC3vsXM09rh6O/2/QQLEhkgJy41PENKUVhfZm10e4KJ\r\n"
        "kJeepayzusHIz9bd5Ovy+QAHDhUcIyoxOD9GTVRbYmlwd36FjJOaoaivtr3Ey9LZ4Ofu9fwDChEY\r\n"
        "HyYtNDtCSVBXXmVsc3qBiI+WnaSrsrnAx87V3OPq8fj/Bg0UGyIpMDc+RUxTWmFob3Z9hIuSmaCn\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", "\r\n"},
        {"foobar\xFF\xFE", "Zm9vYmFy//4=\r\n"},
        {std::string(57, '\0'), std::string(76, 'A') + "\r\n\r\n"},
        {cycle(115), lines.substr(0, 156) + "Hw==\r\n"},
        {cycle(57 * 4096), repeat(lines, 1365) + lines.substr(0, 78) + "\r\n"},
        {cycle(2 * 57 * 4096 + 100),
         repeat(lines, 2731) + "AQgPFh0kKzI5QEdOVVxjanF4f4aNlJuiqbC3vsXM09rh6O/2/QQLEhkgJw==\r\n"},
    };
    TempDir dir(true);
    for (const auto& [input, golden] : cases) {
        std::size_t size = CSmtpAttachment::Base64EncodedSize(input.size()), length = 99;
        std::string text(size, '#');
        auto in = reinterpret_cast<const unsigned char*>(input.data());
        EXPECT_FALSE(CSmtpAttachment::Base64Encode(in, input.size(), &text[0], size - 1, length));
        EXPECT_EQ(length, 0u);
        ASSERT_TRUE(CSmtpAttachment::Base64Encode(in, input.size(), &text[0], size, length));
        EXPECT_EQ(text[length], '\0');
        text.resize(length);
        EXPECT_EQ(text, golden);
        WriteFile("file", input);
        CSmtpAttachment attachment;
        errno = EINTR;  // left by an earlier call: a read that succeeds does not clear it
        ASSERT_EQ(attachment.LoadFile("file"), TRUE);
        EXPECT_EQ(ReadBlocks(attachment), text + "|last");
    }
    EXPECT_EQ(CSmtpAttachment::Base64EncodedSize(SIZE_MAX / 2 + 1), SIZE_MAX);  // no wrap-around
}

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
        EXPECT_EQ(GetLastError(), whole ? 0u : 13u) << text;
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
                                         "\r\nSubject: \r\nDate: Mon, 05 Jan 2026 07:08:09 +0900"
                                         "\r\nX-Mailer: Vex MAILER v1.0\r\nMIME-Version: 1.0\r\n"
                                         "Content-type: text/plain; charset=iso-2022-jp\r\n\r\n");
    EXPECT_EQ(FormatZoneText(-210), "-0330");  // a zone west of Greenwich, with minutes
    EXPECT_EQ(FormatDateText(LocalTime{}), "Sun, 00 Jan 1900 00:00:00 +0000");
    std::string names;  // every day's and month's
    for (LocalTime t{}; t.tm_mon < 12; ++t.tm_mon, t.tm_wday = t.tm_mon % 7)
        names += FormatDateText(t).substr(0, 3) + FormatDateText(t).substr(8, 4);
    EXPECT_EQ(
        names,
        "SunJan MonFeb TueMar WedApr ThuMay FriJun SatJul SunAug MonSep TueOct WedNov ThuDec ");
}

}  // namespace
