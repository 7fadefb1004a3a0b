// The mail transaction: every byte the server receives for a plain and a multipart mail, the
// recipient order, refused recipients, and the failures of each step with their log entries.
#include <string>

#include "SmtpTestSupport.h"
#include "message/CSmtpAttachment.h"
#include "message/CSmtpMessage.h"
#include "smtp/SmtpWireText.h"

namespace {

using namespace smtp_test;

// Encoded words of the names used below (ISO-2022-JP, base64).
const std::string SALES_DEPARTMENT = "=?ISO-2022-JP?B?GyRCMUQ2SEl0GyhC?=";         // 営業部
const std::string TANAKA_TARO = "=?ISO-2022-JP?B?GyRCRURDZhsoQiAbJEJCQE86GyhC?=";  // 田中 太郎
const std::string SALES = "=?ISO-2022-JP?B?U2FsZXM=?=";                            // Sales
const std::string MEETING = "=?ISO-2022-JP?B?GyRCMnE1RBsoQg==?=";                  // 会議

const std::string HEADER_TAIL_PLAIN =
    "Date: *\r\nX-Mailer: Vex MAILER v1.0\r\nMIME-Version: 1.0\r\n"
    "Content-type: text/plain; charset=iso-2022-jp\r\n\r\n";
const std::string HEADER_TAIL_MULTIPART =
    "Date: *\r\nX-Mailer: Vex MAILER v1.0\r\nMIME-Version: 1.0\r\n"
    "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n\r\n";

class SendMessageTest : public SmtpTest {
protected:
    // A mail with a Japanese sender, two To, one Cc, one Bcc, a subject and a three-line body.
    void FillMessage() {
        message_.m_Sender = CSmtpAddress("営業部", "sales@example.com");
        message_.AppendRecipient(CSmtpAddress("田中 太郎", "tanaka@example.jp"), RECIPIENT_TO);
        message_.AppendRecipient(CSmtpAddress("", "suzuki@example.jp"), RECIPIENT_TO);
        message_.AppendRecipient(CSmtpAddress("Sales", "cc@example.com"), RECIPIENT_CC);
        message_.AppendRecipient(CSmtpAddress("秘密", "bcc@example.com"), RECIPIENT_BCC);
        message_.m_strSubject = "会議";
        message_.AssignBody("本日は晴天です。\n.hidden dot\n\nｶﾞ end\n");
    }

    // Connects, sends the message, disconnects; the result of SendMessage.
    BOOL Send(const SmtpScript& script) {
        server_ = std::make_unique<ScriptedSmtpServer>(script);
        EXPECT_TRUE(server_->IsListening());
        CSmtpConnection connection;
        EXPECT_TRUE(connection.Connect(SCRIPTED_SERVER_HOST, server_->Port()));
        const BOOL result = connection.SendMessage(message_);
        lastErrorAfterSend_ = GetLastError();
        disconnected_ = connection.Disconnect();
        return result;
    }

    // What the server received between HELO and QUIT, the Date line masked.
    std::string Transaction() {
        std::string received = MaskDateLine(ReceivedAfterClose(*server_));
        const std::string helo = "HELO " + LocalHeloName() + "\r\n";
        EXPECT_EQ(received.compare(0, helo.size(), helo), 0);
        EXPECT_GE(received.size(), helo.size() + 6);
        EXPECT_EQ(received.substr(received.size() - 6), "QUIT\r\n");
        return received.substr(helo.size(), received.size() - helo.size() - 6);
    }

    static std::string Envelope() {
        return "MAIL FROM:<sales@example.com>\r\n"
               "RCPT TO:<tanaka@example.jp>\r\nRCPT TO:<suzuki@example.jp>\r\n"
               "RCPT TO:<cc@example.com>\r\nRCPT TO:<bcc@example.com>\r\n"
               "DATA\r\n";
    }

    static std::string HeaderHead() {
        std::string head = "From: " + SALES_DEPARTMENT + " <sales@example.com>\r\n";
        head += "To: " + TANAKA_TARO + " <tanaka@example.jp>,suzuki@example.jp\r\n";
        head += "Cc: " + SALES + " <cc@example.com>\r\n";
        head += "Subject: " + MEETING + "\r\n";
        return head;
    }

    static std::string Body() {
        return "\x1b$BK\\F|$O@2E7$G$9!#\x1b(B\r\n..hidden dot\r\n\r\n\x1b$B%,\x1b(B end\r\n";
    }

    CSmtpMessage message_;
    std::unique_ptr<ScriptedSmtpServer> server_;
    DWORD lastErrorAfterSend_ = 0;
    BOOL disconnected_ = FALSE;
};

TEST_F(SendMessageTest, PlainMailGoesOutByteForByte) {
    FillMessage();
    EXPECT_TRUE(Send(SmtpScript()));
    EXPECT_TRUE(disconnected_);
    EXPECT_EQ(Transaction(), Envelope() + HeaderHead() + HEADER_TAIL_PLAIN + Body() + "\r\n.\r\n");
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(SendMessageTest, MultipartMailWithTwoAttachmentsGoesOutByteForByte) {
    FillMessage();
    WriteFile("report.pdf", "abc");
    WriteFile("データ.csv", std::string(58, 'x'));
    CSmtpAttachment report, data;
    ASSERT_TRUE(report.LoadFile(dir_.File("report.pdf")));
    ASSERT_TRUE(data.LoadFile(dir_.File("データ.csv")));
    message_.AppendAttachment(&report);
    message_.AppendAttachment(&data);
    EXPECT_TRUE(Send(SmtpScript()));
    const std::string expected =
        Envelope() + HeaderHead() + HEADER_TAIL_MULTIPART +
        "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
        "Content-Transfer-Encoding: 7bit\r\n\r\n" +
        Body() +
        "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=report.pdf\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"=?ISO-2022-JP?B?cmVwb3J0LnBkZg==?=\"\r\n\r\n"
        "YWJj\r\n"
        "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; "
        "name=\x83\x66\x81[\x83^.csv\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; "
        "filename=\"=?ISO-2022-JP?B?GyRCJUchPCU/GyhCLmNzdg==?=\"\r\n\r\n" +
        "eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4\r\n"
        "eA==\r\n"
        "\r\n--#BOUNDARY#--"
        "\r\n.\r\n";
    EXPECT_EQ(Transaction(), expected);
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(SendMessageTest, AttachmentThatFailedToLoadGetsAnEmptyPart) {
    message_.m_Sender = CSmtpAddress("", "sales@example.com");
    message_.AppendRecipient(CSmtpAddress("", "to@example.jp"), RECIPIENT_TO);
    message_.AssignBody("");
    CSmtpAttachment missing;
    ASSERT_FALSE(missing.LoadFile(dir_.File("missing.bin")));
    message_.AppendAttachment(&missing);
    EXPECT_TRUE(Send(SmtpScript()));
    std::string expected =
        "MAIL FROM:<sales@example.com>\r\nRCPT TO:<to@example.jp>\r\nDATA\r\n"
        "From: sales@example.com\r\nTo: to@example.jp\r\nSubject: \r\n";
    expected += HEADER_TAIL_MULTIPART;
    expected +=
        "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=iso-2022-jp\r\n"
        "Content-Transfer-Encoding: 7bit\r\n\r\n"
        "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"\"\r\n\r\n"
        "\r\n--#BOUNDARY#--"
        "\r\n.\r\n";
    EXPECT_EQ(Transaction(), expected);
}

TEST_F(SendMessageTest, RecipientsGoOutToThenCcThenBccInListOrder) {
    message_.m_Sender = CSmtpAddress("", "");
    message_.AppendRecipient(CSmtpAddress("", "bcc1@x"), RECIPIENT_BCC);
    message_.AppendRecipient(CSmtpAddress("", "cc1@x"), RECIPIENT_CC);
    message_.AppendRecipient(CSmtpAddress("", "to1@x"), RECIPIENT_TO);
    message_.AppendRecipient(CSmtpAddress("", "bcc2@x"), RECIPIENT_BCC);
    message_.AppendRecipient(CSmtpAddress("", "to2@x"), RECIPIENT_TO);
    message_.AppendRecipient(CSmtpAddress("", "cc2@x"), RECIPIENT_CC);
    message_.AssignBody("x");
    EXPECT_TRUE(Send(SmtpScript()));
    const std::string transaction = Transaction();
    EXPECT_EQ(transaction.substr(0, transaction.find("DATA\r\n") + 6),
              "MAIL FROM:<>\r\nRCPT TO:<to1@x>\r\nRCPT TO:<to2@x>\r\nRCPT TO:<cc1@x>\r\nRCPT "
              "TO:<cc2@x>\r\n"
              "RCPT TO:<bcc1@x>\r\nRCPT TO:<bcc2@x>\r\nDATA\r\n");
    EXPECT_EQ(transaction.find("bcc", transaction.find("DATA\r\n")), std::string::npos);
}

TEST_F(SendMessageTest,
       RefusedRecipientsAreLoggedWithTheirDisplayNamesAndTheOthersStillGetTheMail) {
    message_.m_Sender = CSmtpAddress("", "sales@example.com");
    message_.AppendRecipient(CSmtpAddress("Ａ", "a@example.jp"), RECIPIENT_TO);
    message_.AppendRecipient(CSmtpAddress("100% 田中 %s", "tanaka@example.jp"), RECIPIENT_TO);
    message_.AppendRecipient(CSmtpAddress("", "c@example.jp"), RECIPIENT_TO);
    message_.AppendRecipient(CSmtpAddress("", "cc@example.jp"), RECIPIENT_CC);
    message_.AppendRecipient(CSmtpAddress("", "bcc@example.jp"), RECIPIENT_BCC);
    message_.AssignBody("body");
    SmtpScript script;
    script.rcptByAddress["tanaka@example.jp"] = ServerAction::Reply("550 5.1.1 no such user\r\n");
    // 251 (will forward) is not the 250 asked for: refused too.
    script.rcptByAddress["bcc@example.jp"] = ServerAction::Reply("251 2.1.5 will forward\r\n");
    EXPECT_TRUE(Send(script));  // the end of data was still answered 250
    const std::string transaction = Transaction();
    EXPECT_EQ(
        transaction.substr(0, transaction.find("DATA\r\n") + 6),
        "MAIL FROM:<sales@example.com>\r\nRCPT TO:<a@example.jp>\r\nRCPT TO:<tanaka@example.jp>\r\n"
        "RCPT TO:<c@example.jp>\r\nRCPT TO:<cc@example.jp>\r\nRCPT "
        "TO:<bcc@example.jp>\r\nDATA\r\n");
    EXPECT_EQ(ErrorLog(),
              ExpectedLog({"SMTPエラー:An unexpected RCPT response was received",
                           "配信不能：以下の受信者にメールを配信できませんでした。\n\r100% 田中 %s",
                           "SMTPエラー:An unexpected RCPT response was received",
                           "配信不能：以下の受信者にメールを配信できませんでした。\n\r"}));
}

TEST_F(SendMessageTest, MailWithoutRecipientsSendsDataAtOnceAndRefusedDataFails) {
    message_.m_Sender = CSmtpAddress("", "sales@example.com");
    message_.AssignBody("body");
    SmtpScript script;
    script.data = ServerAction::Reply("554 5.5.1 no valid recipients\r\n");
    EXPECT_FALSE(Send(script));
    EXPECT_EQ(lastErrorAfterSend_, ERROR_BAD_COMMAND);
    EXPECT_TRUE(disconnected_);
    EXPECT_EQ(Transaction(), "MAIL FROM:<sales@example.com>\r\nDATA\r\n");
    EXPECT_EQ(ErrorLog(), ExpectedLog({"SMTPエラー:An unexpected DATA response was received"}));
}

TEST_F(SendMessageTest, RefusedSenderEndsTheTransaction) {
    FillMessage();
    SmtpScript script;
    script.mail = ServerAction::Reply("553 5.1.8 sender rejected\r\n");
    EXPECT_FALSE(Send(script));
    EXPECT_EQ(lastErrorAfterSend_, ERROR_BAD_COMMAND);
    EXPECT_EQ(Transaction(), "MAIL FROM:<sales@example.com>\r\n");
    EXPECT_EQ(ErrorLog(), ExpectedLog({"SMTPエラー:ReadCommandResponse 250",
                                       "SMTPエラー:An unexpected MAIL response was received"}));
}

TEST_F(SendMessageTest, RefusedEndOfDataFails) {
    FillMessage();
    message_.AssignBody("");
    SmtpScript script;
    script.endOfData = ServerAction::Reply("552 5.3.4 message too big\r\n");
    EXPECT_FALSE(Send(script));
    EXPECT_EQ(lastErrorAfterSend_, ERROR_BAD_COMMAND);
    EXPECT_TRUE(disconnected_);
    // An empty body: the end of data follows the header directly.
    EXPECT_EQ(Transaction(), Envelope() + HeaderHead() + HEADER_TAIL_PLAIN + "\r\n.\r\n");
    EXPECT_EQ(ErrorLog(),
              ExpectedLog({"SMTPエラー:An unexpected end of message response was received"}));
}

}  // namespace
