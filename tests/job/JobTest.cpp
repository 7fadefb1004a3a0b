// The job file's cuts and mandatory keys, and the reading of the body file and the attachment list.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "job/CMail.h"
#include "job/JobSettings.h"
#include "job/SendJob.h"
#include "support/TestFiles.h"

namespace {

TEST(JobSettingsTest, WidthsAndMandatoryKeys) {
    TempDir dir;
    const std::string v(600, 'v'),
        job = "[SMTP]\nServer=s\n[Address]\nFromName=n\nFromAddress=a\nTo=t\n";
    WriteFile(dir.Path("job.ini"), "[SMTP]\nServer=" + v + "\n[Address]\nFromName=" + v +
                                       "\nFromAddress=" + v + "\nTo=" + v + "\nCc=" + v +
                                       "\nBcc=" + v + "\n[Message]\nSubject=" + v +
                                       "\nBodyFile=" + v + "\nAttachmentPathFile=" + v);
    JobSettings settings;
    ASSERT_EQ(settings.Load(dir.Path("job.ini")), 0);
    JobFields c;
    EXPECT_EQ(settings.CopyTo(c), 0);
    EXPECT_EQ(
        (std::vector<std::string>{c.szServer, c.szFromName, c.szFromAddress, c.szTo, c.szCc,
                                  c.szBcc, c.szSubject, c.szBodyFile, c.szAttachmentPathFile}),
        (std::vector<std::string>{v.substr(0, 255), v.substr(0, 127), v.substr(0, 127),
                                  v.substr(0, 511), v.substr(0, 511), v.substr(0, 511),
                                  v.substr(0, 255), v.substr(0, 511), v.substr(0, 511)}));
    WriteFile(dir.Path("job.ini"), job + "[Message]\nSubject=" + std::string(254, 's') + "日");
    ASSERT_EQ(settings.Load(dir.Path("job.ini")), 0);
    EXPECT_EQ(settings.szSubject, std::string(254, 's'));  // the cut at 255 never splits 日
    // Each mandatory key missing in turn: invalid (1003), named in the message; no file: 1001.
    for (const std::string key :
         {"SMTP:Server", "Address:FromName", "Address:FromAddress", "Address:To"}) {
        std::string damaged = job;
        damaged.insert(job.find(key.substr(key.find(':') + 1) + "="), "_");
        WriteFile(dir.Path("job.ini"), damaged);
        EXPECT_EQ(settings.Load(dir.Path("job.ini")), 1003) << key;
        EXPECT_EQ(settings.szMessage, "Invalid ini file, invalid SECTION:" + key + "\n");
    }
    EXPECT_EQ(settings.Load(dir.Path("none.ini")), 1001);
    // SMTP's optional keys: a value that cannot be used names its key (Port's first, then Security,
    // User, Password, CAFile); good ones are kept as written.
    // clang-format off
    const std::pair<std::string, std::string> smtp[] = {
        {"Port=0", "Port"}, {"Port=70000", "Port"}, {"Port=25a", "Port"}, {"Port=-25", "Port"},
        {"Port=0000000000000000025", "Port"}, {"Security=ssl", "Security"},
        {"User=u\nPassword=p", "User"}, {"Security=NONE\nUser=u", "User"},
        {"Security=tls\nPassword=p", "Password"}, {"Port=x\nSecurity=x", "Port"},
        {"Security=StartTLS\nCAFile=" + dir.Path("none.pem"), "CAFile"},
        {"Port=65535\nSecurity=Tls\nUser=u\nPassword=p\nCAFile=" + dir.Path("job.ini"), ""}};
    // clang-format on
    for (const auto& [lines, key] : smtp) {
        WriteFile(dir.Path("job.ini"), "[SMTP]\n" + lines + "\n" + job.substr(7));
        JobSettings loaded;
        EXPECT_EQ(loaded.Load(dir.Path("job.ini")), key.empty() ? 0 : 1003) << lines;
        EXPECT_EQ(loaded.szMessage,
                  key.empty() ? "" : "Invalid ini file, invalid SECTION:SMTP:" + key + "\n");
        if (key.empty()) {
            EXPECT_EQ((std::vector<std::string>{loaded.szPort, loaded.szSecurity, loaded.szUser,
                                                loaded.szPassword, loaded.szCAFile}),
                      (std::vector<std::string>{"65535", "Tls", "u", "p", dir.Path("job.ini")}));
        }
    }
}

// Every list line naming nothing has its entry, until 128 paths are taken; empty lines none.
TEST(SendJobTest, BodyLinesAndAttachmentLists) {
    TempDir dir(true);
    WriteFile(dir.Path("body.txt"), std::string("a\r\nb\rc\0d\n\ne", 12));
    EXPECT_EQ(ReadBodyText(dir.Path("body.txt")), "a\nb\ncd\n\ne\n");
    std::string list = dir.Path("missing") + "\n\n" + dir.Path("body.txt") + std::string("\0\n", 2);
    for (int i = 0; i < 300; ++i) list += dir.Path(i % 2 ? "body.txt" : "none") + "\r\n";
    WriteFile(dir.Path("list.txt"), list);
    std::vector<std::string> paths = ReadAttachmentPaths(dir.Path("list.txt"));
    EXPECT_EQ(paths, std::vector<std::string>(128, dir.Path("body.txt")));
    const std::string log = MaskStamps(ReadFile("log/Fernpost.err"));
    EXPECT_EQ(log.substr(0, log.find(LOG_NEWLINE)),
              "[stamp] Attachment file not found: " + dir.Path("missing"));
    const std::regex entry("\\] Attachment file not found: ");
    EXPECT_EQ(std::distance(std::sregex_iterator(log.begin(), log.end(), entry), {}), 130);
    std::filesystem::remove("log/Fernpost.err");
    struct NoSockets : CMail {  // the socket layer cannot be started
        BOOL StartSocketLayer() override { return FALSE; }
    };
    EXPECT_FALSE(NoSockets().SendMail());
    const std::string newline = LOG_NEWLINE;
    EXPECT_EQ(MaskStamps(ReadFile("log/Fernpost.err")),
              "[stamp] Error:CMail::SendMail AfxSocketInit()" + newline +
                  "[stamp] SMTP サーバ接続に失敗しました。" + newline +
                  "\rSocketの初期化に失敗しました。" + newline);
}

}  // namespace
