// The send driver: results, its own log entries, and the attachment slots.
#include <gtest/gtest.h>

#include <string>

#include "job/CMail.h"
#include "support/LogText.h"
#include "support/MailText.h"
#include "support/ScriptedSmtpServer.h"

namespace {

constexpr DWORD kServerWaitMs = 10000;

// A mail request on a platform whose socket layer cannot start.
class CMailWithoutSockets : public CMail {
protected:
    BOOL StartSocketLayer() override { return FALSE; }
};

class CMailTest : public FixedClockLogTest {
protected:
    void Fill(CMail& mail) {
        mail.SetServer("127.0.0.1");
        mail.SetFromName("");
        mail.SetFromAddress("batch");
        mail.SetTo("ops");
        mail.SetBody("line\n");
    }
};

TEST_F(CMailTest, SocketLayerThatCannotStartIsLoggedAndNothingConnects) {
    ScriptedSmtpServer server(SmtpScript(), SMTP_PORT);
    ASSERT_TRUE(server.IsListening());
    CMailWithoutSockets mail;
    Fill(mail);
    EXPECT_EQ(mail.SendMail(), FALSE);
    server.Stop();
    EXPECT_EQ(server.Received(), "");
    EXPECT_EQ(ErrorLog(),
              ExpectedLog({"Error:CMail::SendMail AfxSocketInit()",
                           "SMTP サーバ接続に失敗しました。\n\rSocketの初期化に失敗しました。"}));
}

TEST_F(CMailTest, ResultFollowsTheEndOfDataReply) {
    struct Case {
        const char* endOfData;
        BOOL expected;
    };
    const Case cases[] = {{"250 ok\r\n", TRUE}, {"451 later\r\n", FALSE}};
    for (const Case& c : cases) {
        SmtpScript script;
        script.endOfData = ServerAction::Reply(c.endOfData);
        ScriptedSmtpServer server(script, SMTP_PORT);
        CMail mail;
        Fill(mail);
        EXPECT_EQ(mail.SendMail(), c.expected) << c.endOfData;
        EXPECT_TRUE(server.WaitForConnectionsEnded(1, kServerWaitMs));
        std::string received = server.Received();
        EXPECT_EQ(received.substr(received.size() - 6), "QUIT\r\n") << "QUIT is sent in both cases";
    }
}

TEST_F(CMailTest, PathsBeyondTheMostAttachmentsAreIgnored) {
    WriteFile("a.bin", "abc");
    CMail mail;
    Fill(mail);
    for (int i = 0; i < 200; ++i) mail.AddAttachment("a.bin");
    ScriptedSmtpServer server(SmtpScript(), SMTP_PORT);
    EXPECT_EQ(mail.SendMail(), TRUE);
    EXPECT_TRUE(server.WaitForConnectionsEnded(1, kServerWaitMs));
    EXPECT_EQ(CountAttachmentParts(server.Received()), 128);
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(CMailTest, EmptyRecipientTextsAreNotParsed) {
    CMail mail;
    Fill(mail);
    mail.SetTo("");
    mail.SetCc("");
    ScriptedSmtpServer server(SmtpScript(), SMTP_PORT);
    EXPECT_EQ(mail.SendMail(), TRUE);
    EXPECT_TRUE(server.WaitForConnectionsEnded(1, kServerWaitMs));
    std::string received = server.Received();
    EXPECT_NE(received.find("MAIL FROM:<batch>\r\nDATA\r\n"), std::string::npos) << received;
    EXPECT_NE(received.find("\r\nTo: \r\nSubject: \r\n"), std::string::npos) << received;
}

}  // namespace
