// The program as a process, sending to a scripted SMTP server on 127.0.0.1:25 in the test's
// private network: every byte the server received, the error log's entries in order, and the
// run log left alone.
#include <gtest/gtest.h>

#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "smtp/SmtpWireText.h"
#include "support/ProgramRun.h"
#include "support/MailText.h"
#include "support/ScriptedSmtpServer.h"

namespace {

using Entries = std::vector<std::string>;

constexpr int kSmtpPort = 25;
constexpr DWORD kServerWaitMs = 10000;

struct Job {
    std::string server = "127.0.0.1";
    std::string fromName = "夜間バッチ";
    std::string fromAddress = "batch";
    std::string to = "ops, audit";
    std::string cc;
    std::string bcc;
    std::string subject = "夜間レポート";
    std::string bodyFile;
    std::string attachmentPathFile;

    std::string Ini() const {
        return "[SMTP]\r\nServer=" + server + "\r\n[Address]\r\nFromName=" + fromName +
               "\r\nFromAddress=" + fromAddress + "\r\nTo=" + to + "\r\nCc=" + cc +
               "\r\nBcc=" + bcc + "\r\n[Message]\r\nSubject=" + subject +
               "\r\nBodyFile=" + bodyFile + "\r\nAttachmentPathFile=" + attachmentPathFile + "\r\n";
    }
};

class ProgramSendTest : public ProgramTest {
protected:
    // Runs the program on `job`; with a server, waits until its connection has ended.
    void Run(const Job& job, ScriptedSmtpServer* server) {
        WriteFile(Work("job.ini"), job.Ini());
        ProgramTest::Run({"-inifile:job.ini"});
        if (server != nullptr) {
            EXPECT_TRUE(server->WaitForConnectionsEnded(1, kServerWaitMs));
        }
        EXPECT_FALSE(PathExists(dir_.File("bin/Fernpost.log"))) << "the run log is for job files";
    }

    static std::string Dialogue(const std::string& mailFrom, const Entries& rcpts) {
        std::string text = "HELO " + LocalHeloName() + "\r\nMAIL FROM:<" + mailFrom + ">\r\n";
        for (const std::string& rcpt : rcpts) text += "RCPT TO:<" + rcpt + ">\r\n";
        return text + "DATA\r\n";
    }
};

const std::string kFromLine = "From: =?ISO-2022-JP?B?GyRCTGs0ViVQJUMlQRsoQg==?= <batch>\r\n";
const std::string kSubjectLine = "Subject: =?ISO-2022-JP?B?GyRCTGs0ViVsJV0hPCVIGyhC?=\r\n";
const std::string kBodyPartHeader =
    "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
    "Content-Transfer-Encoding: 7bit\r\n\r\n";

TEST_F(ProgramSendTest, WorkedExampleGoesOutByteForByte) {
    ScriptedSmtpServer server(SmtpScript(), kSmtpPort);
    ASSERT_TRUE(server.IsListening());
    WriteFile(Work("body.txt"), "Hello\r\nBye\r\n");
    WriteFile(Work("a.csv"), "x,y\r\n");
    WriteFile(Work("files.txt"), Work("a.csv") + "\r\n\r\n" + Work("gone.csv") + "\r\n");
    Job job;
    job.bodyFile = "body.txt";
    job.attachmentPathFile = "files.txt";
    Run(job, &server);

    EXPECT_EQ(MaskDateLine(server.Received()),
              Dialogue("batch", {"ops", "audit"}) + kFromLine + "To: ops,audit\r\n" + kSubjectLine +
                  "Date: *\r\nX-Mailer: Vex MAILER v1.0\r\nMIME-Version: 1.0\r\n"
                  "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n\r\n" +
                  kBodyPartHeader + "Hello\r\nBye\r\n" +
                  "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=a.csv\r\n"
                  "Content-Transfer-Encoding: base64\r\n"
                  "Content-Disposition: attachment; filename=\"=?ISO-2022-JP?B?YS5jc3Y=?=\"\r\n\r\n"
                  "eCx5DQo=\r\n" +
                  "\r\n--#BOUNDARY#--\r\n.\r\nQUIT\r\n");
    EXPECT_EQ(ErrorLog(), Entries{});
}

TEST_F(ProgramSendTest, UnreachableServerIsLoggedAndNoAttachmentIsOpened) {
    WriteFile(Work("a.csv"), "x");
    WriteFile(Work("files.txt"), Work("a.csv") + "\n");
    int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, Work("a.csv").c_str(), IN_OPEN | IN_ACCESS), 0);
    Job job;
    job.attachmentPathFile = "files.txt";
    Run(job, nullptr);

    char events[4096];
    EXPECT_LT(read(watch, events, sizeof events), 0) << "the attachment file was opened";
    close(watch);
    EXPECT_EQ(ErrorLog(),
              (Entries{"SMTPエラー:m_SMTP.Connect[10061] Could not connect to the SMTP server "
                       "127.0.0.1 on port 25",
                       "Error:CMail::SendMail Connect()",
                       "SMTP サーバ接続に失敗しました。\n\rSMTPの設定が間違っているか、SMTP"
                       "サーバが動作していない可能性があります。"}));
}

TEST_F(ProgramSendTest, RefusedRecipientIsLoggedAndTheOthersStillGetTheMail) {
    SmtpScript script;
    script.rcptByAddress["b"] = ServerAction::Reply("550 5.1.1 no such user\r\n");
    ScriptedSmtpServer server(script, kSmtpPort);
    Job job;
    job.to = "A <a>; 100% Sales <b>, c";
    job.cc = "d";
    job.bcc = "e";
    job.subject = "";
    Run(job, &server);

    std::string received = MaskDateLine(server.Received());
    EXPECT_EQ(received.substr(0, received.find("DATA\r\n") + 6),
              Dialogue("batch", {"a", "b", "c", "d", "e"}));
    EXPECT_NE(
        received.find("To: =?ISO-2022-JP?B?QQ==?= <a>,=?ISO-2022-JP?B?MTAwJSBTYWxlcw==?= <b>,c\r\n"
                      "Cc: d\r\nSubject: \r\n"),
        std::string::npos)
        << received;
    EXPECT_EQ(received.find("e\r\n", received.find("DATA\r\n")), std::string::npos)
        << "a Bcc recipient appears only in its RCPT";
    EXPECT_EQ(received.substr(received.size() - 11), "\r\n.\r\nQUIT\r\n");
    EXPECT_EQ(ErrorLog(),
              (Entries{"SMTPエラー:An unexpected RCPT response was received",
                       "配信不能：以下の受信者にメールを配信できませんでした。\n\r100% Sales"}));
}

TEST_F(ProgramSendTest, FailingTransactionLogsTheDriverEntriesLastAndStillQuits) {
    SmtpScript script;
    script.endOfData = ServerAction::Reply("554 5.7.1 rejected\r\n");
    ScriptedSmtpServer server(script, kSmtpPort);
    Run(Job(), &server);

    std::string received = server.Received();
    EXPECT_EQ(received.substr(received.size() - 11), "\r\n.\r\nQUIT\r\n");
    EXPECT_EQ(ErrorLog(),
              (Entries{"SMTPエラー:An unexpected end of message response was received",
                       "Error:CMail::SendMessage()", "SMTP メール送信に失敗しました。"}));
}

TEST_F(ProgramSendTest, MalformedToTokenEndsTheListButNotTheSend) {
    ScriptedSmtpServer server(SmtpScript(), kSmtpPort);
    Job job;
    job.to = "a, Sales <b, c";
    job.cc = "d";
    Run(job, &server);

    std::string received = MaskDateLine(server.Received());
    EXPECT_EQ(received.substr(0, received.find("DATA\r\n") + 6), Dialogue("batch", {"a", "d"}));
    EXPECT_EQ(received.substr(received.size() - 11), "\r\n.\r\nQUIT\r\n");
    EXPECT_EQ(ErrorLog(), Entries{"An error occurred while parsing the recipients string"});
}

TEST_F(ProgramSendTest, EmptyAndMissingBodyFilesSendAnEmptyBody) {
    WriteFile(Work("empty.txt"), "");
    for (const char* body : {"empty.txt", "missing.txt", ""}) {
        ScriptedSmtpServer server(SmtpScript(), kSmtpPort);
        Job job;
        job.bodyFile = body;
        Run(job, &server);
        std::string received = server.Received();
        EXPECT_NE(received.find("charset=iso-2022-jp\r\n\r\n\r\n.\r\nQUIT\r\n"), std::string::npos)
            << "body file '" << body << "': " << received;
    }
    EXPECT_EQ(ErrorLog(), Entries{});
}

TEST_F(ProgramSendTest, AttachmentListsAreCountedByAcceptedPathsUpTo128) {
    WriteFile(Work("x.bin"), "x");
    struct Case {
        int missing, existing, expectedParts;
    };
    const Case cases[] = {{0, 128, 128}, {0, 200, 128}, {5, 125, 125}, {3, 0, 0}};
    for (const Case& c : cases) {
        std::string list;
        for (int i = 0; i < c.missing; ++i) list += Work("missing" + std::to_string(i)) + "\n";
        for (int i = 0; i < c.existing; ++i) list += Work("x.bin") + "\n";
        WriteFile(Work("files.txt"), list);
        ScriptedSmtpServer server(SmtpScript(), kSmtpPort);
        Job job;
        job.attachmentPathFile = "files.txt";
        Run(job, &server);
        std::string received = server.Received();
        EXPECT_EQ(CountAttachmentParts(received), c.expectedParts)
            << c.missing << " + " << c.existing;
        EXPECT_EQ(received.find("multipart/mixed") != std::string::npos, c.expectedParts > 0);
    }
    EXPECT_EQ(ErrorLog(), Entries{});
}

TEST_F(ProgramSendTest, DirectoryInTheListIsAnEmptyPartWithItsLogEntry) {
    ASSERT_EQ(mkdir(Work("adir").c_str(), 0777), 0);
    ASSERT_EQ(mkfifo(Work("fifo").c_str(), 0600), 0);
    WriteFile(Work("files.txt"), Work("adir") + "\n" + Work("fifo") + "\n");
    ScriptedSmtpServer server(SmtpScript(), kSmtpPort);
    Job job;
    job.attachmentPathFile = "files.txt";
    Run(job, &server);
    std::string received = server.Received();
    EXPECT_EQ(CountAttachmentParts(received), 2);
    EXPECT_NE(
        received.find("name=\r\nContent-Transfer-Encoding: base64\r\n"
                      "Content-Disposition: attachment; filename=\"\"\r\n\r\n\r\n\r\n--#BOUNDARY#"),
        std::string::npos)
        << received;
    EXPECT_EQ(ErrorLog(), (Entries{"Failed to open file to be attached",
                                   "Failed to open file to be attached"}));
}

}  // namespace
