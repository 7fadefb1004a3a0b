// The socket wrapper: name lookup choices, connect, send, receive, readability tests, close.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/time.h>
#include <thread>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "platform/LastError.h"
#include "smtp/CSmtpSocket.h"

// Every name lookup of this test executable passes through here, so the tests can see whether
// the wrapper looked a text up and can make a lookup fail without any resolver.
namespace {
int g_lookups = 0;
std::string g_lastLookup;
bool g_failLookups = false;
}  // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
                           struct addrinfo** result) {
    using Real = int (*)(const char*, const char*, const struct addrinfo*, struct addrinfo**);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
    ++g_lookups;
    g_lastLookup = node != nullptr ? node : "";
    if (g_failLookups) return EAI_NONAME;
    return real(node, service, hints, result);
}

namespace {

// A listening socket on 127.0.0.1; connections complete in its backlog, so a test accepts them
// on its own thread after connecting.
class LoopbackListener {
public:
    LoopbackListener() {
        m_hListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_hListen, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            listen(m_hListen, 4) == 0 &&
            getsockname(m_hListen, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            m_nPort = ntohs(address.sin_port);
        }
    }
    ~LoopbackListener() {
        if (m_hPeer >= 0) close(m_hPeer);
        close(m_hListen);
    }
    int Port() const { return m_nPort; }
    int Accept() { return m_hPeer = accept(m_hListen, nullptr, nullptr); }
    // Closes the accepted connection; with `reset`, with an RST instead of an orderly close.
    void ClosePeer(bool reset) {
        if (reset) {
            linger abortive{1, 0};
            setsockopt(m_hPeer, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        }
        close(m_hPeer);
        m_hPeer = -1;
    }
    int Peer() const { return m_hPeer; }

private:
    int m_hListen = -1;
    int m_nPort = 0;
    int m_hPeer = -1;
};

class CSmtpSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_lookups = 0;
        g_lastLookup.clear();
        g_failLookups = false;
        ASSERT_NE(listener_.Port(), 0);
    }
    void TearDown() override { g_failLookups = false; }

    // A created socket connected to the listener, the connection accepted.
    void ConnectToListener() {
        ASSERT_TRUE(socket_.Create());
        ASSERT_TRUE(socket_.Connect("127.0.0.1", listener_.Port()));
        ASSERT_GE(listener_.Accept(), 0);
    }

    LoopbackListener listener_;
    CSmtpSocket socket_;
};

bool IsOpenDescriptor(int fd) { return fd >= 0 && fcntl(fd, F_GETFD) != -1; }

TEST_F(CSmtpSocketTest, DottedAddressConnectsWithoutALookupAndAHostNameIsLookedUp) {
    ConnectToListener();
    EXPECT_EQ(g_lookups, 0);
    CSmtpSocket byName;
    ASSERT_TRUE(byName.Create());
    EXPECT_TRUE(byName.Connect("localhost", listener_.Port()));
    EXPECT_EQ(g_lookups, 1);
    EXPECT_EQ(g_lastLookup, "localhost");
}

TEST_F(CSmtpSocketTest, UnresolvableNameFailsFastWithInvalidArgumentAndKeepsTheHandle) {
    ASSERT_TRUE(socket_.Create());
    const int handle = socket_.Handle();
    SetLastError(0);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(socket_.Connect("no-such-host.invalid", 25));
    EXPECT_LT(TickElapsed(start, GetTickCount()), 3000u);
    EXPECT_EQ(GetLastError(), WSAEINVAL);
    EXPECT_EQ(g_lastLookup, "no-such-host.invalid");
    EXPECT_EQ(socket_.Handle(), handle);
    EXPECT_TRUE(IsOpenDescriptor(handle));
    socket_.Close();
    EXPECT_EQ(socket_.Handle(), INVALID_SOCKET);
    EXPECT_FALSE(IsOpenDescriptor(handle));
}

TEST_F(CSmtpSocketTest, AllOnesAddressIsTakenForAHostName) {
    g_failLookups = true;  // the lookup fails here, so nothing is connected to
    ASSERT_TRUE(socket_.Create());
    EXPECT_FALSE(socket_.Connect("255.255.255.255", 25));
    EXPECT_EQ(g_lookups, 1);
    EXPECT_EQ(g_lastLookup, "255.255.255.255");
    EXPECT_EQ(GetLastError(), WSAEINVAL);
}

TEST_F(CSmtpSocketTest, CreateSetsNoDelay) {
    ASSERT_TRUE(socket_.Create());
    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ASSERT_EQ(getsockopt(socket_.Handle(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length), 0);
    EXPECT_NE(noDelay, 0);
}

TEST_F(CSmtpSocketTest, CloseTwiceAndOnANeverCreatedSocketDoesNothing) {
    CSmtpSocket never;
    never.Close();
    never.Close();
    EXPECT_EQ(never.Handle(), INVALID_SOCKET);
    ConnectToListener();
    socket_.Close();
    socket_.Close();
    EXPECT_EQ(socket_.Handle(), INVALID_SOCKET);
}

TEST_F(CSmtpSocketTest, PollIsNotReadableAtOnceOnAnIdleSocketAndReadableWithZeroBytesAfterClose) {
    ConnectToListener();
    BOOL readable = TRUE;
    const DWORD start = GetTickCount();
    EXPECT_TRUE(socket_.PollReadable(readable));
    EXPECT_FALSE(readable);
    EXPECT_LT(TickElapsed(start, GetTickCount()), 50u);
    listener_.ClosePeer(false);
    EXPECT_TRUE(socket_.WaitReadable(readable, 1000));
    EXPECT_TRUE(socket_.PollReadable(readable));
    EXPECT_TRUE(readable);
    char buffer[16];
    EXPECT_EQ(socket_.Receive(buffer, sizeof buffer), 0);
}

TEST_F(CSmtpSocketTest, SendsBytesAndZeroBytesAndAWaitEndsWhenDataArrivesOrItsTimeHasPassed) {
    ConnectToListener();
    EXPECT_TRUE(socket_.Send("", 0));
    EXPECT_TRUE(socket_.Send(nullptr, 0));
    EXPECT_TRUE(socket_.Send("QUIT\r\n", 6));
    char buffer[16] = {};
    EXPECT_EQ(recv(listener_.Peer(), buffer, sizeof buffer, 0), 6);
    EXPECT_EQ(std::string(buffer, 6), "QUIT\r\n");

    BOOL readable = TRUE;
    DWORD start = GetTickCount();
    EXPECT_TRUE(socket_.WaitReadable(readable, 200));
    EXPECT_FALSE(readable);
    EXPECT_GE(TickElapsed(start, GetTickCount()), 190u);
    ASSERT_EQ(send(listener_.Peer(), "220 x\r\n", 7, 0), 7);
    start = GetTickCount();
    EXPECT_TRUE(socket_.WaitReadable(readable, 5000));
    EXPECT_TRUE(readable);
    EXPECT_LT(TickElapsed(start, GetTickCount()), 1000u);
    EXPECT_EQ(socket_.Receive(buffer, sizeof buffer), 7);
    EXPECT_EQ(std::string(buffer, 7), "220 x\r\n");
}

// Counts the timer signals that interrupted the sends below.
volatile sig_atomic_t g_interruptions = 0;
void CountInterruption(int) { g_interruptions = g_interruptions + 1; }

TEST_F(CSmtpSocketTest, SendInterruptedBySignalsStillSendsEveryByte) {
    constexpr std::size_t kLength = 32u << 20;  // far more than the socket buffers hold
    ConnectToListener();
    std::string data(kLength, '\0');
    for (std::size_t i = 0; i < kLength; ++i) data[i] = static_cast<char>('A' + i % 26);
    std::size_t received = 0;
    bool same = true;
    std::thread reader([&] {
        std::string buffer(4096, '\0');
        for (;;) {
            ssize_t n = recv(listener_.Peer(), buffer.data(), buffer.size(), 0);
            if (n <= 0) break;
            for (ssize_t i = 0; i < n; ++i) same = same && buffer[i] == data[received + i];
            received += static_cast<std::size_t>(n);
            if (received >= kLength) break;
        }
    });
    struct sigaction action {};
    action.sa_handler = CountInterruption;  // no SA_RESTART: a blocked send returns early
    struct sigaction previous {};
    sigaction(SIGALRM, &action, &previous);
    itimerval every{{0, 500}, {0, 500}};
    setitimer(ITIMER_REAL, &every, nullptr);
    BOOL sent = socket_.Send(data.data(), data.size());
    itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &previous, nullptr);
    socket_.Close();  // the reader sees the end even when bytes went missing
    reader.join();
    EXPECT_TRUE(sent);
    EXPECT_GT(g_interruptions, 0);
    EXPECT_EQ(received, kLength);
    EXPECT_TRUE(same);
}

TEST_F(CSmtpSocketTest, SendAfterResetFailsWithConnectionResetAndNoSignal) {
    ConnectToListener();
    listener_.ClosePeer(true);
    BOOL readable = FALSE;
    ASSERT_TRUE(socket_.WaitReadable(readable, 1000));
    // The first send may still be taken by the system; the reset shows at the latest on the next.
    BOOL sent = socket_.Send("MAIL", 4) && socket_.Send("MAIL", 4);
    EXPECT_FALSE(sent);
    EXPECT_EQ(GetLastError(), 10054u);
}

TEST_F(CSmtpSocketTest, OperationsWithoutASocketFailWithBadHandle) {
    BOOL readable = TRUE;
    EXPECT_FALSE(socket_.PollReadable(readable));
    EXPECT_TRUE(readable);              // untouched
    EXPECT_EQ(GetLastError(), 10009u);  // WSAEBADF
    char buffer[4];
    EXPECT_EQ(socket_.Receive(buffer, sizeof buffer), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), 10009u);
    EXPECT_FALSE(socket_.Send("x", 1));
    EXPECT_EQ(GetLastError(), 10009u);
}

}  // namespace
