// Loading the job file: result codes, messages, fields and cuts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "job/JobSettings.h"
#include "support/TempDir.h"

namespace {

const std::string kMandatory =
    "[SMTP]\r\nServer=192.0.2.25\r\n[Address]\r\nFromName=夜間バッチ\r\nFromAddress=batch\r\n"
    "To=ops, audit\r\n";

class JobSettingsTest : public ::testing::Test {
protected:
    int Load(const std::string& contents) {
        WriteFile(dir_.File("job.ini"), contents);
        return settings_.Load(dir_.File("job.ini"));
    }
    ScopedTempDir dir_;
    JobSettings settings_;
};

TEST_F(JobSettingsTest, WorkedExampleLoadsEveryField) {
    EXPECT_EQ(Load(kMandatory + "Cc=\r\n[Message]\r\nSubject=夜間レポート\r\n"
                                "BodyFile=/jobs/report/body.txt\r\n"
                                "AttachmentPathFile=/jobs/report/files.txt\r\n"),
              JOB_FILE_LOADED);
    EXPECT_STREQ(settings_.szServer, "192.0.2.25");
    EXPECT_STREQ(settings_.szFromName, "夜間バッチ");
    EXPECT_STREQ(settings_.szFromAddress, "batch");
    EXPECT_STREQ(settings_.szTo, "ops, audit");
    EXPECT_STREQ(settings_.szCc, "");
    EXPECT_STREQ(settings_.szBcc, "");
    EXPECT_STREQ(settings_.szSubject, "夜間レポート");
    EXPECT_STREQ(settings_.szBodyFile, "/jobs/report/body.txt");
    EXPECT_STREQ(settings_.szAttachmentPathFile, "/jobs/report/files.txt");
    EXPECT_STREQ(settings_.szMessage, "");

    JobFields copy;
    std::memset(&copy, 'x', sizeof copy);
    EXPECT_EQ(settings_.CopyTo(copy), 0);
    EXPECT_EQ(std::memcmp(&copy, static_cast<const JobFields*>(&settings_), sizeof copy), 0);
}

TEST_F(JobSettingsTest, MissingFileGives1001AndLeavesTheFields) {
    EXPECT_EQ(Load(kMandatory), JOB_FILE_LOADED);
    EXPECT_EQ(settings_.Load(dir_.File("missing.ini")), JOB_FILE_NOT_EXIST);
    EXPECT_STREQ(settings_.szMessage, "Not Exist ini file\n");
    EXPECT_STREQ(settings_.szServer, "192.0.2.25");
}

TEST_F(JobSettingsTest, FirstMissingMandatoryKeyGives1003WithItsName) {
    struct Case {
        std::string contents;
        const char* missing;
        const char* server;
    };
    const Case cases[] = {
        {"", "SMTP:Server", ""},
        {"[SMTP]\nServer=mail\n", "Address:FromName", "mail"},
        {"[SMTP]\nServer=mail\n[Address]\nFromName=n\nFromAddress=a\nTo=\n", "Address:To", "mail"},
        {"[SMTP]\nServer=\n[Address]\nFromName=n\n", "SMTP:Server", ""},
        {"[Address]\nFromName=n\nFromAddress=a\nTo=t\n", "SMTP:Server", ""},
    };
    for (const Case& c : cases) {
        JobSettings settings;
        WriteFile(dir_.File("job.ini"), c.contents + "[Message]\nSubject=s\n");
        EXPECT_EQ(settings.Load(dir_.File("job.ini")), JOB_FILE_INVALID) << c.missing;
        EXPECT_EQ(std::string(settings.szMessage),
                  std::string("Invalid ini file, invalid SECTION:") + c.missing + "\n");
        EXPECT_STREQ(settings.szServer, c.server);
        EXPECT_STREQ(settings.szTo, "");
        EXPECT_STREQ(settings.szSubject, "") << "optional keys are not read after a failure";
    }
}

TEST_F(JobSettingsTest, DirectoryPassesTheExistenceTestAndReadsEmpty) {
    EXPECT_EQ(settings_.Load(dir_.Path()), JOB_FILE_INVALID);
    EXPECT_STREQ(settings_.szMessage, "Invalid ini file, invalid SECTION:SMTP:Server\n");
}

TEST_F(JobSettingsTest, FailedLoadEmptiesFieldsOfAnEarlierLoad) {
    EXPECT_EQ(Load(kMandatory + "[Message]\nSubject=old\n"), JOB_FILE_LOADED);
    EXPECT_EQ(Load("[SMTP]\nServer=new\n"), JOB_FILE_INVALID);
    EXPECT_STREQ(settings_.szServer, "new");
    EXPECT_STREQ(settings_.szFromName, "");
    EXPECT_STREQ(settings_.szSubject, "");
}

// A complete job with every key; `key` is given `value`, the others short values.
std::string JobWith(const std::string& key, const std::string& value) {
    auto pick = [&](const char* name, const char* fallback) {
        return std::string(name) + "=" + (key == name ? value : fallback) + "\n";
    };
    return "[SMTP]\n" + pick("Server", "s") + "[Address]\n" + pick("FromName", "n") +
           pick("FromAddress", "a") + pick("To", "t") + pick("Cc", "c") + pick("Bcc", "b") +
           "[Message]\n" + pick("Subject", "j") + pick("BodyFile", "f") +
           pick("AttachmentPathFile", "l");
}

TEST_F(JobSettingsTest, ValuesAreCutToTheirFieldWidths) {
    const JobSettings& s = settings_;
    const struct {
        const char* key;
        const char* field;
        std::size_t given, kept;
    } cases[] = {
        {"Server", s.szServer, 300, 255},
        {"FromName", s.szFromName, 127, 127},
        {"FromName", s.szFromName, 128, 127},
        {"FromAddress", s.szFromAddress, 200, 127},
        {"To", s.szTo, 600, 511},
        {"Cc", s.szCc, 511, 511},
        {"Bcc", s.szBcc, 600, 511},
        {"Subject", s.szSubject, 256, 255},
        {"BodyFile", s.szBodyFile, 400, 259},
        {"AttachmentPathFile", s.szAttachmentPathFile, 259, 259},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Load(JobWith(c.key, std::string(c.given, 'v'))), JOB_FILE_LOADED) << c.key;
        EXPECT_EQ(std::string(c.field), std::string(c.kept, 'v')) << c.key << " " << c.given;
    }
}

TEST_F(JobSettingsTest, CutInsideATwoByteCharacterStepsBack) {
    // FromName keeps 127 bytes: 126 ASCII bytes and then the lead byte of 日 would be cut apart.
    ASSERT_EQ(Load(JobWith("FromName", std::string(126, 'n') + "日")), JOB_FILE_LOADED);
    EXPECT_EQ(std::string(settings_.szFromName), std::string(126, 'n'));
    // 125 ASCII bytes and 日 fit whole.
    ASSERT_EQ(Load(JobWith("FromName", std::string(125, 'n') + "日本")), JOB_FILE_LOADED);
    EXPECT_EQ(std::string(settings_.szFromName), std::string(125, 'n') + "日");
}

}  // namespace
