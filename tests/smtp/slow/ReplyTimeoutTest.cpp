// Reply waits that run into the 5-second time-out: a silent server, a closed connection, a reply
// whose last line never comes, and a server that trickles its reply byte by byte for longer than
// the time-out.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/Clock.h"
#include "platform/LastError.h"
#include "support/ScriptedSmtpServer.h"

namespace {

TEST(ReplyTimeoutTest, SilentAndClosedServersTimeOutWithoutSpinning) {
    for (const char* greeting : {"", "{close}", "220-first line of more\r\n"}) {
        ScriptedSmtpServer server({{"greeting", greeting}});
        Probe probe;
        ASSERT_TRUE(probe.Open());
        DWORD start = GetTickCount();
        std::clock_t cpu = std::clock();
        EXPECT_FALSE(probe.ReadCommandResponse(220));
        EXPECT_EQ(GetLastError(), WSAETIMEDOUT);
        EXPECT_GT(GetTickCount() - start, SMTP_REPLY_TIMEOUT_MS);
        EXPECT_LT(GetTickCount() - start,
                  SMTP_REPLY_TIMEOUT_MS + SMTP_REPLY_POLL_INTERVAL_MS + 500);
        EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 10) << "the wait must pause, not spin";
    }
}

TEST(ReplyTimeoutTest, EveryReceivedByteRestartsTheWait) {
    std::string trickle = "220 ";
    for (int i = 0; i < 20; ++i) trickle += "x{wait}";  // 6 s in all, never 5 s without a byte
    ScriptedSmtpServer server({{"greeting", trickle + "\r\n"}});
    Probe probe;
    ASSERT_TRUE(probe.Open());
    EXPECT_TRUE(probe.ReadCommandResponse(220));
}

}  // namespace
