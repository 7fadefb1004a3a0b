// Shared pieces of the SMTP client tests: a fixture that runs in a temporary current directory
// with a fixed log time, clocks for timing waits, and a connection whose socket can be connected
// without the session frame, to drive the reply reader alone.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/Clock.h"
#include "platform/LastError.h"
#include "smtp/CSmtpConnection.h"
#include "support/LogText.h"
#include "support/ScriptedSmtpServer.h"

namespace smtp_test {

// CPU time the whole process has used, in milliseconds.
inline long ProcessCpuMilliseconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return used.tv_sec * 1000L + used.tv_nsec / 1000000L;
}

// Wall-clock milliseconds since an arbitrary start, independent of the injectable tick counter.
inline long MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

class SmtpTest : public FixedClockLogTest {
protected:
    void TearDown() override { SetTickSource(nullptr); }

    // What the server received once the client's connection has ended.
    static std::string ReceivedAfterClose(const ScriptedSmtpServer& server) {
        EXPECT_TRUE(server.WaitForConnectionsEnded(1, 10000));
        return server.Received();
    }
};

// A connection whose socket is connected directly, so the reply reader can be driven without
// the greeting and HELO of Connect; its session stays closed, so it sends no QUIT.
class ReaderHarness : public CSmtpConnection {
public:
    BOOL ConnectSocketOnly(int port) {
        return m_SMTP.Create() && m_SMTP.Connect(SCRIPTED_SERVER_HOST, port);
    }
    int LastReplyCode() const { return m_nLastReplyCode; }
};

}  // namespace smtp_test
