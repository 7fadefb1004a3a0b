// The reply wait against servers that take their time: silent, gone, slow, or still collecting
// mail data. Each of these waits the full reply time-out of 5 seconds at least once.
#include <string>
#include <vector>

#include "../SmtpTestSupport.h"
#include "message/CSmtpAttachment.h"
#include "message/CSmtpMessage.h"
#include "smtp/SmtpWireText.h"

namespace {

using namespace smtp_test;

// The longest a timed-out wait may take: the time-out, one more pause, and some slack.
constexpr long WAIT_LIMIT_MS = SMTP_REPLY_TIMEOUT_MS + SMTP_REPLY_POLL_INTERVAL_MS + 400;

const std::string QUIT_EXCHANGE_FAILED[] = {"SMTPエラー:ReadCommandResponse 221",
                                            "An unexpected QUIT response was received"};

// A connection that records the result, the last error and the duration of every reply wait.
class TimedConnection : public CSmtpConnection {
public:
    struct Wait {
        BOOL result;
        DWORD lastError;
        long milliseconds;
    };
    BOOL ReadCommandResponse(int expectedCode) override {
        const long start = MonotonicMilliseconds();
        const BOOL result = CSmtpConnection::ReadCommandResponse(expectedCode);
        waits.push_back({result, GetLastError(), MonotonicMilliseconds() - start});
        return result;
    }
    std::vector<Wait> waits;
};

class ReplyTimeoutTest : public SmtpTest {
protected:
    // Expects `wait` to have failed with the time-out a little more than 5 seconds after it began.
    static void ExpectTimedOut(const TimedConnection::Wait& wait) {
        EXPECT_FALSE(wait.result);
        EXPECT_EQ(wait.lastError, WSAETIMEDOUT);
        EXPECT_GT(wait.milliseconds, static_cast<long>(SMTP_REPLY_TIMEOUT_MS));
        EXPECT_LE(wait.milliseconds, WAIT_LIMIT_MS);
    }
};

TEST_F(ReplyTimeoutTest, SilentServerTimesOutEachWaitAfterFiveSeconds) {
    ScriptedSmtpServer server(SmtpScript::Silent());
    TimedConnection connection;
    EXPECT_FALSE(connection.Connect(SCRIPTED_SERVER_HOST, server.Port()));
    // The greeting wait and the QUIT wait each time out.
    ASSERT_EQ(connection.waits.size(), 2u);
    ExpectTimedOut(connection.waits[0]);
    ExpectTimedOut(connection.waits[1]);
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
    EXPECT_EQ(connection.GetLastReply(), "");
    EXPECT_EQ(ErrorLog(), ExpectedLog({"SMTPエラー:ReadCommandResponse 220",
                                       "SMTPエラー:An unexpected SMTP login response was received",
                                       QUIT_EXCHANGE_FAILED[0], QUIT_EXCHANGE_FAILED[1]}));
    EXPECT_EQ(ReceivedAfterClose(server), "QUIT\r\n");
}

TEST_F(ReplyTimeoutTest, ServerThatClosesIsWaitedForWithoutSpinning) {
    SmtpScript script;
    script.greeting = ServerAction::Timed({{"220 partial", 0}}).ThenClose();
    ScriptedSmtpServer server(script);
    TimedConnection connection;
    const long cpuStart = ProcessCpuMilliseconds();
    EXPECT_FALSE(connection.Connect(SCRIPTED_SERVER_HOST, server.Port()));
    const long cpuUsed = ProcessCpuMilliseconds() - cpuStart;
    // The greeting wait runs to the time-out counted from the last byte received; the QUIT
    // wait then fails as the connection is gone (reset, or closed and timed out).
    ASSERT_EQ(connection.waits.size(), 2u);
    ExpectTimedOut(connection.waits[0]);
    EXPECT_FALSE(connection.waits[1].result);
    EXPECT_LE(connection.waits[1].milliseconds, WAIT_LIMIT_MS);
    // A wait that spun on the closed connection would use about as much CPU time as it waited.
    EXPECT_LT(cpuUsed, 300) << "CPU time used while waiting " << connection.waits[0].milliseconds
                            << " ms";
    EXPECT_EQ(connection.GetLastReply(), "");
    EXPECT_EQ(ErrorLog(), ExpectedLog({"SMTPエラー:ReadCommandResponse 220",
                                       "SMTPエラー:An unexpected SMTP login response was received",
                                       QUIT_EXCHANGE_FAILED[0], QUIT_EXCHANGE_FAILED[1]}));
}

TEST_F(ReplyTimeoutTest, ServerSendingAByteEveryFourSecondsIsWaitedFor) {
    SmtpScript script;
    script.greeting = ServerAction::Timed({{"2", 0}, {"2", 4000}, {"0 slow but steady\r\n", 4000}});
    ScriptedSmtpServer server(script);
    CSmtpConnection connection;
    const long start = MonotonicMilliseconds();
    EXPECT_TRUE(connection.Connect(SCRIPTED_SERVER_HOST, server.Port()));
    EXPECT_GE(MonotonicMilliseconds() - start, 8000);
    EXPECT_TRUE(connection.Disconnect());
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(ReplyTimeoutTest, FailureAfterDataSendsNoEndOfDataAndTheQuitWaitTimesOut) {
    WriteFile("a.bin", "abc");
    CSmtpAttachment unreadable;
    ASSERT_TRUE(unreadable.LoadFile(dir_.File("a.bin")));
    // Its base64 text lies where nothing can be read, so its send fails on a live connection.
    unreadable.m_pBase64.reset();
    unreadable.m_nBase64Length = 16;
    CSmtpMessage message;
    message.m_Sender = CSmtpAddress("", "s@example.jp");
    message.AppendRecipient(CSmtpAddress("", "t@example.jp"), RECIPIENT_TO);
    message.AssignBody("body\n");
    message.AppendAttachment(&unreadable);

    ScriptedSmtpServer server{SmtpScript()};
    CSmtpConnection connection;
    ASSERT_TRUE(connection.Connect(SCRIPTED_SERVER_HOST, server.Port()));
    EXPECT_FALSE(connection.SendMessage(message));
    EXPECT_EQ(GetLastError(), 10014u);  // WSAEFAULT
    const long start = MonotonicMilliseconds();
    EXPECT_FALSE(connection.Disconnect());  // the server takes QUIT for mail data
    EXPECT_GE(MonotonicMilliseconds() - start, static_cast<long>(SMTP_REPLY_TIMEOUT_MS));
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
    EXPECT_EQ(ErrorLog(), ExpectedLog({"SMTPエラー(10014):Failed in call to send the attachment",
                                       QUIT_EXCHANGE_FAILED[0], QUIT_EXCHANGE_FAILED[1]}));
    const std::string received = MaskDateLine(ReceivedAfterClose(server));
    const std::string tail =
        "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
        "Content-Transfer-Encoding: 7bit\r\n\r\n"
        "body\r\n"
        "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=a.bin\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"=?ISO-2022-JP?B?YS5iaW4=?=\"\r\n\r\n"
        "QUIT\r\n";
    ASSERT_GE(received.size(), tail.size());
    EXPECT_EQ(received.substr(received.size() - tail.size()), tail);
    EXPECT_EQ(received.find("\r\n.\r\n"), std::string::npos);
}

}  // namespace
