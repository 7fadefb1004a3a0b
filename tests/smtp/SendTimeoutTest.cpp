// A server that stops reading: the send fails after the send time-out instead of blocking the
// run for ever.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "platform/LastError.h"
#include "smtp/CSmtpSocket.h"

namespace {

TEST(SendTimeoutTest, ServerThatTakesNoDataFailsTheSendWithTimedOut) {
    constexpr DWORD kTimeoutMs = 300;
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

    CSmtpSocket socket;
    socket.SetSendTimeout(kTimeoutMs);
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect("127.0.0.1", ntohs(address.sin_port)));
    int peer = accept(listener, nullptr, nullptr);  // accepted, and never read
    ASSERT_GE(peer, 0);

    const std::string data(64u << 20, 'x');  // far more than both socket buffers hold
    DWORD start = GetTickCount();
    EXPECT_FALSE(socket.Send(data.data(), data.size()));
    DWORD elapsed = TickElapsed(start, GetTickCount());
    EXPECT_EQ(GetLastError(), WSAETIMEDOUT);
    EXPECT_GE(elapsed, kTimeoutMs);
    EXPECT_LT(elapsed, 10 * kTimeoutMs);
    close(peer);
    close(listener);
}

}  // namespace
