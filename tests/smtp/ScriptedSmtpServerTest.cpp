// The scripted test server itself: the port it is given, its lifetime, and stopping promptly.
#include <string>
#include <vector>

#include "SmtpTestSupport.h"
#include "smtp/CSmtpSocket.h"

namespace {

using smtp_test::MonotonicMilliseconds;

// Reads from `socket` until the server closes the connection; everything read.
std::string ReadToClose(CSmtpSocket& socket) {
    std::string text;
    char buffer[256];
    BOOL readable = FALSE;
    while (socket.WaitReadable(readable, 5000) && readable) {
        int count = socket.Receive(buffer, sizeof buffer);
        if (count <= 0) break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

TEST(ScriptedSmtpServerTest, ListensOnTheSmtpPortWhenAskedAndTakesQuitInsideMailDataAsData) {
    ScriptedSmtpServer server(SmtpScript(), 25);
    ASSERT_TRUE(server.IsListening());
    EXPECT_EQ(server.Port(), 25);
    CSmtpSocket socket;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(SCRIPTED_SERVER_HOST, 25));
    const std::string session = "EHLO x\r\nNOOP\r\nDATA\r\nQUIT\r\n.\r\nDATA\r\n.\r\nQUIT\r\n";
    ASSERT_TRUE(socket.Send(session.data(), session.size()));
    EXPECT_EQ(
        ReadToClose(socket),
        "220 scripted.test ESMTP ready\r\n250 scripted.test\r\n500 5.5.2 command unrecognised\r\n"
        "354 end data with <CR><LF>.<CR><LF>\r\n250 2.0.0 queued\r\n"
        "354 end data with <CR><LF>.<CR><LF>\r\n250 2.0.0 queued\r\n221 2.0.0 bye\r\n");
    EXPECT_TRUE(server.WaitForConnectionsEnded(1, 5000));
    EXPECT_EQ(server.Received(), session);
    EXPECT_EQ(server.MailData(), (std::vector<std::string>{"QUIT", ""}));
}

TEST(ScriptedSmtpServerTest, StopsByItselfAfterItsLifetime) {
    const long start = MonotonicMilliseconds();
    ScriptedSmtpServer server(SmtpScript::Silent(), 0, 300);
    CSmtpSocket socket;
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.Connect(SCRIPTED_SERVER_HOST, server.Port()));
    EXPECT_EQ(ReadToClose(socket), "");  // closed by the server when its lifetime ended
    EXPECT_TRUE(server.WaitForConnectionsEnded(1, 1000));
    EXPECT_LT(MonotonicMilliseconds() - start, 2000);
}

TEST(ScriptedSmtpServerTest, DestructionEndsAPauseAtOnce) {
    SmtpScript script;
    script.greeting = ServerAction::Timed({{"220 much later\r\n", 60000}});
    const long start = MonotonicMilliseconds();
    {
        ScriptedSmtpServer server(script);
        CSmtpSocket socket;
        ASSERT_TRUE(socket.Create());
        ASSERT_TRUE(socket.Connect(SCRIPTED_SERVER_HOST, server.Port()));
        BOOL readable = TRUE;
        EXPECT_TRUE(socket.WaitReadable(readable, 100));
        EXPECT_FALSE(readable);
    }
    EXPECT_LT(MonotonicMilliseconds() - start, 1000);
}

TEST(ScriptedSmtpServerTest, MaskDateLineHidesOnlyTheDateValue) {
    EXPECT_EQ(MaskDateLine(
                  "Subject: x\r\nDate: Mon, 05 Jan 2026 07:08:09 +0900\r\nX-Mailer: y\r\n\r\nbody"),
              "Subject: x\r\nDate: *\r\nX-Mailer: y\r\n\r\nbody");
    EXPECT_EQ(MaskDateLine("no date\r\n"), "no date\r\n");
}

}  // namespace
