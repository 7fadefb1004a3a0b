// The program through a real, strict mail server: a private Postfix (scripts/postfix-private) on
// 127.0.0.1:25; each delivered copy read back decoded, as a reader shows it (scripts/show_mail.py).
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "support/ProgramTest.h"

namespace {

// The parameter: Postfix's smtpd on port 25, or postscreen before it (a greeting in two parts, a
// client that talks too early refused); or the ports that need AUTH: 587 STARTTLS, 465 TLS.
class PostfixTest : public ProgramTest, public testing::WithParamInterface<std::string> {
public:
    void SetUp() override {
        std::filesystem::permissions(dir_.Path(), std::filesystem::perms::all);  // for delivery
        std::vector<std::string> start = {SCRIPTS + "postfix-private", "start", Postfix("")};
        if (GetParam() == "postscreen") start.push_back("--postscreen");
        if (Secure()) {
            ASSERT_EQ(RunProgram({SCRIPTS + "test-certificates", dir_.Path("c")}, "/").status, 0);
            start.insert(start.end(), {"--tls", dir_.Path("c"), "alice", "Pa55:w%sord"});
        }
        ProgramResult started = RunProgram(start, "/");
        ASSERT_EQ(started.status, 0) << started.output;
    }
    void TearDown() override {
        RunProgram({SCRIPTS + "postfix-private", "stop", Postfix("")}, "/");
    }
    std::string Postfix(const std::string& name) const { return dir_.Path("postfix/" + name); }
    bool Secure() const { return GetParam() == "starttls" || GetParam() == "tls"; }
    // The job's [SMTP] lines for the submission ports (465 by default for TLS).
    std::string Submission(const std::string& password) const {
        return "Security=" + GetParam() + (GetParam() == "tls" ? "" : "\r\nPort=587") +
               "\r\nUser=alice\r\nPassword=" + password + "\r\nCAFile=" + dir_.Path("c/ca.pem") +
               "\r\n";
    }
};

// A Japanese mail with an attachment reaches every recipient as written, its To list of over 1,000
// characters folded within the line limit.
TEST_P(PostfixTest, JapaneseMailArrivesAsWritten) {
    WriteFile(Work("body.txt"),
              "お疲れ様です。\r\nﾊﾞｰｼﾞｮﾝｱｯﾌﾟのお知らせ\r\n.\r\n..二つの点\r\n最後の行");
    // Wine reads the list as Shift-JIS and names on disk as UTF-8.
    WriteFile(Work(WindowsProgram() ? Utf8(u8"files/売上_ソ表.txt") : "files/売上_ソ表.txt"),
              "合計 1,234,567 円\r\n");
    WriteFile(Work("files.txt"), Work("files/売上_ソ表.txt") + "\r\n");
    std::string to = "佐藤 花子 <hanako@example.test>; ｶﾀｶﾅ <kana@example.test>",
                shownTo = Utf8(u8"佐藤 花子 <hanako@example.test>, カタカナ <kana@example.test>");
    for (int i = 0; i < 12; ++i) {
        to += ", 営業部 担当者 <team@example.test>";
        shownTo += Utf8(u8", 営業部 担当者 <team@example.test>");
    }
    // clang-format off
    Job job{"127.0.0.1", "山田 太郎", "yamada@example.test", to, "cc@example.test",
            "監査部 <audit@example.test>", "【月次】売上 ﾚﾎﾟｰﾄ", "body.txt", "files.txt"};
    // clang-format on
    if (Secure()) job.smtp = Submission("Pa55:w%sord");
    if (GetParam() == "starttls") job.server = "localhost";  // a DNS entry and SNI, else the IP's
    WriteFile(Work("job.ini"), job.Ini());
    Run({"-inifile:job.ini", "-trace:trace.txt"});
    std::vector<std::filesystem::path> copies;  // waited for at most 20 s
    for (int wait = 0; wait < 200 && copies.size() < 5; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        copies.assign(std::filesystem::directory_iterator(Postfix("Maildir/new")), {});
    }
    ASSERT_EQ(copies.size(), 5u) << ReadFile(Postfix("maillog"));
    for (const auto& copy : copies) {
        std::string shown =
            RunProgram({"/usr/bin/python3", SCRIPTS + "show_mail.py", copy}, "/").output;
        std::size_t date = shown.find("Date:");
        EXPECT_EQ(
            shown.erase(date, shown.find('\n', date) + 1 - date),
            Utf8(u8"From:    山田 太郎 <yamada@example.test>\nTo:      ") + shownTo +
                Utf8(u8"\nCc:      cc@example.test\nSubject: 【月次】売上 レポート\n\n"
                     u8"Body (text/plain; charset=iso-2022-jp):\n    お疲れ様です。\n"
                     u8"    バージョンアップのお知らせ\n    .\n    ..二つの点\n    最後の行\n\n"
                     u8"Attachments:\n    売上_ソ表.txt       19 bytes  sha256 cac05f5cf496\n"));
    }
    EXPECT_EQ(ErrorLog(), "");
    if (!Secure()) return;
    const bool tls = GetParam() == "tls";  // LOGIN there, PLAIN after STARTTLS
    const std::string trace = ReadLog(Work("trace.txt")),
                      verified = ", certificate CN=localhost, verified\n";
    for (const std::string& says :
         {verified + (tls ? "S: 220 mx.example.test ESMTP Postfix\n" : "C: EHLO fernpost.test\n"),
          std::string(tls ? "C: AUTH LOGIN\nS: 334 VXNlcm5hbWU6\nC: <credentials hidden>\nS: 334 "
                            "UGFzc3dvcmQ6\nC: <credentials hidden>\nS: 235 2.7.0 Authentication "
                            "successful\nC: MAIL FROM:"
                          : "C: STARTTLS\nS: 220 2.0.0 Ready to start TLS\nTLS session: TLSv1."),
          std::string(tls ? "TLS session: TLSv1."
                          : "C: AUTH PLAIN <credentials hidden>\nS: 235 "
                            "2.7.0 Authentication successful\nC: MAIL FROM:")})
        EXPECT_NE(trace.find(says), std::string::npos) << says << trace;
    job.smtp = Submission("Wr0ng:pass");  // refused: nothing more is sent
    WriteFile(Work("job.ini"), job.Ini());
    Run({"-inifile:job.ini", "-trace:trace.txt"});
    EXPECT_EQ(ErrorLog(), Log({"SMTPエラー:ReadCommandResponse 235",
                               "SMTPエラー:An unexpected AUTH response was received"}) +
                              CONNECT_FAILED);
    if (!tls) {  // a server that offers no AUTH after STARTTLS: 10043, nothing sent
        job.smtp = Submission("Wr0ng:pass");
        job.smtp.replace(job.smtp.find("587"), 3, "2587");
        WriteFile(Work("job.ini"), job.Ini());
        std::filesystem::remove_all(Work("log"));
        Run({"-inifile:job.ini", "-trace:trace.txt"});
        EXPECT_EQ(ErrorLog(),
                  Log({"SMTPエラー:AUTH[10043] The SMTP server offers no usable AUTH mechanism"}) +
                      CONNECT_FAILED);
    }
    const std::string logs = ReadFile(Work("trace.txt")) + ReadFile(Work("log/Fernpost.err")) +
                             ReadFile(Bin("Fernpost.log"));
    for (const char* secret : {"Pa55", "AGFsaWNlAFBhNTU6dyVzb3Jk", "UGE1NTp3JXNvcmQ=", "Wr0ng",
                               "AGFsaWNlAFdyMG5nOnBhc3M=", "V3Iwbmc6cGFzcw=="})
        EXPECT_EQ(logs.find(secret), std::string::npos) << secret;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Postfix("Maildir/new")), {}), 5);
}

INSTANTIATE_TEST_SUITE_P(Servers, PostfixTest,
                         testing::Values("smtpd", "postscreen", "starttls", "tls"),
                         [](const auto& info) { return info.param; });

}  // namespace
