// Reply waits that run into the 5-second time-out, without spinning: a silent server, a closed
// connection, a reply whose last line never comes; and a server that trickles its reply byte by
// byte for longer than the time-out, whose every byte restarts the wait.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/Clock.h"
#include "platform/LastError.h"
#include "support/ScriptedSmtpServer.h"

namespace {

TEST(ReplyTimeoutTest, SilentServersTimeOutAndEveryByteRestartsTheWait) {
    std::string trickle = "220 ";
    for (int i = 0; i < 20; ++i) trickle += "x{wait}";  // 6 s in all, never 5 s without a byte
    for (const std::string& greeting : {std::string(), std::string("{close}"),
                                        std::string("220-first line of more\r\n"), trickle}) {
        const bool trickles = greeting == trickle;
        ScriptedSmtpServer server({{"greeting", greeting + (trickles ? "\r\n" : "")}});
        Probe probe;
        ASSERT_TRUE(probe.Open());
        const DWORD start = GetTickCount();
        const std::clock_t cpu = std::clock();
        SetLastError(0);
        EXPECT_EQ(probe.ReadCommandResponse(220), trickles);
        EXPECT_EQ(GetLastError(), trickles ? 0u : DWORD(WSAETIMEDOUT));
        EXPECT_GT(GetTickCount() - start, SMTP_REPLY_TIMEOUT_MS);
        EXPECT_TRUE(trickles || GetTickCount() - start <
                                    SMTP_REPLY_TIMEOUT_MS + SMTP_REPLY_POLL_INTERVAL_MS + 500);
        EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 10) << "the wait must pause, not spin";
    }
}

}  // namespace
