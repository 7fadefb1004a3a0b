// The INI reader: line ends, sections, keys, comments, quotes, cuts and missing things.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/PrivateProfile.h"
#include "support/TempDir.h"

namespace {

struct ProfileCase {
    const char* what;
    std::string contents;
    const char* section;
    const char* key;
    std::string expected;
};

void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.what; }

class ProfileRulesTest : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileRulesTest, YieldsTheExpectedValue) {
    const ProfileCase& c = GetParam();
    EXPECT_EQ(FindProfileValue(c.section, c.key, c.contents), c.expected) << c.what;
}

const std::string kJob = "[SMTP]\r\nServer=mail\r\n[Address]\r\nTo=ops\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileRulesTest,
    ::testing::Values(
        ProfileCase{"CR LF line ends", kJob, "Address", "To", "ops"},
        ProfileCase{"LF line ends", "[SMTP]\nServer=mail\n", "SMTP", "Server", "mail"},
        ProfileCase{"lone CR line ends", "[SMTP]\rServer=mail\r[X]\rServer=other", "SMTP", "Server",
                    "mail"},
        ProfileCase{"no line end at the end", "[SMTP]\nServer=mail", "SMTP", "Server", "mail"},
        ProfileCase{"names ignore ASCII case", kJob, "smtp", "SERVER", "mail"},
        ProfileCase{"blanks and tabs trimmed", "[SMTP]\n \t Server \t=\t mail host \t\n", "SMTP",
                    "Server", "mail host"},
        ProfileCase{"blanks before the section line", "  \t[SMTP] trailing\nServer=a", "SMTP",
                    "Server", "a"},
        ProfileCase{"section name is not trimmed", "[ SMTP ]\nServer=a", "SMTP", "Server", ""},
        ProfileCase{"comment line", "[SMTP]\n ;Server=old\nServer=new", "SMTP", "Server", "new"},
        ProfileCase{"semicolon inside a value stays", "[SMTP]\nServer=a;b", "SMTP", "Server",
                    "a;b"},
        ProfileCase{"first key wins", "[SMTP]\nServer=a\nserver=b", "SMTP", "Server", "a"},
        ProfileCase{"first section wins", "[SMTP]\nPort=1\n[Other]\n[smtp]\nServer=b", "SMTP",
                    "Server", ""},
        ProfileCase{"double quotes removed", "[M]\nSubject=\" a b \"", "M", "Subject", " a b "},
        ProfileCase{"single quotes removed", "[M]\nSubject='x'", "M", "Subject", "x"},
        ProfileCase{"unmatched quotes kept", "[M]\nSubject=\"x'", "M", "Subject", "\"x'"},
        ProfileCase{"a lone quote kept", "[M]\nSubject=\"", "M", "Subject", "\""},
        ProfileCase{"line without equals is no key", "[M]\nSubject\nSubject=y", "M", "Subject",
                    "y"},
        ProfileCase{"keys before any section belong to none", "Server=a\n[SMTP]\n", "SMTP",
                    "Server", ""},
        ProfileCase{"bracket line without close is ignored", "[SMTP]\n[Broken\nServer=a", "SMTP",
                    "Server", "a"},
        ProfileCase{"UTF-8 byte-order mark ignored", "\xEF\xBB\xBF[SMTP]\nServer=a", "SMTP",
                    "Server", "a"},
        ProfileCase{"value ends at NUL", std::string("[SMTP]\nServer=ab\0cd\n", 19), "SMTP",
                    "Server", "ab"},
        ProfileCase{"equals sign inside the value", "[SMTP]\nServer=a=b", "SMTP", "Server", "a=b"},
        ProfileCase{"empty value", "[Address]\nTo=\n", "Address", "To", ""},
        ProfileCase{"missing section", kJob, "Message", "Subject", ""},
        ProfileCase{"missing key", kJob, "SMTP", "Port", ""},
        ProfileCase{"Shift-JIS value kept as bytes", "[Address]\nFromName=夜間バッチ\n", "Address",
                    "FromName", "夜間バッチ"},
        ProfileCase{"section name with a 0x5D trail byte", "[\x81\x5D]\nKey=v", "\x81\x5D", "Key",
                    "v"}));

TEST(ProfileCutTest, ValueIsCutTo511BytesNeverSplittingATwoByteCharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string(600, 'x'), std::string(511, 'x')},
        // 510 ASCII bytes, then 日 (0x93 0xFA): the 511th byte would be a lead byte alone.
        {std::string(510, 'a') + "日本", std::string(510, 'a')},
        // 509 ASCII bytes, then 日: the character fits whole in 511 bytes.
        {std::string(509, 'a') + "日本", std::string(509, 'a') + "日"},
    };
    for (const auto& [value, kept] : cases)
        EXPECT_EQ(FindProfileValue("A", "To", "[A]\nTo=" + value), kept);
}

TEST(ProfileFileTest, MissingFileAndDirectoryGiveTheEmptyText) {
    ScopedTempDir dir;
    EXPECT_EQ(GetPrivateProfileText("SMTP", "Server", dir.File("missing.ini")), "");
    EXPECT_EQ(GetPrivateProfileText("SMTP", "Server", dir.Path()), "");
    WriteFile(dir.File("job.ini"), "[SMTP]\r\nServer=mail\r\n");
    EXPECT_EQ(GetPrivateProfileText("SMTP", "Server", dir.File("job.ini")), "mail");
}

}  // namespace
