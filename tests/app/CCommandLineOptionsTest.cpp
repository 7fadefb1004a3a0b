// Command-line scanning: the option table built from one command-line string, and the string
// built from an argument vector.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/CCommandLineOptions.h"

namespace {

using Table = std::map<std::string, std::string>;

struct ScanCase {
    const char* line;
    Table expected;
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.line; }

class OptionScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(OptionScanTest, BuildsTheExpectedTable) {
    CCommandLineOptions options(GetParam().line, false);
    EXPECT_EQ(options.m_options, GetParam().expected) << "line: " << GetParam().line;
    EXPECT_EQ(options.m_strCmdLine, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, OptionScanTest,
    ::testing::Values(
        ScanCase{"fp -inifile:C:\\jobs\\a.ini", {{"inifile", "C:\\jobs\\a.ini"}}},
        ScanCase{"fp /INIFILE:C:\\Jobs\\A.ini", {{"inifile", "C:\\Jobs\\A.ini"}}},
        ScanCase{"fp -inifile:\"C:\\My Jobs\\a.ini\"", {{"inifile", "C:\\My Jobs\\a.ini"}}},
        ScanCase{"fp -inifile:\"C:\\My Jobs\\a.ini", {{"inifile", "C:\\My Jobs\\a.ini"}}},
        ScanCase{"fp -inifile:a.ini -inifile:b.ini", {{"inifile", "a.ini"}}},
        ScanCase{"fp -inifile:a.ini -IniFile:b.ini", {{"inifile", "a.ini"}}},
        ScanCase{"fp -inifile", {{"inifile", ""}}}, ScanCase{"fp -inifile:", {{"inifile", ""}}},
        ScanCase{"fp -inifile ", {{"inifile", ""}}}, ScanCase{"fp -inifile: ", {{"inifile", ""}}},
        ScanCase{"fp --inifile:a.ini", {{"-inifile", "a.ini"}}},
        ScanCase{"fp -inifile=a.ini", {{"inifile=a.ini", ""}}}, ScanCase{"fp inifile:a.ini", {}},
        ScanCase{"C:\\my-tools\\fp.exe -inifile:a.ini",
                 {{"tools\\fp.exe", ""}, {"inifile", "a.ini"}}},
        ScanCase{"fp -a:\"x\"-b", {{"a", "x"}, {"b", ""}}}, ScanCase{"fp -:x", {}},
        ScanCase{"fp -:x -inifile:a.ini", {{"inifile", "a.ini"}}},
        ScanCase{"fp - -inifile:a.ini", {{"inifile", "a.ini"}}}, ScanCase{"", {}},
        ScanCase{"fp jobs a.ini", {}}, ScanCase{"fp -", {}},
        ScanCase{"fp -a:x:y -b: c", {{"a", "x:y"}, {"b", ""}}}, ScanCase{"fp -a: x", {{"a", ""}}},
        // A trail byte that looks like '-' (0x2D cannot be one) or ':' never splits a character:
        // ソ is 0x83 0x5C and 表 0x95 0x5C; double-byte capitals take the code page's small
        // letters, and a 0x41-0x5A trail byte (ア is 0x83 0x41) is never lower-cased.
        ScanCase{"fp -inifile:ソ表\\a.ini", {{"inifile", "ソ表\\a.ini"}}},
        ScanCase{"fp -ＡB:v", {{"ａb", "v"}}}, ScanCase{"fp -アΩЯЁ:v", {{"アωяё", "v"}}}));

TEST(CommandLineOptionsTest, ParseAgainReplacesTheTableAndANullLineLeavesIt) {
    CCommandLineOptions options("fp -a:1", false);
    options.Parse("fp -b:2");
    EXPECT_EQ(options.m_options, (Table{{"b", "2"}}));
    options.Parse(nullptr);
    EXPECT_EQ(options.m_options, (Table{{"b", "2"}}));
    EXPECT_EQ(options.m_strCmdLine, "fp -b:2");
    CCommandLineOptions none(nullptr, false);
    EXPECT_TRUE(none.m_options.empty());
}

TEST(CommandLineOptionsTest, LookupIgnoresCaseUnlessCaseSensitive) {
    CCommandLineOptions options("fp -IniFile:A.ini", false);
    std::string value = "untouched";
    EXPECT_TRUE(options.GetOption("INIFILE", value));
    EXPECT_EQ(value, "A.ini");
    value = "untouched";
    EXPECT_FALSE(options.GetOption("other", value));
    EXPECT_EQ(value, "untouched");

    CCommandLineOptions exact("fp -IniFile:A.ini", true);
    EXPECT_FALSE(exact.GetOption("inifile", value));
    EXPECT_TRUE(exact.GetOption("IniFile", value));
}

TEST(CommandLineOptionsTest, EnumeratesInKeyOrderAndStopsAtTheEnd) {
    CCommandLineOptions options("fp -b:2 -a:1", false);
    auto position = options.GetStartPosition();
    std::string name, value;
    options.GetNextOption(position, name, value);
    EXPECT_EQ(name + "=" + value, "a=1");
    options.GetNextOption(position, name, value);
    EXPECT_EQ(name + "=" + value, "b=2");
    EXPECT_TRUE(options.IsEndPosition(position));
    options.GetNextOption(position, name, value);
    EXPECT_EQ(name, "");
    EXPECT_EQ(value, "2");
}

struct JoinCase {
    std::vector<const char*> argv;
    const char* expected;
};

TEST(JoinCommandLineTest, PutsBackTheQuotesTheShellRemoved) {
    const JoinCase cases[] = {
        {{"/opt/fp/fernpost"}, "/opt/fp/fernpost"},
        {{"fernpost", "-inifile:a.ini"}, "fernpost -inifile:a.ini"},
        {{"fernpost", "-inifile:/my jobs/a.ini"}, "fernpost -inifile:\"/my jobs/a.ini\""},
        {{"fernpost", "/inifile:/my\tjobs/a.ini"}, "fernpost /inifile:\"/my\tjobs/a.ini\""},
        {{"/my tools/fernpost", "x"}, "\"/my tools/fernpost\" x"},
        {{"fernpost", "-note here"}, "fernpost \"-note here\""},
        {{"fernpost", "-a:\"x y\""}, "fernpost -a:\"x y\""},
        {{"fernpost", ""}, "fernpost "},
    };
    for (const JoinCase& c : cases) {
        EXPECT_EQ(JoinCommandLine(static_cast<int>(c.argv.size()), c.argv.data()), c.expected);
    }
}

}  // namespace
