// The application shell's pure parts: the option table scanned from one command line, the
// command line joined from the argument vector, the run log and its rotation.
#include <gtest/gtest.h>

#include <map>
#include <filesystem>

#include "app/CCommandLineOptions.h"
#include "app/RunLog.h"
#include "support/TestFiles.h"

namespace {

TEST(CommandLineTest, ScannedAndJoined) {
    const std::pair<std::string, std::map<std::string, std::string>> cases[] = {
        {"fp /INIFILE:C:\\Jobs\\A.ini", {{"inifile", "C:\\Jobs\\A.ini"}}},
        {"fp -inifile:\"C:\\My Jobs\\a.ini\" -x", {{"inifile", "C:\\My Jobs\\a.ini"}, {"x", ""}}},
        {"fp -inifile:\"C:\\My Jobs\\a.ini", {{"inifile", "C:\\My Jobs\\a.ini"}}},
        {"fp -inifile:a.ini -IniFile:b.ini", {{"inifile", "a.ini"}}},
        {"fp -inifile", {{"inifile", ""}}},
        {"fp -inifile: -b", {{"inifile", ""}, {"b", ""}}},
        {"fp -inifile:", {{"inifile", ""}}},
        {"fp --inifile:a.ini -inifile=a", {{"-inifile", "a.ini"}, {"inifile=a", ""}}},
        {"fp inifile:a.ini -", {}},
        {"", {}},
        {"fp -:x - -a:\"x\"-b", {{"a", "x"}, {"b", ""}}},
        {"fp -a:x:y -b: c", {{"a", "x:y"}, {"b", ""}}},
        {"fp -inifile:ソ表\\a.ini", {{"inifile", "ソ表\\a.ini"}}},
        // UTF-8 bytes that look like lead bytes (テ is E3 83 86) never swallow a blank
        {Utf8(u8"fp -inifile:/j/テ -v"), {{"inifile", Utf8(u8"/j/テ")}, {"v", ""}}},
        {"fp -ＡB:v -アΩАЯЁ:w", {{"ａb", "v"}, {"アωаяё", "w"}}},
    };
    for (const auto& [line, table] : cases) {
        CCommandLineOptions options("fp -stale:1", false);
        options.Parse(line.c_str());
        EXPECT_EQ(options.m_options, table) << line;
    }
    // Joined from the argument vector: quotes where a blank or a tab needs them (around an option's
    // value, else the whole argument); an argument that holds a quote is left as it is; the vector
    // ends at argc or a null pointer.
    const char* argv[] = {"/my tools/fp", "-i:a", "-i:/my jobs/a", "/i:/a\tb", "-a b",
                          "-a:\"x y\"",   "",     nullptr,         "lost"};
    EXPECT_EQ(JoinCommandLine(9, argv),
              "\"/my tools/fp\" -i:a -i:\"/my jobs/a\" /i:\"/a\tb\" \"-a b\" -a:\"x y\" ");
    EXPECT_EQ(JoinCommandLine(2, argv + 1), "-i:a -i:\"/my jobs/a\"");  // a plain first one
}

TEST(RunLogTest, EntriesAppendAndTheLogRotatesAtFiveMebibytes) {
    TempDir dir;
    FixedClock clock;
    const std::string log = dir.Path("Fernpost.log"), back = log + ".back";
    WriteFile(back, "older");
    WriteFile(log, std::string(5242879, 'x'));
    AppendRunLogEntry(log, "a");  // 5 MiB less one byte: not yet moved
    EXPECT_EQ(ReadFile(back), "older");
    WriteFile(log, std::string(5242880, 'x'));
    AppendRunLogEntry(log, "b");
    AppendRunLogEntry(log, "c\n");
    EXPECT_EQ(ReadFile(back), std::string(5242880, 'x'));
    EXPECT_EQ(ReadFile(log), std::string(FIXED_STAMP) + "b" + FIXED_STAMP + "c" + LOG_NEWLINE);
    std::filesystem::resize_file(log, (std::uintmax_t{1} << 32) + 1);  // all 64 bits count
    AppendRunLogEntry(log, "d");
    EXPECT_EQ(ReadFile(log), std::string(FIXED_STAMP) + "d");
    AppendRunLogEntry(dir.Path(), "lost");  // a log that cannot be opened loses the entry
}

}  // namespace
