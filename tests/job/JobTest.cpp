// The job file's cuts, and the reading of the body file and the attachment list.
#include <gtest/gtest.h>

#include "job/CMail.h"
#include "job/JobSettings.h"
#include "job/SendJob.h"
#include "support/TestFiles.h"

namespace {

TEST(JobSettingsTest, ValuesAreCutToTheirFieldWidthsNeverInsideACharacter) {
    TempDir dir;
    const std::string v(600, 'v');
    std::string kanji;  // 127 two-byte characters, then one more that the cut at 255 drops
    for (int i = 0; i < 127; ++i) kanji += "日";
    WriteFile(dir.Path("job.ini"), "[SMTP]\nServer=" + v +
                                       "\n[Address]\nFromName=" + std::string(126, 'n') +
                                       "日\nFromAddress=" + v + "\nTo=" + v + "\nCc=" + v +
                                       "\nBcc=" + v + "\n[Message]\nSubject=" + kanji +
                                       "日\nBodyFile=" + v + "\nAttachmentPathFile=" + v);
    JobSettings settings;
    ASSERT_EQ(settings.Load(dir.Path("job.ini")), JOB_FILE_LOADED);
    JobFields copy;
    EXPECT_EQ(settings.CopyTo(copy), 0);
    EXPECT_EQ(copy.szFromName, std::string(126, 'n'));
    EXPECT_EQ(copy.szSubject, kanji);
    const std::pair<const char*, std::size_t> fields[] = {{copy.szServer, 255},
                                                          {copy.szFromAddress, 127},
                                                          {copy.szTo, 511},
                                                          {copy.szCc, 511},
                                                          {copy.szBcc, 511},
                                                          {copy.szBodyFile, 259},
                                                          {copy.szAttachmentPathFile, 259}};
    for (auto [field, width] : fields) EXPECT_EQ(field, std::string(width, 'v'));
}

TEST(SendJobTest, BodyLinesAndAttachmentLists) {
    TempDir dir;
    WriteFile(dir.Path("body.txt"), std::string("a\r\nb\rc\0d\n\ne", 12));
    EXPECT_EQ(ReadBodyText(dir.Path("body.txt")), "a\nb\ncd\n\ne\n");
    EXPECT_EQ(ReadBodyText(dir.Path()), "");
    std::string list = dir.Path("missing") + "\n\n" + dir.Path("body.txt") + std::string("\0\n", 2);
    for (int i = 0; i < 300; ++i) list += dir.Path(i % 2 ? "body.txt" : "none") + "\r\n";
    WriteFile(dir.Path("list.txt"), list);
    std::vector<std::string> paths = ReadAttachmentPaths(dir.Path("list.txt"));
    EXPECT_EQ(paths, std::vector<std::string>(MAX_ATTACHMENTS, dir.Path("body.txt")));
    EXPECT_EQ(ReadAttachmentPaths(""), std::vector<std::string>());
}

}  // namespace
