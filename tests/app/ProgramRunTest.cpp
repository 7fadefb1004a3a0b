// The program as a process: which job file it reads and the run log of a failed load; the mail
// it sends to the scripted server on 127.0.0.1:25, byte for byte, and the error log of every
// way a send can fail.
#include <gmock/gmock.h>

#include <filesystem>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/ProgramTest.h"
#include "support/ScriptedSmtpServer.h"

namespace {

using testing::AllOf;
using testing::HasSubstr;

std::string Helo() {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return "HELO " + std::string(host) + "\r\n";
}

// The error log's text for `entries`, stamps masked.
std::string Log(const std::vector<std::string>& entries) {
    std::string log;
    for (const std::string& entry : entries) log += "[stamp] " + entry + "\n";
    return log;
}

class ProgramRunTest : public ProgramTest {
public:
    // A run of `job` against a server playing `script`, with a transcript (trace.txt), which
    // changes nothing of the run: expects the dialogue the server received (the mail data between
    // DATA and its end mark shown as "~"; none expected: not looked at) and the error log.
    void ExpectRun(const SmtpScript& script, const Job& job, const std::string& dialogue,
                   const std::string& log) {
        std::filesystem::remove_all(Work("log"));
        ScriptedSmtpServer server(script);
        WriteFile(Work("job.ini"), job.Ini());
        Run({"-inifile:job.ini", "-trace:trace.txt"});
        std::string received = dialogue.empty() ? "" : server.Received();
        std::size_t data = received.find("DATA\r\n"), end = received.find("\r\n.\r\n");
        if (data != std::string::npos && end != std::string::npos)
            received.replace(data + 6, end - data - 6, "~");
        EXPECT_EQ(received, dialogue) << log;
        EXPECT_EQ(ErrorLog(), log) << dialogue;
    }
    // Runs the program on `job` through `shell` (commands that end in exec, in a mount namespace
    // of its own).
    ProgramResult RunUnder(const std::string& shell, const Job& job) {
        WriteFile(Work("job.ini"), job.Ini());
        return RunProgram({"/usr/bin/unshare", "--mount", "/bin/sh", "-c",
                           shell + " " + program_ + " -inifile:job.ini"},
                          Work(""));
    }
};

TEST_F(ProgramRunTest, JobFileResolutionAndTheRunLog) {
    Run({});  // no job beside the executable
    WriteFile(dir_.Path("bin/fernpost.ini"), "[SMTP]\nServer=127.0.0.1\n");
    WriteFile(Work("fernpost.ini"), "");  // the current directory's is not the default
    Run({"/IniFile:", "-other:x"});
    // From here, not beside the program; a directory exists but reads empty. (Wine quotes an
    // argument with a blank whole, which is no option on Windows.)
    const std::string jobs = WindowsProgram() ? "jobs" : "jobs dir";
    std::filesystem::create_directories(Work(jobs));
    Run({"-inifile:" + jobs});
    WriteFile(Work("bom.ini"), "\xEF\xBB\xBF" + Utf8(u8"[SMTP]\nServer=経理部\n[Address]\n"
                                                     u8"FromName=n\nFromAddress=a\nTo=\n"));
    Run({"-inifile:bom.ini"});
    EXPECT_EQ(RunLog(),
              "[stamp][stamp]Not Exist ini file\n"
              "[stamp][stamp]Invalid ini file, invalid SECTION:Address:FromName\n"
              "[stamp][stamp]Invalid ini file, invalid SECTION:SMTP:Server\n"
              "[stamp][stamp]Invalid ini file, invalid SECTION:Address:To\n");
    EXPECT_FALSE(std::filesystem::exists(Work("log")));
}

TEST_F(ProgramRunTest, WorkedExampleGoesOutByteForByte) {
    WriteFile(Work("body.txt"), "Hello\r\n.Bye");
    // The trail bytes 0x5C of ソ and 表 separate nothing, nor does a UTF-8 directory name swallow
    // the '/' after it (テ is E3 83 86, and 0x86 looks like a lead byte). Wine reads the list as
    // Shift-JIS and keeps names in UTF-8 on the disk.
    const std::string folder = Work(WindowsProgram() ? "" : Utf8(u8"テ/"));
    WriteFile(folder + (WindowsProgram() ? Utf8(u8"ソ表.csv") : "ソ表.csv"), "x,y\r\n");
    WriteFile(Work("files.txt"), folder + "ソ表.csv\r\n\r\n" + Work("gone.csv") + "\r\n");
    const Job job{.server = "localhost",  // a name to look up
                  .bcc = "boss",
                  .bodyFile = "body.txt",
                  .attachmentPathFile = "files.txt"};
    const std::string mail =
        Helo() +
        "MAIL FROM:<batch>\r\nRCPT TO:<ops>\r\nRCPT TO:<audit>\r\nRCPT TO:<boss>\r\n"
        "DATA\r\nFrom: =?ISO-2022-JP?B?GyRCTGs0ViVQJUMlQRsoQg==?= <batch>\r\n"
        "To: ops,audit\r\nSubject: =?ISO-2022-JP?B?GyRCTGs0ViVsJV0hPCVIGyhC?=\r\n"
        "Date: *\r\nX-Mailer: Vex MAILER v1.0\r\nMIME-Version: 1.0\r\n"
        "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n\r\n"
        "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
        "Content-Transfer-Encoding: 7bit\r\n\r\nHello\r\n..Bye\r\n\r\n\r\n"
        "--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=ソ表.csv\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
        "filename=\"=?ISO-2022-JP?B?GyRCJT1JPRsoQi5jc3Y=?=\"\r\n\r\n"
        "eCx5DQo=\r\n\r\n--#BOUNDARY#--\r\n.\r\nQUIT\r\n";
    WriteFile(Work("job.ini"), job.Ini());
    for (const std::string option : {"-other:x", "-trace:trace.txt"}) {  // a transcript: the same
        ScriptedSmtpServer server;
        Run({"-inifile:job.ini", option});
        EXPECT_EQ(MaskDate(server.Received()), mail) << option;
    }
    EXPECT_EQ(ErrorLog(), "");
}

std::string Unexpected(const std::string& step) {
    return "SMTPエラー:An unexpected " + step + " response was received";
}
std::string Response(const std::string& code) { return "SMTPエラー:ReadCommandResponse " + code; }

// Every way a send can fail, each with its entries in order; and a server that checks the mail
// for 6 s before it answers the end of data (more than any other reply may take), which gets it
// once.
TEST_F(ProgramRunTest, EveryFailureIsLoggedInOrder) {
    const std::string mail = Helo() + "MAIL FROM:<batch>\r\n";
    const std::string data = mail + "RCPT TO:<ops>\r\nRCPT TO:<audit>\r\nDATA\r\n";
    const std::string sendFailed =
        Log({"Error:CMail::SendMessage()", "SMTP メール送信に失敗しました。"});
    const std::string connectFailed = Log({"Error:CMail::SendMail Connect()",
                                           "SMTP "
                                           "サーバ接続に失敗しました。\n\rSMTPの設定が間違っている"
                                           "か、SMTPサーバが動作していない可能性があります。"});
    const std::string quitFailed =
        Log({Response("221"), "An unexpected QUIT response was received"});
    std::string checking;
    for (int i = 0; i < 20; ++i) checking += "{wait}";
    WriteFile(Work("big.bin"), std::string(24 << 20, 'x'));  // more than the socket buffers
    WriteFile(Work("big.txt"), Work("big.bin"));
    const struct {
        SmtpScript script;
        Job job;
        std::string dialogue, log;
    } rows[] = {
        // clang-format off
        {{{"greeting", "554 busy\r\n"}}, {}, "QUIT\r\n",
         Log({Response("220"), Unexpected("SMTP login")}) + connectFailed},
        {{{"HELO", "501 no\r\n"}}, {}, Helo() + "QUIT\r\n",
         Log({Response("250"), Unexpected("HELO")}) + connectFailed},
        {{{"MAIL", "550 no\r\n"}}, {}, mail + "QUIT\r\n",
         Log({Response("250"), Unexpected("MAIL")}) + sendFailed},
        {{{"DATA", "554 no\r\n"}}, {}, data + "QUIT\r\n", Log({Unexpected("DATA")}) + sendFailed},
        {{{".", "554 rejected\r\n"}}, {}, data + "~\r\n.\r\nQUIT\r\n",
         Log({Unexpected("end of message")}) + sendFailed},
        // closed instead of an answer to the end of data: that wait ends at once, QUIT's times out
        {{{".", "{close}"}}, {}, data + "~\r\n.\r\n",
         Log({Unexpected("end of message")}) + sendFailed + quitFailed},
        {{{"QUIT", "500 what\r\n"}}, {}, data + "~\r\n.\r\nQUIT\r\n", quitFailed},
        {{{".", checking + "250 queued\r\n"}}, {}, data + "~\r\n.\r\nQUIT\r\n", ""},
        {{{"RCPT TO:<b>", "550-5.1.1 no such user\r\n{wait}550 5.1.1 here\r\n"}},
         {.to = "A <a>; 100% Sales <b>, c"},
         mail + "RCPT TO:<a>\r\nRCPT TO:<b>\r\nRCPT TO:<c>\r\nDATA\r\n~\r\n.\r\nQUIT\r\n",
         Log({Unexpected("RCPT"), "配信不能：以下の受信者にメールを配信できませんでした。\n\r100% Sales"})},
        {{}, {.to = "a, Sales <b, c"}, mail + "RCPT TO:<a>\r\nDATA\r\n~\r\n.\r\nQUIT\r\n",
         Log({"An error occurred while parsing the recipients string"})},
        {{{"DATA", "354 go ahead\r\n{wait}{reset}"}}, {.attachmentPathFile = "big.txt"}, "",
         Log({"SMTPエラー(10054):Failed in call to send the attachment"}) + sendFailed +
         Log({"SMTPエラー(10054):Failed in call to send QUIT command"}) + quitFailed},
        {{}, {.server = "no-such-host.invalid"}, "", Log({"SMTPエラー:m_SMTP.Connect[10022] Could "
         "not connect to the SMTP server no-such-host.invalid on port 25"}) + connectFailed},
        {{}, {.server = "127.0.0.2"}, "", Log({"SMTPエラー:m_SMTP.Connect[10061] Could not connect "
         "to the SMTP server 127.0.0.2 on port 25"}) + connectFailed},  // nothing listens there
        // clang-format on
    };
    for (const auto& row : rows) ExpectRun(row.script, row.job, row.dialogue, row.log);
    // the transcript says why a connection or a wait failed
    EXPECT_THAT(ReadLog(Work("trace.txt")),
                AllOf(HasSubstr("127.0.0.2 port 25\nConnection failed [10061]\n"),
                      HasSubstr(" bytes>\nConnection closed by the server\nReply wait ended\n"
                                "C: QUIT\nConnection closed by the server\n"
                                "Time-out: no reply within 5000 ms\n")));
}

// With -trace the run appends the server's own words to a transcript (failures: above): the wire
// and the logs are what they are without it, the message data shows only as its size, and a FIFO
// there never blocks.
TEST_F(ProgramRunTest, TranscriptOnRequest) {
    WriteFile(Work("body.txt"), "secret body text");
    WriteFile(Work("job.ini"), Job{.bodyFile = "body.txt"}.Ini());
    ASSERT_EQ(mkfifo(Work("fifo").c_str(), 0600), 0);
    std::string wire;  // without a transcript, then the same with one
    for (const char* option : {"-other:x", "-trace:fifo", "/trace:my trace.txt"}) {
        ScriptedSmtpServer server({{"RCPT TO:<audit>",
                                    "550-5.1.1 <audit>: Recipient address rejected:\r\n"
                                    "{wait}550 5.1.1 User unknown\r\n"}});
        Run({"-inifile:job.ini", option, "-trace:other.txt"});
        if (wire.empty()) wire = server.Received();
        EXPECT_EQ(MaskDate(server.Received()), MaskDate(wire)) << option;
    }
    const std::string refused =
        Log({Unexpected("RCPT"), "配信不能：以下の受信者にメールを配信できませんでした。\n\r"});
    EXPECT_EQ(ErrorLog(), refused + refused + refused);
    const std::size_t dataBytes = wire.rfind("QUIT") - wire.find("DATA\r\n") - 6;
    EXPECT_EQ(ReadLog(Work("my trace.txt")),
              "[stamp] Job file: job.ini\nConnecting to 127.0.0.1 port 25\nConnected\n"
              "S: 220 scripted.test ready\nC: " +
                  Helo().substr(0, Helo().size() - 2) +
                  "\nS: 250 ok\nC: MAIL FROM:<batch>\nS: 250 ok\nC: RCPT TO:<ops>\nS: 250 ok\n"
                  "C: RCPT TO:<audit>\nS: 550-5.1.1 <audit>: Recipient address rejected:\n"
                  "S: 550 5.1.1 User unknown\nC: DATA\nS: 354 go ahead\nC: <message data: " +
                  std::to_string(dataBytes) + " bytes>\nS: 250 queued\nC: QUIT\nS: 221 bye\n");
}

// A file larger than the memory a run may use: as the body it ends the run with an entry, not an
// abort; as an attachment it fails to load with its entry and the mail still goes out.
TEST_F(ProgramRunTest, RunningOutOfMemoryEndsWithAnEntryNotAnAbort) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer cannot run under an address-space limit";
#endif
    WriteFile(Work("big"), "");
    ASSERT_EQ(truncate(Work("big").c_str(), off_t{1} << 30), 0);  // sparse: costs no disk
    WriteFile(Work("list.txt"), Work("big"));
    EXPECT_EQ(RunUnder("ulimit -v 262144 && exec", {.bodyFile = "big"}).output, "");
    EXPECT_EQ(ErrorLog(), Log({"Error:fernpost stopped: std::bad_alloc"}));
    std::filesystem::remove_all(Work("log"));
    ScriptedSmtpServer server;
    EXPECT_EQ(RunUnder("ulimit -v 262144 && exec", {.attachmentPathFile = "list.txt"}).status, 0);
    EXPECT_EQ(server.Received().substr(server.Received().size() - 6), "QUIT\r\n");
    EXPECT_EQ(ErrorLog(), Log({"Failed to open file to be attached"}));
}

// Files that are not regular files are never opened, wherever a job names them (opening alone can
// act on a device): a FIFO, a device, garbage or a 100 MB line as the job file leave the job
// invalid; as the body or the attachment list they are empty or name no file. As attachments
// they, a folder, one removed after the list was read and one that cannot be read each fail with
// their entry and go out as empty parts, once the server is reached. A log that cannot be written
// (no log folder can be made, the disk is full, or the log is a FIFO that has a reader) costs only
// its entries: the mail still goes out.
TEST_F(ProgramRunTest, BadFilesAndPlaces) {
    ASSERT_EQ(mkfifo(Work("fifo").c_str(), 0666), 0);
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(inotify_add_watch(watch, Work("fifo").c_str(), IN_OPEN), 0);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += char(i * 7919 % 251);
    WriteFile(Work("garbage"), garbage);
    WriteFile(Work("line"), std::string(100 << 20, '['));
    for (const char* job : {"fifo", "/dev/zero", "garbage", "line"})
        Run({std::string("-inifile:") + job});
    const std::string invalid = "[stamp][stamp]Invalid ini file, invalid SECTION:SMTP:Server\n";
    EXPECT_EQ(RunLog(), invalid + invalid + invalid + invalid);
    // The unreadable file needs a user that permissions stop: real root runs the program as
    // nobody (root of a user namespace of its own cannot, and reads any file: the row is left out).
    const bool realRoot = ReadFile("/proc/self/uid_map").find("4294967295") != std::string::npos;
    WriteFile(Work("gone"), "x");
    WriteFile(Work("unreadable"), "x");
    ASSERT_EQ(chmod(Work("unreadable").c_str(), 0), 0);
    std::filesystem::create_directories(Work("adir"));
    WriteFile(Work("list.txt"), Work("adir") + "\n" + Work("fifo") + "\n/dev/zero\n" +
                                    Work("gone") + "\n" + (realRoot ? Work("unreadable") : ""));
    RunJob({.server = "127.0.0.2", .attachmentPathFile = "list.txt"});  // unreachable
    EXPECT_EQ(ErrorLog().find("attached"), std::string::npos);
    std::filesystem::remove_all(Work("log"));
    {
        std::filesystem::permissions(dir_.Path(), std::filesystem::perms::all);
        std::filesystem::permissions(Work(""), std::filesystem::perms::all);
        ScriptedSmtpServer server;
        server.whenConnected = [&] { std::filesystem::remove(Work("gone")); };
        const char* as =
            realRoot ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups" : "exec";
        EXPECT_EQ(RunUnder(as, {.bodyFile = "fifo", .attachmentPathFile = "list.txt"}).output, "");
        std::string parts;
        for (int i = 0; i < 4 + realRoot; ++i)
            parts +=
                "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=\r\n"
                "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
                "filename=\"\"\r\n\r\n";
        EXPECT_THAT(server.Received(), HasSubstr("7bit\r\n\r\n" + parts + "\r\n--#BOUNDARY#--"));
        EXPECT_EQ(ErrorLog(), Log(std::vector<std::string>(4 + realRoot,
                                                           "Failed to open file to be attached")));
    }
    const std::string sent = Helo() +
                             "MAIL FROM:<batch>\r\nRCPT TO:<ops>\r\nRCPT TO:<audit>\r\n"
                             "DATA\r\n~\r\n.\r\nQUIT\r\n";
    ExpectRun({}, {.bodyFile = "/dev/zero", .attachmentPathFile = "fifo"}, sent, "");
    ExpectRun({}, {.bodyFile = "garbage", .attachmentPathFile = "line"}, sent, "");
    char events[4096];
    EXPECT_LT(read(watch, events, sizeof events), 0) << "the FIFO was opened";
    close(watch);
    std::filesystem::remove_all(Work("log"));
    WriteFile(Work("log"), "");
    for (const std::string place : {"no folder", "full disk", "FIFO"}) {
        const int reader = place == "FIFO" && mkfifo(Work("log/Fernpost.err").c_str(), 0666) == 0
                               ? open(Work("log/Fernpost.err").c_str(), O_RDONLY | O_NONBLOCK)
                               : -1;
        ScriptedSmtpServer server({{"MAIL", "550 no\r\n"}});
        const std::string fill =
            "mount -t tmpfs -o size=4k tmpfs log && (head -c 1M /dev/zero >log/full; true) && ";
        EXPECT_EQ(RunUnder((place == "full disk" ? fill : "") + "exec", {}).status, 0);
        EXPECT_EQ(server.Received(), Helo() + "MAIL FROM:<batch>\r\nQUIT\r\n") << place;
        EXPECT_EQ(place == "FIFO", reader >= 0);
        EXPECT_LE(read(reader, events, sizeof events), 0) << "the FIFO log was written";
        close(reader);
        std::filesystem::remove_all(Work("log"));
        std::filesystem::create_directories(Work("log"));
    }
}

}  // namespace
