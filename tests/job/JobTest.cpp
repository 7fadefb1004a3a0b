// The job file's loading and cuts, and the reading of the body file and the attachment list.
#include <gtest/gtest.h>

#include "job/CMail.h"
#include "job/JobSettings.h"
#include "job/SendJob.h"
#include "support/TestFiles.h"

namespace {

TEST(JobSettingsTest, ResultsAndMessages) {
    TempDir dir;
    const std::string mandatory = "[SMTP]\nServer=mail\n[Address]\nFromName=n\nFromAddress=a\n";
    const struct {
        std::string contents;
        int result;
        std::string message, server;
    } cases[] = {
        {mandatory + "To=t\n", JOB_FILE_LOADED, "", "mail"},
        {"\xEF\xBB\xBF" + std::string(reinterpret_cast<const char*>(u8"[SMTP]\nServer=経理部\n")) +
             mandatory.substr(19) + "To=t\n",
         JOB_FILE_LOADED, "", "経理部"},  // saved as UTF-8 with a byte-order mark
        {mandatory + "To=\n", JOB_FILE_INVALID, "Address:To", "mail"},
        {"[Address]\nFromName=n\nFromAddress=a\nTo=t\n", JOB_FILE_INVALID, "SMTP:Server", ""},
    };
    for (const auto& c : cases) {
        JobSettings settings;
        WriteFile(dir.Path("job.ini"), c.contents + "[Message]\nSubject=s\n");
        EXPECT_EQ(settings.Load(dir.Path("job.ini")), c.result) << c.contents;
        EXPECT_EQ(settings.szMessage,
                  c.message.empty() ? "" : "Invalid ini file, invalid SECTION:" + c.message + "\n");
        EXPECT_EQ(settings.szServer, c.server);
        EXPECT_EQ(settings.szSubject, std::string(c.result == JOB_FILE_LOADED ? "s" : ""));
    }
    JobSettings settings;
    EXPECT_EQ(settings.Load(dir.Path()), JOB_FILE_INVALID);  // a directory exists but reads empty
    EXPECT_EQ(settings.Load(dir.Path("missing.ini")), JOB_FILE_NOT_EXIST);
    EXPECT_STREQ(settings.szMessage, "Not Exist ini file\n");
}

TEST(JobSettingsTest, ValuesAreCutToTheirFieldWidthsNeverInsideACharacter) {
    TempDir dir;
    const std::string v(600, 'v');
    WriteFile(dir.Path("job.ini"),
              "[SMTP]\nServer=" + v + "\n[Address]\nFromName=" + std::string(126, 'n') +
                  "日\nFromAddress=" + v + "\nTo=" + v + "\nCc=" + v + "\nBcc=" + v +
                  "\n[Message]\nSubject=" + v + "\nBodyFile=" + v + "\nAttachmentPathFile=" + v);
    JobSettings settings;
    ASSERT_EQ(settings.Load(dir.Path("job.ini")), JOB_FILE_LOADED);
    JobFields copy;
    EXPECT_EQ(settings.CopyTo(copy), 0);
    EXPECT_EQ(copy.szFromName, std::string(126, 'n'));
    const std::pair<const char*, std::size_t> fields[] = {
        {copy.szServer, 255},   {copy.szFromAddress, 127},
        {copy.szTo, 511},       {copy.szCc, 511},
        {copy.szBcc, 511},      {copy.szSubject, 255},
        {copy.szBodyFile, 259}, {copy.szAttachmentPathFile, 259}};
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
