// The program as a process: the job file it reads, the mail it sends to the scripted server on
// 127.0.0.1:25 byte for byte, and its logs for every way a run can fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/ProgramTest.h"
#include "support/ScriptedSmtpServer.h"

namespace {

// What the server receives of a mail to the default job's recipients, up to DATA, and whole.
const std::string MAIL = "HELO fernpost.test\r\nMAIL FROM:<batch>\r\n",
                  DATA = MAIL + "RCPT TO:<ops>\r\nRCPT TO:<audit>\r\nDATA\r\n",
                  SENT = DATA + "~\r\n.\r\nQUIT\r\n";
const std::string UNLOADED = "Failed to open file to be attached";

// A run of `job` against `script`, through `shell` if any: the dialogue the server received (the
// mail data shown as "~"; no server when none is expected) and the error log.
struct Row {
    SmtpScript script;
    Job job;
    std::string dialogue, log, shell = "", ending = "";  // ending: of every byte received
    std::size_t compared = std::string::npos;  // bytes of the dialogue (a TLS hello's first 2)
};

class ProgramRunTest : public ProgramTest {
public:
    // Runs `row` with a transcript, which changes nothing.
    void ExpectRun(const Row& row, const std::string& trace = "trace.txt") {
        std::filesystem::remove_all(Work("log"));
        std::optional<ScriptedSmtpServer> server;  // none where nothing is to be received
        if (!row.dialogue.empty()) server.emplace(row.script);
        WriteFile(Work("job.ini"), row.job.Ini());
        Run({"-inifile:job.ini", "-trace:" + trace}, row.shell);
        std::string received = server ? server->Received() : "", whole = received;
        received.resize(std::min(received.size(), row.compared));
        std::size_t data = received.find("DATA\r\n"), end = received.find("\r\n.\r\n");
        if (data != std::string::npos && end != std::string::npos)
            received.replace(data + 6, end - data - 6, "~");
        EXPECT_EQ(received, row.dialogue) << row.log;
        EXPECT_TRUE(whole.ends_with(row.ending))
            << whole.substr(whole.size() - std::min<std::size_t>(whole.size(), 400));
        EXPECT_EQ(ErrorLog(), row.log) << row.dialogue;
    }
};

TEST_F(ProgramRunTest, JobFileResolutionAndTheRunLog) {
    Run({});  // no job beside the executable
    WriteFile(Bin("fernpost.ini"), "[SMTP]\nServer=127.0.0.1\n");
    WriteFile(Work("fernpost.ini"), "");  // the current directory's is not the default
    Run({"/IniFile:", "-other:x"});
    std::filesystem::create_directories(Work("jobs"));  // found from here; a directory reads empty
    Run({"-INIFILE:jobs"});
    std::string deep;  // 400 bytes in Shift-JIS: three folders of 65 two-byte characters
    for (int i = 0; i < 3 * 65; ++i)
        deep += (WindowsProgram() ? Utf8(u8"表") : "表") + std::string(i % 65 == 64 ? "/" : "");
    WriteFile(Work(deep + "job.ini"), "[SMTP]\nServer=127.0.0.1\n[Address]\nFromName=a\n");
    Run({"-inifile:" + deep + "job.ini"});
    WriteFile(Work("user.ini"), Job{.smtp = "User=u\r\nPassword=secret\r\n"}.Ini());
    Run({"-inifile:user.ini"});  // credentials never cross in clear: nothing is sent
    EXPECT_EQ(RunLog(),
              "[stamp][stamp]Not Exist ini file\n"
              "[stamp][stamp]Invalid ini file, invalid SECTION:Address:FromName\n"
              "[stamp][stamp]Invalid ini file, invalid SECTION:SMTP:Server\n"
              "[stamp][stamp]Invalid ini file, invalid SECTION:Address:FromAddress\n"
              "[stamp][stamp]Invalid ini file, invalid SECTION:SMTP:User\n");
    EXPECT_FALSE(std::filesystem::exists(Work("log")));
}

std::string Unexpected(const std::string& step) {
    return "SMTPエラー:An unexpected " + step + " response was received";
}
std::string Response(const std::string& code) { return "SMTPエラー:ReadCommandResponse " + code; }

std::string Refused(const std::string& names) {
    return Log(
        {Unexpected("RCPT"), "配信不能：以下の受信者にメールを配信できませんでした。\n\r" + names});
}

// The mail goes out the same with a transcript (the first -trace counts) or without. The transcript
// shows the data as its size.
TEST_F(ProgramRunTest, WorkedExampleGoesOutByteForByte) {
    WriteFile(Work("body.txt"), "Hello\r\n.Bye");
    // The trail bytes 0x5C of ソ and 表 separate nothing; nor does UTF-8 テ (E3 83 86: 0x86 looks
    // like a lead byte) swallow the '/'. Wine reads the list as Shift-JIS, names on disk as UTF-8.
    const std::string folder = Work(WindowsProgram() ? "" : Utf8(u8"テ/"));
    WriteFile(folder + (WindowsProgram() ? Utf8(u8"ソ表.csv") : "ソ表.csv"), "x,y\r\n");
    WriteFile(Work("files.txt"),
              folder + "ソ表.csv\r\n\r\n" + Work("gone.csv") + "\r\n" + Work("body.txt") + "\r\n");
    const Job job{.server = "localhost",  // a name to look up
                  .bcc = "boss",
                  .bodyFile = "body.txt",
                  .attachmentPathFile = "files.txt"};
    const std::string mail =
        "HELO fernpost.test\r\nMAIL FROM:<batch>\r\nRCPT TO:<ops>\r\nRCPT TO:<audit>\r\n"
        "RCPT TO:<boss>\r\nDATA\r\nFrom: =?ISO-2022-JP?B?GyRCTGs0ViVQJUMlQRsoQg==?= <batch>\r\n"
        "To: ops,audit\r\nSubject: =?ISO-2022-JP?B?GyRCTGs0ViVsJV0hPCVIGyhC?=\r\n"
        "Date: *\r\nX-Mailer: Vex MAILER v1.0\r\nMIME-Version: 1.0\r\n"
        "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n\r\n"
        "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
        "Content-Transfer-Encoding: 7bit\r\n\r\nHello\r\n..Bye\r\n\r\n\r\n"
        "--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=ソ表.csv\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
        "filename=\"=?ISO-2022-JP?B?GyRCJT1JPRsoQi5jc3Y=?=\"\r\n\r\n"
        "eCx5DQo=\r\n\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; "
        "name=body.txt\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
        "filename=\"=?ISO-2022-JP?B?Ym9keS50eHQ=?=\"\r\n\r\nSGVsbG8NCi5CeWU=\r\n\r\n--#BOUNDARY#--"
        "\r\n.\r\nQUIT\r\n";
    // A Japanese job path: Shift-JIS on Linux; UTF-8 to Wine, which hands it over as UTF-16.
    const std::string jobPath = WindowsProgram() ? Utf8(u8"夜間.ini") : "夜間.ini";
    WriteFile(Work(jobPath), job.Ini());
    const std::string named = WindowsProgram() ? "trace.txt" : "my trace.txt";  // Wine quotes it
    for (std::vector<std::string> options :
         std::vector<std::vector<std::string>>{{"-other:x"}, {"/trace:" + named, "-trace:x"}}) {
        ScriptedSmtpServer server({{"RCPT TO:<audit>",
                                    "550-5.1.1 <audit>: Recipient address rejected:\r\n"
                                    "{wait}550 5.1.1 User unknown\r\n"}});
        options.insert(options.begin(), "-inifile:" + jobPath);
        Run(options);
        std::string wire = server.Received();  // the date masked: "Mon, 05 Jan 2026 ..."
        EXPECT_EQ(wire.replace(wire.find("\r\nDate: ") + 8, 31, "*"), mail) << options[1];
    }
    const std::string run = Log({"Attachment file not found: " + Work("gone.csv")}) + Refused("");
    EXPECT_EQ(ErrorLog(), run + run);
    EXPECT_FALSE(std::filesystem::exists(Work("x")));
    EXPECT_EQ(ReadLog(Work(named)),
              "[stamp] Job file: 夜間.ini\nConnecting to localhost port 25\nConnected\n"
              "S: 220 scripted.test ready\nC: HELO fernpost.test\nS: 250 ok\n"
              "C: MAIL FROM:<batch>\nS: 250 ok\nC: RCPT TO:<ops>\nS: 250 ok\nC: RCPT TO:<audit>\n"
              "S: 550-5.1.1 <audit>: Recipient address rejected:\nS: 550 5.1.1 User unknown\n"
              "C: RCPT TO:<boss>\nS: 250 ok\nC: DATA\nS: 354 go ahead\n"
              "C: <message data: 808 bytes>\nS: 250 queued\nC: QUIT\nS: 221 bye\n");
}

// Every way a send can fail, each with its entries in order; and a server that checks the mail
// for 6 s (longer than other replies may take) before it answers the end of data.
TEST_F(ProgramRunTest, EveryFailureIsLoggedInOrder) {
    const std::string sendFailed =
        Log({"Error:CMail::SendMessage()", "SMTP メール送信に失敗しました。"});
    const std::string quitFailed =
        Log({Response("221"), "An unexpected QUIT response was received"});
    const std::string starttls = "Port=25\r\nSecurity=starttls\r\n",
                      offersTls = "250-scripted.test\r\n250 STARTTLS\r\n";
    WriteFile(Work("big.bin"), std::string(24 << 20, 'x'));  // more than the socket buffers
    WriteFile(Work("big.txt"), Work("big.bin"));
    WriteFile(Work("folder.txt"), Work(""));
    WriteFile(Work("devices.txt"), "COM1\r\nC:\\jobs\\nul.txt\r\n");  // Windows's, never opened
    const std::string early = WindowsProgram() ? "Z:\\sys\\devices\\system\\cpu\\online"
                                               : "/sys/devices/system/cpu/online";  // sysfs: 4096
    WriteFile(Work("early.txt"), Work("big.bin") + "\r\n" + early + "\r\n");
    const Row rows[] = {
        // clang-format off
        {{{"greeting", "554 busy\r\n"}, {"QUIT", "500 what\r\n"}}, {}, "QUIT\r\n",
         Log({Response("220"), Unexpected("SMTP login")}) + quitFailed + CONNECT_FAILED},
        {{{"HELO", "501 no\r\n"}, {"QUIT", "500 what\r\n"}}, {}, "HELO fernpost.test\r\nQUIT\r\n",
         quitFailed + Log({Response("250"), Unexpected("HELO")}) + CONNECT_FAILED},
        {{{"MAIL", "550 no\r\n"}}, {}, MAIL + "QUIT\r\n",
         Log({Response("250"), Unexpected("MAIL")}) + sendFailed},
        {{{"DATA", "554 no\r\n"}}, {}, DATA + "QUIT\r\n", Log({Unexpected("DATA")}) + sendFailed},
        {{{".", "554 rejected\r\n"}}, {}, SENT,
         Log({Unexpected("end of message")}) + sendFailed},
        // closed instead of an answer to the end of data: that wait ends at once, QUIT's times out
        {{{".", "{close}"}}, {}, DATA + "~\r\n.\r\n",
         Log({Unexpected("end of message")}) + sendFailed + quitFailed},
        {{{"QUIT", "500 what\r\n"}}, {}, SENT, quitFailed},
        {{{".", Pauses(20) + "250 queued\r\n"}}, {.bodyFile = "folder.txt"}, SENT, "", "", // 6 s
         "text/plain; charset=iso-2022-jp\r\n\r\n" + Work("") + "\r\n\r\n.\r\nQUIT\r\n"},
        {{{"RCPT TO:<b>", "550-5.1.1 no such user\r\n{wait}550 5.1.1 here\r\n"}},
         {.to = "A <a>; 100% Sales <b>, c", .cc = "d", .bcc = "e"}, MAIL + "RCPT TO:<a>\r\n"
         "RCPT TO:<b>\r\nRCPT TO:<c>\r\nRCPT TO:<d>\r\nRCPT TO:<e>\r\nDATA\r\n~\r\n.\r\nQUIT\r\n",
         Refused("100% Sales")},
        {{{"RCPT", "251 forwarded\r\n"}}, {}, SENT, Refused("") + Refused("")},  // DATA all the same
        {{}, {.to = "a, Sales <b, c"}, MAIL + "RCPT TO:<a>\r\nDATA\r\n~\r\n.\r\nQUIT\r\n",
         Log({"An error occurred while parsing the recipients string"})},
        {{{"DATA", "354 go ahead\r\n{wait}{reset}"}}, {.bodyFile = "big.bin"}, DATA,
         Log({"SMTPエラー(10054):Failed in call to send the header"}) + sendFailed +
         Log({"SMTPエラー(10054):Failed in call to send QUIT command"}) + quitFailed},
        {{{"DATA", "354 go ahead\r\n{wait}{reset}"}}, {.attachmentPathFile = "big.txt"}, DATA,
         Log({"SMTPエラー(10054):Failed in call to send the attachment"}) + sendFailed +
         Log({"SMTPエラー(10054):Failed in call to send QUIT command"}) + quitFailed},
        // an attachment ending before the size it had when checked: the mail is abandoned
        {{}, {.attachmentPathFile = "early.txt"}, DATA, Log({"File to be attached ended early, the "
         "mail was abandoned: " + early}) + sendFailed + Log({"Already disconnected from SMTP "
         "server"}), "", "filename=\"=?ISO-2022-JP?B?b25saW5l?=\"\r\n\r\n", DATA.size()},
        {{}, {.attachmentPathFile = "devices.txt"}, SENT, WindowsProgram() ? Log({UNLOADED, UNLOADED})
         : Log({"Attachment file not found: COM1", "Attachment file not found: C:\\jobs\\nul.txt"})},
        {{}, {.server = "no-such-host.invalid"}, "", Log({"SMTPエラー:m_SMTP.Connect[10022] "
         "Could not connect to the SMTP server no-such-host.invalid on port 25"}) + CONNECT_FAILED},
        // STARTTLS not offered, refused, or followed by bytes an attacker put before the handshake
        {{{"EHLO", "250-scripted.test\r\n250 AUTH PLAIN\r\n"}}, {.smtp = starttls},
         "EHLO fernpost.test\r\nQUIT\r\n", Log({"SMTPエラー:STARTTLS[10043] The SMTP server does "
         "not offer STARTTLS"}) + CONNECT_FAILED},
        {{{"EHLO", offersTls}, {"STARTTLS", "454 4.7.0 TLS not available\r\n"}},
         {.smtp = starttls}, "EHLO fernpost.test\r\nSTARTTLS\r\nQUIT\r\n",
         Log({Response("220"), Unexpected("STARTTLS")}) + CONNECT_FAILED},
        {{{"EHLO", offersTls}, {"STARTTLS", "220 go ahead\r\n250-mx\r\n250 AUTH PLAIN\r\n"}},
         {.smtp = starttls + "User=u\r\nPassword=secret\r\n"}, "EHLO fernpost.test\r\nSTARTTLS\r\n",
         Log({"SMTPエラー:STARTTLS[0x80090326] Data received before the TLS handshake"}) +
         CONNECT_FAILED},
        // nothing listens there; a folder to attach (its failure would have an entry) is not read
        {{}, {.server = "127.0.0.2", .attachmentPathFile = "folder.txt"}, "", Log({"SMTPエラー:"
         "m_SMTP.Connect[10061] Could not connect to the SMTP server 127.0.0.2 on port 25"}) +
         CONNECT_FAILED},
        // clang-format on
    };
    for (const Row& row : rows) ExpectRun(row);
    const std::string trace = ReadLog(Work("trace.txt"));  // why a connect or a wait failed
    for (const char* says :
         {"127.0.0.2 port 25\nConnection failed [10061]\n",
          " bytes>\nConnection closed by the server\nReply wait ended\nC: QUIT\n"
          "Connection closed by the server\nTime-out: no reply within 5000 ms\n"})
        EXPECT_NE(trace.find(says), std::string::npos) << trace;
}

// The handshake refused, with its entry, nothing sent: no TLS server, a silent one (5 s), and on
// 465 certificates not to be trusted, an old protocol, a server that closes once it has the hello.
TEST_F(ProgramRunTest, TlsHandshakeRefusals) {
    ASSERT_EQ(RunProgram({SCRIPTS + "test-certificates", Work("c")}, "/").status, 0);
    const auto tlsServer = [&](const std::string& name, const std::string& options = "") {
        return "(timeout 30 openssl s_server -quiet -naccept 1 -accept 127.0.0.1:465 -cert " +
               Work("c/" + name + ".pem") + " -key " + Work("c/" + name + ".key") + options +
               " </dev/null >/dev/null 2>&1 &) && for i in $(seq 100); do ss -Htln | grep -q "
               ":465 && break; sleep 0.1; done && exec";
    };
    const auto refused = [](const std::string& code, const std::string& server, int port) {
        return Log({"SMTPエラー:TLS handshake[" + code +
                    "] Could not secure the connection to the " + "SMTP server " + server +
                    " on port " + std::to_string(port)}) +
               CONNECT_FAILED;
    };
    const std::string ca = Work("証明書/ca.pem");  // named in 932, whatever the system's code page
    WriteFile(WindowsProgram() ? Work(Utf8(u8"証明書/ca.pem")) : ca, ReadFile(Work("c/ca.pem")));
    const std::string tls = "Security=tls\r\nCAFile=" + ca + "\r\n";
    const Row rows[] = {
        // clang-format off
        {{}, {.smtp = tls + "Port=25\r\n"}, "\x16\x03", refused("0x80090326", "127.0.0.1", 25)},
        {{{"greeting", ""}, {"other", ""}}, {.smtp = tls + "Port=25\r\n"}, "\x16\x03",
         refused("10060", "127.0.0.1", 25)},
        {{}, {.smtp = "Security=tls\r\n"}, "", refused("0x80090325", "127.0.0.1", 465), tlsServer("self")},
        {{}, {.smtp = tls}, "", refused("0x80090322", "127.0.0.1", 465), tlsServer("wrong")},
        {{}, {.server = "localhost", .smtp = tls}, "", refused("0x80090322", "localhost", 465),
         tlsServer("wrong")},
        {{}, {.smtp = tls}, "", refused("0x80090328", "127.0.0.1", 465), tlsServer("expired")},
        {{}, {.smtp = tls}, "", refused("0x80090331", "127.0.0.1", 465),
         tlsServer("server", " -tls1 -cipher DEFAULT@SECLEVEL=0")},
        {{}, {.smtp = tls}, "", refused("0x80090326", "127.0.0.1", 465), "perl -MIO::Socket -e \""
         "\\$c=IO::Socket::INET->new(Listen,1,Reuse,1,LocalAddr,q(127.0.0.1:465))||die;fork&&exit;"
         "alarm 30;\\$c=\\$c->accept;read\\$c,\\$h,5;read\\$c,\\$h,unpack q(x3n),\\$h\" && exec"},
        // clang-format on
    };
    for (Row row : rows) {
        row.compared = 2;
        if (!WindowsProgram() || row.shell.find("-tls1") == std::string::npos) ExpectRun(row);
    }
    if (WindowsProgram())
        GTEST_SKIP() << "the TLS 1.0 server: Wine's Schannel answers 0x80090304 (Windows refuses)";
}

// Non-regular files are never opened. A FIFO, a device, a 100 MB line: as job, invalid; as body,
// list or transcript, empty; as attachments (or a folder, an unreadable one) empty parts, entries.
// A body too big for memory: an entry; an attachment goes whole. An unwritable log loses entries.
TEST_F(ProgramRunTest, BadFilesAndPlaces) {
    ASSERT_EQ(mkfifo(Work("fifo").c_str(), 0666), 0);
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(inotify_add_watch(watch, Work("fifo").c_str(), IN_OPEN), 0);
    WriteFile(Work("line"), std::string(100 << 20, '['));
    for (const char* job : {"fifo", "/dev/zero", "line"}) Run({std::string("-inifile:") + job});
#if defined(__SANITIZE_ADDRESS__)
    const std::string noProc = "";  // AddressSanitizer cannot run without /proc
#else
    const std::string noProc = "mount -t tmpfs none /proc && ";  // its folder from argv[0]
#endif
    WriteFile(Bin("fernpost.ini"), "");
    Run({}, noProc + "exec");
    const std::string invalid = "[stamp][stamp]Invalid ini file, invalid SECTION:SMTP:Server\n";
    EXPECT_EQ(RunLog(), invalid + invalid + invalid + invalid);
    WriteFile(Work("big"), "");
    ASSERT_EQ(truncate(Work("big").c_str(), off_t{1} << 30), 0);  // sparse: costs no disk
    WriteFile(Work("sparse"), "");
    ASSERT_EQ(truncate(Work("sparse").c_str(), off_t{96} << 20), 0);  // its text: 130 MB
    WriteFile(Work("sparse.txt"), Work("sparse"));
    // Real root runs the program as nobody, whom permissions stop (root of a user namespace of its
    // own cannot, and reads any file: the unreadable file is left out).
    const bool realRoot = ReadFile("/proc/self/uid_map").find("4294967295") != std::string::npos;
    WriteFile(Work("unreadable"), "x");
    ASSERT_EQ(chmod(Work("unreadable").c_str(), 0), 0);
    std::filesystem::create_directories(Work("adir"));
    WriteFile(Work("list.txt"), Work("adir") + "\n" + Work("fifo") + "\n/dev/zero\n" +
                                    (realRoot ? Work("unreadable") : ""));
    const int listed = 3 + realRoot;  // the list's files, each failing with an empty part
    std::filesystem::permissions(dir_.Path(), std::filesystem::perms::all);
    std::filesystem::permissions(Work(""), std::filesystem::perms::all);
    const std::string limit = "ulimit -v 65536 && exec";  // 64 MiB: a 16th of the big file
    const std::string nobody =
        realRoot ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups" : "exec";
    const SmtpScript refuse = {{"RCPT TO:<audit>", "550 no\r\n"}};  // entries to write
    std::string tail = "7bit\r\n\r\n";  // an empty body, then the list's parts, each empty
    for (int i = 0; i < listed; ++i)
        tail +=
            "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=\r\n"
            "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
            "filename=\"\"\r\n\r\n";
    const Row rows[] = {
        // clang-format off
        {{}, {.bodyFile = "fifo", .attachmentPathFile = "list.txt"}, SENT, Log({"Failed to open "
         "body file: fifo"}) + Log(std::vector<std::string>(listed, UNLOADED)), nobody,
         tail + "\r\n--#BOUNDARY#--\r\n.\r\nQUIT\r\n"},
        {{}, {.bodyFile = "/dev/zero", .attachmentPathFile = "fifo"}, SENT, Log({"Failed to open "
         "body file: /dev/zero", "Failed to open attachment list file: fifo"})},
        {{}, {.attachmentPathFile = "line"}, SENT,  // shown in part
         Log({"Attachment file not found: " + std::string(65534, '[') + "..."})},
        {{}, {.bodyFile = "big"}, "", Log({"Error:fernpost stopped: std::bad_alloc"}), limit},
        {{}, {.attachmentPathFile = "sparse.txt"}, SENT, "", limit, std::string(76, 'A') +
         "\r\n" + std::string(56, 'A') + "\r\n\r\n--#BOUNDARY#--\r\n.\r\nQUIT\r\n"},
        // found through PATH without /proc: no folder, so no run log or default job; -inifile works
        {{}, {}, SENT, Log({"Failed to find the program's folder: no run log, and no default job "
         "file"}), noProc + "PATH=\"${0%/*}\" exec fernpost \"$@\" #"},
        {refuse, {}, SENT, "", ": >log && exec"},  // no log folder
        {refuse, {}, SENT, "", "mkdir log && mount -t tmpfs -o size=4k tmpfs log && "
                               "(head -c 1M /dev/zero >log/full 2>/dev/null; true) && exec"},
        // clang-format on
    };
    for (const Row& row : rows) {
#if defined(__SANITIZE_ADDRESS__)
        if (row.shell == limit || row.shell.starts_with("PATH")) continue;  // nor without /proc
#endif
        ExpectRun(row, "fifo");  // as the transcript too
    }
    char events[4096];
    EXPECT_LT(read(watch, events, sizeof events), 0) << "the FIFO was opened";
    close(watch);
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the memory-limit and /proc rows: AddressSanitizer cannot run without either";
#endif
    if (!realRoot)
        GTEST_SKIP() << "the unreadable file: only real root can run the program as nobody";
}

}  // namespace
