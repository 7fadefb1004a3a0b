// Request building: body file and attachment list reading. The request made from a job is checked
// byte for byte on the wire by the program's own worked example (tests/app/ProgramSendTest.cpp).
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "job/SendJob.h"
#include "platform/TextFileReader.h"
#include "support/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

Lines ReadAllLines(const std::string& path) {
    CTextFileReader file;
    Lines lines;
    if (!file.Open(path)) return {"<not opened>"};
    std::string line;
    while (file.ReadString(line)) lines.push_back(line);
    return lines;
}

TEST(TextFileReaderTest, LineEndsAreLfCrLfOrALoneCr) {
    ScopedTempDir dir;
    struct Case {
        std::string contents;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"\n\n", {"", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    for (const Case& c : cases) {
        WriteFile(dir.File("f.txt"), c.contents);
        EXPECT_EQ(ReadAllLines(dir.File("f.txt")), c.lines) << c.contents;
    }
}

TEST(TextFileReaderTest, OnlyRegularFilesAreOpened) {
    ScopedTempDir dir;
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    CTextFileReader file;
    EXPECT_FALSE(file.Open(dir.File("fifo")));  // must not block waiting for a writer
    EXPECT_FALSE(file.Open(dir.Path()));
    EXPECT_FALSE(file.Open(dir.File("missing")));
    EXPECT_FALSE(file.Open(""));
}

TEST(ReadBodyTextTest, EveryLineEndsInOneLineFeed) {
    ScopedTempDir dir;
    struct Case {
        std::string contents;
        std::string body;
    };
    const Case cases[] = {
        {"Hello\r\nBye\r\n", "Hello\nBye\n"},
        {"a\n\nb", "a\n\nb\n"},
        {"a\rb", "a\nb\n"},
        {"", ""},
        {std::string("x\0y\n\0\n", 6), "xy\n\n"},
        {"本文\r\n.\r\n", "本文\n.\n"},
    };
    for (const Case& c : cases) {
        WriteFile(dir.File("body.txt"), c.contents);
        EXPECT_EQ(ReadBodyText(dir.File("body.txt")), c.body);
    }
    EXPECT_EQ(ReadBodyText(dir.File("missing.txt")), "");
    EXPECT_EQ(ReadBodyText(""), "");
}

TEST(ReadAttachmentPathsTest, SkipsLinesNamingNothingWithoutCountingThem) {
    ScopedTempDir dir;
    WriteFile(dir.File("a.csv"), "1");
    WriteFile(dir.File("b c.txt"), "2");
    WriteFile(dir.File("list.txt"), dir.File("a.csv") + "\r\n\r\n" + dir.File("missing") + "\r\n" +
                                        " " + dir.File("a.csv") + "\r\n" + dir.File("b c.txt") +
                                        "\r\n" + std::string("\0", 1) + dir.File("a.csv") + "\r\n" +
                                        dir.Path());
    EXPECT_EQ(ReadAttachmentPaths(dir.File("list.txt")),
              (Lines{dir.File("a.csv"), dir.File("b c.txt"), dir.Path()}));
}

TEST(ReadAttachmentPathsTest, StopsAfterTheMostAttachmentsOneMailCarries) {
    ScopedTempDir dir;
    WriteFile(dir.File("x"), "x");
    std::string list;
    for (int i = 0; i < 5; ++i) list += dir.File("missing" + std::to_string(i)) + "\n";
    for (int i = 0; i < 200; ++i) list += dir.File("x") + "\n";
    WriteFile(dir.File("list.txt"), list);
    EXPECT_EQ(ReadAttachmentPaths(dir.File("list.txt")).size(), 128u);
}

}  // namespace
