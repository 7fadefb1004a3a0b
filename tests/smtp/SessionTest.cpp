// The session frame: connect, greeting, HELO, QUIT, and the error-log entries of each failure.
#include <string>

#include "SmtpTestSupport.h"
#include "smtp/SmtpWireText.h"

namespace {

using namespace smtp_test;

class SessionTest : public SmtpTest {
protected:
    // Runs Connect against a server playing `script`; server and connection outlive the call.
    BOOL ConnectTo(const SmtpScript& script) {
        server_ = std::make_unique<ScriptedSmtpServer>(script);
        EXPECT_TRUE(server_->IsListening());
        return connection_.Connect(SCRIPTED_SERVER_HOST, server_->Port());
    }

    static std::string Helo() { return "HELO " + LocalHeloName() + "\r\n"; }

    std::unique_ptr<ScriptedSmtpServer> server_;
    CSmtpConnection connection_;
};

TEST_F(SessionTest, WellBehavedServerOpensAndClosesTheSession) {
    ASSERT_TRUE(ConnectTo(SmtpScript()));
    EXPECT_TRUE(connection_.Disconnect());
    EXPECT_EQ(ReceivedAfterClose(*server_), Helo() + "QUIT\r\n");
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_EQ(connection_.GetLastReply(), "");
}

TEST_F(SessionTest, GreetingOtherThan220IsLoggedThenQuitIsSent) {
    SmtpScript script;
    script.greeting = ServerAction::Reply("554 5.3.2 no service\r\n");
    EXPECT_FALSE(ConnectTo(script));
    EXPECT_EQ(GetLastError(), WSAEPROTONOSUPPORT);  // QUIT was answered 221
    EXPECT_EQ(connection_.GetLastReply(), "554 5.3.2 no service");
    EXPECT_EQ(ReceivedAfterClose(*server_), "QUIT\r\n");
    EXPECT_EQ(ErrorLog(),
              ExpectedLog({"SMTPエラー:ReadCommandResponse 220",
                           "SMTPエラー:An unexpected SMTP login response was received"}));
    EXPECT_FALSE(connection_.Disconnect());  // already disconnected
}

TEST_F(SessionTest, RefusedHeloLogsTheQuitExchangeFirst) {
    SmtpScript script;
    script.helo = ServerAction::Reply("501 5.5.4 bad name\r\n");
    script.quit = ServerAction::Reply("250 not quite\r\n").ThenClose();
    EXPECT_FALSE(ConnectTo(script));
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
    EXPECT_EQ(connection_.GetLastReply(), "250 not quite");
    EXPECT_EQ(ReceivedAfterClose(*server_), Helo() + "QUIT\r\n");
    EXPECT_EQ(ErrorLog(), ExpectedLog({"SMTPエラー:ReadCommandResponse 221",
                                       "An unexpected QUIT response was received",
                                       "SMTPエラー:ReadCommandResponse 250",
                                       "SMTPエラー:An unexpected HELO response was received"}));
}

TEST_F(SessionTest, QuitAnsweredOtherThan221FailsWithBadCommand) {
    SmtpScript script;
    script.quit = ServerAction::Reply("500 what\r\n").ThenClose();
    ASSERT_TRUE(ConnectTo(script));
    EXPECT_FALSE(connection_.Disconnect());
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
    EXPECT_EQ(ErrorLog(), ExpectedLog({"SMTPエラー:ReadCommandResponse 221",
                                       "An unexpected QUIT response was received"}));
}

TEST_F(SessionTest, SecondDisconnectIsLoggedAndLeavesTheLastError) {
    ASSERT_TRUE(ConnectTo(SmtpScript()));
    EXPECT_TRUE(connection_.Disconnect());
    SetLastError(12345);
    EXPECT_FALSE(connection_.Disconnect());
    EXPECT_EQ(GetLastError(), 12345u);
    EXPECT_EQ(ErrorLog(), ExpectedLog({"Already disconnected from SMTP server"}));
    EXPECT_EQ(ReceivedAfterClose(*server_), Helo() + "QUIT\r\n");
}

TEST_F(SessionTest, DestructorQuitsAnOpenSession) {
    server_ = std::make_unique<ScriptedSmtpServer>(SmtpScript());
    {
        CSmtpConnection connection;
        ASSERT_TRUE(connection.Connect(SCRIPTED_SERVER_HOST, server_->Port()));
    }
    EXPECT_EQ(ReceivedAfterClose(*server_), Helo() + "QUIT\r\n");
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(SessionTest, RepliesInPiecesAndLongRepliesAreAccepted) {
    SmtpScript script;
    script.greeting = ServerAction::Reply("220 " + std::string(294, 'g') + "\r\n");
    script.helo = ServerAction::Pieces({"25", "0 OK\r\n"}, 150);
    ASSERT_TRUE(ConnectTo(script));
    EXPECT_TRUE(connection_.Disconnect());
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(SessionTest, TwoLineGreetingInOnePieceIsOneReply) {
    SmtpScript script;
    script.greeting = ServerAction::Reply("220-scripted.test first line\r\n220 second line\r\n");
    ASSERT_TRUE(ConnectTo(script));
    EXPECT_TRUE(connection_.Disconnect());
    EXPECT_EQ(ReceivedAfterClose(*server_), Helo() + "QUIT\r\n");
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(SessionTest, TwoLineGreetingInTwoPiecesAnswersHeloWithItsSecondLine) {
    SmtpScript script;
    script.greeting =
        ServerAction::Pieces({"220-scripted.test first line\r\n", "220 second line\r\n"}, 200);
    // The real HELO reply comes later and is taken for the QUIT reply.
    script.helo = ServerAction::Timed({{"250 scripted.test\r\n", 200}});
    script.quit = ServerAction::Timed({{"221 bye\r\n", 200}}).ThenClose();
    EXPECT_FALSE(ConnectTo(script));
    EXPECT_EQ(ErrorLog(), ExpectedLog({"SMTPエラー:ReadCommandResponse 221",
                                       "An unexpected QUIT response was received",
                                       "SMTPエラー:ReadCommandResponse 250",
                                       "SMTPエラー:An unexpected HELO response was received"}));
    EXPECT_EQ(connection_.GetLastReply(), "250 scripted.test");
    EXPECT_EQ(ReceivedAfterClose(*server_), Helo() + "QUIT\r\n");
}

TEST_F(SessionTest, FailedConnectIsLoggedWithItsWinsockNumberAndLeavesNothingToDisconnect) {
    int closedPort;
    {
        ScriptedSmtpServer closed;  // its port is free again once it is gone
        closedPort = closed.Port();
    }
    const struct {
        std::string host;
        int port;
        DWORD error;
    } cases[] = {
        {"mail.fernpost.invalid", 25, WSAEINVAL},
        {SCRIPTED_SERVER_HOST, closedPort, 10061},  // WSAECONNREFUSED
    };
    std::string expectedLog;
    for (const auto& c : cases) {
        CSmtpConnection connection;
        EXPECT_FALSE(connection.Connect(c.host.c_str(), c.port));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_FALSE(connection.Disconnect());  // never connected: no QUIT
        expectedLog += ExpectedLog({"SMTPエラー:m_SMTP.Connect[" + std::to_string(c.error) +
                                        "] Could not connect to the SMTP server " + c.host +
                                        " on port " + std::to_string(c.port),
                                    "Already disconnected from SMTP server"});
    }
    EXPECT_EQ(ErrorLog(), expectedLog);
}

}  // namespace
