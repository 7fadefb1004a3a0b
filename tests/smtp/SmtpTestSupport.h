// Shared pieces of the SMTP client tests: a fixture that runs in a temporary current directory
// with a fixed log time, the expected error log built from entry texts, and a connection whose
// socket can be connected without the session frame, to drive the reply reader alone.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <initializer_list>
#include <string>

#include "logging/ErrorLog.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "smtp/CSmtpConnection.h"
#include "support/FixedClock.h"
#include "support/ScriptedSmtpServer.h"
#include "support/TempDir.h"

namespace smtp_test {

// The stamp every log entry gets under SmtpTest.
inline constexpr const char* STAMP = "[26/01/05 07:08:09] ";

// The error log file holding `entries`, each stamped and ended by a line feed.
inline std::string ExpectedLog(std::initializer_list<std::string> entries) {
    std::string log;
    for (const std::string& entry : entries) log += STAMP + entry + "\n";
    return log;
}

// CPU time the whole process has used, in milliseconds.
inline long ProcessCpuMilliseconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return used.tv_sec * 1000L + used.tv_nsec / 1000000L;
}

class SmtpTest : public ::testing::Test {
protected:
    void SetUp() override { SetLocalTimeSource(&FixedMoment); }
    void TearDown() override {
        SetLocalTimeSource(nullptr);
        SetTickSource(nullptr);
    }

    // The error log written so far ("" when nothing was written).
    std::string ErrorLog() const {
        return ReadFile(std::string(ERROR_LOG_DIRECTORY) + "/" + ERROR_LOG_FILE);
    }

    // What the server received once the client's connection has ended.
    static std::string ReceivedAfterClose(const ScriptedSmtpServer& server) {
        EXPECT_TRUE(server.WaitForConnectionsEnded(1, 10000));
        return server.Received();
    }

    ScopedTempDir dir_{true};
};

// A connection whose socket is connected directly, so the reply reader can be driven without
// the greeting and HELO of Connect; its session stays closed, so it sends no QUIT.
class ReaderHarness : public CSmtpConnection {
public:
    BOOL ConnectSocketOnly(int port) {
        return m_SMTP.Create() && m_SMTP.Connect(SCRIPTED_SERVER_HOST, port);
    }
    BOOL Send(const std::string& text) { return m_SMTP.Send(text.data(), text.size()); }
    int LastReplyCode() const { return m_nLastReplyCode; }
};

}  // namespace smtp_test
