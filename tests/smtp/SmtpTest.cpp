// The SMTP client against the scripted server: the reply reader's table, the socket's sends
// (interrupted, timed out), the entries of failed steps and the wire texts built without a socket.
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <netinet/in.h>
#include <thread>
#include <sys/time.h>

#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/WinsockError.h"
#include "message/CSmtpMessage.h"
#include "smtp/SmtpCapabilities.h"
#include "smtp/SmtpWireText.h"
#include "support/TestFiles.h"
#include "support/ScriptedSmtpServer.h"

namespace {

// The reader's tick counter: a second before its wrap at a row's start, g_ticksPerMs times as fast.
DWORD g_rowStart, g_ticksPerMs = 1;
DWORD TestTicks() {
    return 0xFFFFFFFFu - 1000 + (MonotonicTickCount() - g_rowStart) * g_ticksPerMs;
}

// Each reply as the reader takes it, the tick counter wrapping in the wait. A silent server's wait
// ends once after 5 s (end of data's: 10 min on a clock 200 times as fast), pausing, never
// spinning; a trickle's every byte restarts it; a buffer without room is refused at once.
TEST(ReplyReaderTest, Replies) {
    char buffer[8], *extra = nullptr;
    for (auto [size, growBy] : {std::pair{0, 1}, {8, 0}})
        EXPECT_TRUE(!Probe().ReceiveReply(buffer, size, "\r\n", 220, &extra, growBy) &&
                    GetLastError() == 10022);
    const std::string big((1 << 20) + 10, 'x');
    std::string lines, trickle = "220 ";  // continuation lines without end; 6 s of bytes
    while (lines.size() <= 1 << 20) lines += "220-" + std::string(96, 'y') + "\r\n";
    for (int i = 0; i < 20; ++i) trickle += "x{wait}";
    const struct {
        std::string reply;
        BOOL ok;
        DWORD error;
        std::string lastReply;
        DWORD limit = 5000, ticksPerMs = 1;
    } cases[] = {
        {"2{wait}20 ok\r{wait}\n", TRUE, 0, ""},
        {"221 ok\r\n", FALSE, 10043, "221 ok"},
        {"554 x\r\n220 y\r\n", FALSE, 10043, "554 x\r\n220 y"},
        {"554 " + std::string(5000, 'x') + "\r\n", FALSE, 10043, "554 " + std::string(5000, 'x')},
        {std::string("554 a\0b\r\n", 9), FALSE, 10043, std::string("554 a\0b", 7)},
        {big, FALSE, 10040, big},
        {"220-first\r\n{wait}220-second\r{wait}\n{wait}220 last\r\n", TRUE, 0, ""},
        {"220-" + std::string(248, 'y') + "\r\n{wait}220 z\r\n", TRUE, 0, ""},  // room for 1 more
        {"554-5.7.1 first\r\n{wait}554 5.7.1 last\r\n", FALSE, 10043,
         "554-5.7.1 first\r\n554 5.7.1 last"},
        {"25\r\n", FALSE, 10043, "25"},
        {lines, FALSE, 10040, lines},
        {"", FALSE, 10060, ""},
        {"", FALSE, 10060, "", 600000, 200},
        {"{close}", FALSE, 10060, ""},
        {"220-first line of more\r\n", FALSE, 10060, "220-first line of more\r\n"},
        {trickle + "\r\n", TRUE, 0, ""},
    };
    for (const auto& c : cases) {
        ScriptedSmtpServer server({{"greeting", c.reply}});
        Probe probe;
        ASSERT_TRUE(probe.Open());
        probe.m_bAwaitingEndOfData = c.limit > 5000;
        SetLastError(0);
        g_rowStart = MonotonicTickCount();
        g_ticksPerMs = c.ticksPerMs;
        SetTickSource(TestTicks);
        const DWORD start = GetTickCount();
        const std::clock_t cpu = std::clock();
        EXPECT_EQ(probe.ReadCommandResponse(220), c.ok) << c.reply.substr(0, 20);
        EXPECT_EQ(GetLastError(), c.error) << c.reply.substr(0, 20);
        const DWORD took = GetTickCount() - start, limit = c.limit;
        SetTickSource(nullptr);
        const bool timesOut = c.error == 10060, trickles = c.reply == trickle + "\r\n";
        EXPECT_EQ(took > limit, timesOut || trickles) << took;
        EXPECT_TRUE(!timesOut || took < limit + 750 * c.ticksPerMs) << took;  // a pause, and slack
        EXPECT_TRUE(took < limit || std::clock() - cpu < CLOCKS_PER_SEC / 10) << "spins";
        // An endless reply is kept below 1 MiB: its start (compared from 8 KiB before the cap).
        const std::string& last = probe.GetLastReply();
        const bool capped = c.error == 10040;
        ASSERT_GE(last.size(), capped ? (1 << 20) - 8192 : 0);
        EXPECT_EQ(last, capped ? c.lastReply.substr(0, last.size()) : c.lastReply);
        EXPECT_LT(last.size(), std::size_t(1 << 20));
    }
}

int g_interruptions = 0;
const itimerval TIMER_OFF{};

// Counts SIGALRM, without SA_RESTART (a blocked call returns early): `first` microseconds from
// now, then every `every` until the 500th, so a test ends however slowly the machine runs.
void Interrupt(long first, long every) {
    struct sigaction action {};
    action.sa_handler = [](int) {
        if (++g_interruptions == 500) setitimer(ITIMER_REAL, &TIMER_OFF, nullptr);
    };
    sigaction(SIGALRM, &action, nullptr);
    g_interruptions = 0;
    const itimerval timer{{0, every}, {0, first}};
    setitimer(ITIMER_REAL, &timer, nullptr);
}

// A reply wait or a send cut short by signals goes on with the rest.
TEST(CSmtpSocketTest, WaitAndSendInterruptedBySignalsGoOn) {
    std::string data(32 << 20, '\0');  // far more than the socket buffers hold
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char('A' + i % 26);
    ScriptedSmtpServer server({{"greeting", "{wait}220 ok\r\n"}});
    Probe probe;
    ASSERT_TRUE(probe.Open());
    Interrupt(1000, 1000);
    EXPECT_TRUE(probe.ReadCommandResponse(220));
    EXPECT_GT(g_interruptions, 0);
    Interrupt(1000, 1000);
    EXPECT_TRUE(probe.m_SMTP.Send(data.data(), data.size()));
    setitimer(ITIMER_REAL, &TIMER_OFF, nullptr);
    probe.m_SMTP.Close();
    EXPECT_GT(g_interruptions, 0);
    EXPECT_TRUE(server.Received() == data);
}

// A connect cut short by a signal (or a stop and continue) waits for its connection, not failing
// with 10004: a full backlog drops the SYN until room is made, after the signal, and it is resent.
TEST(CSmtpSocketTest, ConnectInterruptedBySignalWaitsForItsConnection) {
    int listener = socket(AF_INET, SOCK_STREAM, 0), yes = 1;
    sockaddr_in address{AF_INET, htons(25), {htonl(INADDR_LOOPBACK)}, {}};
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    Probe first, second;
    ASSERT_TRUE(first.Open());  // fills the backlog
    std::thread acceptor([&] { usleep(500000), close(accept(listener, nullptr, nullptr)); });
    Interrupt(200000, 0);
    EXPECT_TRUE(second.Open());
    EXPECT_EQ(g_interruptions, 1);
    acceptor.join();
    close(listener);
}

// A send waits 3 min for a server that stops reading (RFC 5321 4.5.3.2.5), then fails.
TEST(CSmtpSocketTest, SendsTimeOut) {
    ScriptedSmtpServer server({{"greeting", "220 x\r\n" + Pauses(30)}});  // reads nothing for 9 s
    Probe probe;
    ASSERT_TRUE(probe.Open());
    timeval limit{};
    socklen_t size = sizeof limit;
    getsockopt(probe.m_SMTP.Handle(), SOL_SOCKET, SO_SNDTIMEO, &limit, &size);
    EXPECT_EQ(limit.tv_sec * 1000000 + limit.tv_usec, 180000000);
    probe.m_SMTP.SetSendTimeout(1000);  // whole seconds: no microseconds
    ASSERT_TRUE(probe.Open());
    std::string data(32 << 20, 'x');
    EXPECT_FALSE(probe.m_SMTP.Send(data.data(), data.size()));
    EXPECT_EQ(GetLastError(), 10060u);
}

// Failed steps' entries: a RCPT answered by the greeting (22), sends without a socket, a HELO,
// DATA or header unsent after replies taken as given (QUIT's before HELO's, after the others).
TEST(CSmtpConnectionTest, FailedStepsHaveTheirEntries) {
    TempDir dir(true);
    ScriptedSmtpServer server;
    Probe probe, closing;
    ASSERT_TRUE(probe.Open());
    EXPECT_FALSE(probe.SendRecipient(CSmtpAddress("", "a")));
    EXPECT_EQ(GetLastError(), 22u);
    EXPECT_FALSE(Probe().SendRecipient(CSmtpAddress("", "a")) || Probe().SendMessage({}) ||
                 Probe().Disconnect());
    closing.fakeReplies = 1;  // the greeting
    EXPECT_FALSE(closing.Connect("127.0.0.1", 25));
    for (int replies : {3, 4}) {  // to MAIL, to DATA
        Probe late;
        late.fakeReplies = replies;
        EXPECT_FALSE(late.Connect("127.0.0.1", 25) && late.SendMessage({}));
    }
    const std::string mail = "SMTPエラー(10009):Failed in call to send MAIL command",
                      quit = Log({"SMTPエラー(10009):Failed in call to send QUIT command",
                                  "SMTPエラー:ReadCommandResponse 221",
                                  "An unexpected QUIT response was received"});
    EXPECT_EQ(
        MaskStamps(ReadFile("log/Fernpost.err")),
        Log({"SMTPエラー:An unexpected RCPT response was received",
             "SMTPエラー(10009):Failed in call to send RCPT command", mail,
             "Already disconnected from SMTP server"}) +
            quit +
            Log({"SMTPエラー:An unexpected error occurred while sending the HELO command", mail}) +
            quit + Log({"SMTPエラー(10009):Failed in call to send the header"}) + quit);
}

TEST(SmtpWireTextTest, HeloNameLineEndsAndErrorNumbers) {
    const std::pair<const char*, std::string> names[] = {
        {nullptr, "localhost"}, {"", "localhost"},    {"a b", "localhost"},
        {"a\x80", "localhost"}, {"a\n", "localhost"}, {"mx-1.example.jp", "mx-1.example.jp"}};
    for (const auto& [name, chosen] : names) EXPECT_EQ(ChooseHeloName(name), chosen);
    EXPECT_EQ(ToCrLfLineEnds("a\r\nb\rc\nd\r"), "a\r\nb\r\nc\r\nd\r\n");
    // Winsock's number for each errno of its name (Winsock's list); EPIPE a reset; others kept.
    // clang-format off
    const std::pair<int, DWORD> errors[] = {
        {EINTR, 10004}, {EBADF, 10009}, {EACCES, 10013}, {EFAULT, 10014}, {EINVAL, 10022},
        {EMFILE, 10024}, {EWOULDBLOCK, 10035}, {EINPROGRESS, 10036}, {EALREADY, 10037},
        {ENOTSOCK, 10038}, {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040}, {EPROTOTYPE, 10041},
        {ENOPROTOOPT, 10042}, {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
        {EOPNOTSUPP, 10045}, {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047}, {EADDRINUSE, 10048},
        {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050}, {ENETUNREACH, 10051}, {ENETRESET, 10052},
        {ECONNABORTED, 10053}, {ECONNRESET, 10054}, {ENOBUFS, 10055}, {EISCONN, 10056},
        {ENOTCONN, 10057}, {ESHUTDOWN, 10058}, {ETOOMANYREFS, 10059}, {ETIMEDOUT, 10060},
        {ECONNREFUSED, 10061}, {ELOOP, 10062}, {ENAMETOOLONG, 10063}, {EHOSTDOWN, 10064},
        {EHOSTUNREACH, 10065}, {ENOTEMPTY, 10066}, {EUSERS, 10068}, {EDQUOT, 10069},
        {ESTALE, 10070}, {EREMOTE, 10071}, {EPIPE, 10054}, {0, 0}, {9999, 9999},
    };
    // clang-format on
    for (auto [errnoValue, code] : errors) EXPECT_EQ(WinsockErrorFromErrno(errnoValue), code);
}

// What an EHLO reply offers: never its first line (the server's name); keywords in any case;
// AUTH's mechanisms after blanks or "AUTH="; other codes and broken lines offer nothing.
TEST(SmtpWireTextTest, EhloCapabilitiesAndAuthLines) {
    // clang-format off
    const std::pair<std::string, std::string> replies[] = {  // reply, offered: STARTTLS PLAIN LOGIN
        {"250-STARTTLS AUTH PLAIN\r\n250 SIZE\r\n", "---"},
        {"250-mx\r\n250-starttls\r\n250 Auth cram-md5 Plain\r\n", "SP-"},
        {"250-mx\r\n250-AUTH=LOGIN\r\n250 STARTTLS x\r\n", "--L"},
        {"250-mx\r\n250-AUTH\tLOGIN  PLAIN\r\n250 STARTTLS", "SPL"},
        {"250-mx\r\n251-STARTTLS\r\n250STARTTLS\r\n250-AUTH PLAINX LOGI\r\n250 AUTHPLAIN", "---"},
        {"250-mx\r\n250-\r\n250 \r\n250", "---"}, {"", "---"},
    };
    // clang-format on
    for (const auto& [reply, offered] : replies) {
        const SmtpCapabilities c = ParseEhloReply(reply);
        const std::string seen = {c.bStartTls ? 'S' : '-', c.bAuthPlain ? 'P' : '-',
                                  c.bAuthLogin ? 'L' : '-'};
        EXPECT_EQ(seen, offered) << reply;
    }
    // Python: base64.b64encode(b"\0alice\0Pa55:w\x94\x92") and base64.b64encode(b"alice")
    EXPECT_EQ(FormatAuthPlainCommand("alice", "Pa55:w\x94\x92"),
              "AUTH PLAIN AGFsaWNlAFBhNTU6d5SS\r\n");
    EXPECT_EQ(FormatAuthLoginLine("alice"), "YWxpY2U=\r\n");
    EXPECT_EQ(FormatEhloCommand("fernpost.test"), "EHLO fernpost.test\r\n");
}

}  // namespace
