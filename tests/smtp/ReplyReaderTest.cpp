// The reply reader: completion at the first CR LF, code scanning, buffer growth, NUL bytes,
// failed waits and the wrapping tick counter.
#include <atomic>
#include <string>

#include "SmtpTestSupport.h"
#include "platform/WinsockError.h"

namespace {

using namespace smtp_test;

class ReplyReaderTest : public SmtpTest {
protected:
    // Starts a server whose greeting is `reply` and connects the reader's socket to it.
    void Serve(const ServerAction& reply) {
        SmtpScript script = SmtpScript::Silent();
        script.greeting = reply;
        server_ = std::make_unique<ScriptedSmtpServer>(script);
        ASSERT_TRUE(server_->IsListening());
        ASSERT_TRUE(reader_.ConnectSocketOnly(server_->Port()));
    }

    std::unique_ptr<ScriptedSmtpServer> server_;
    ReaderHarness reader_;
};

TEST_F(ReplyReaderTest, CodeIsScannedFromTheFirstThreeCharacters) {
    struct Case {
        const char* reply;
        int code;
    };
    const Case cases[] = {
        {"25 odd\r\n", 25},
        {" 25 blank first\r\n", 25},
        {"+25 signed\r\n", 25},
        {"-12 negative\r\n", -12},
        {"2501 more digits\r\n", 250},
        {"250-continued\r\n", 250},
        {"7\r\n", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        ReaderHarness reader;
        SmtpScript script = SmtpScript::Silent();
        script.greeting = ServerAction::Reply(c.reply);
        ScriptedSmtpServer server(script);
        ASSERT_TRUE(reader.ConnectSocketOnly(server.Port()));
        EXPECT_TRUE(reader.ReadCommandResponse(c.code));
        EXPECT_EQ(reader.LastReplyCode(), c.code);
    }
}

TEST_F(ReplyReaderTest, LetterLedReplyKeepsThePreviousCode) {
    Serve(ServerAction::Pieces({"220 ready\r\n", "OK fine\r\n", "xyz\r\n"}, 150));
    EXPECT_TRUE(reader_.ReadCommandResponse(220));
    EXPECT_TRUE(reader_.ReadCommandResponse(220));
    EXPECT_EQ(reader_.LastReplyCode(), 220);
    EXPECT_FALSE(reader_.ReadCommandResponse(250));
    EXPECT_EQ(GetLastError(), WSAEPROTONOSUPPORT);
    EXPECT_EQ(reader_.GetLastReply(), "xyz");
}

TEST_F(ReplyReaderTest, OtherCodeFailsWithTheReplyTextWhichSuccessLeavesAsItWas) {
    Serve(ServerAction::Pieces(
        {"abc\r\n", "554 5.7.1 go away\r\n", "251 2.1.5 will forward\r\n", "220 yes\r\n"}, 150));
    EXPECT_FALSE(reader_.ReadCommandResponse(220));  // a first reply without a number
    EXPECT_EQ(GetLastError(), WSAEPROTONOSUPPORT);
    EXPECT_EQ(reader_.GetLastReply(), "abc");
    EXPECT_FALSE(reader_.ReadCommandResponse(220));
    EXPECT_EQ(GetLastError(), WSAEPROTONOSUPPORT);
    EXPECT_EQ(reader_.GetLastReply(), "554 5.7.1 go away");
    EXPECT_FALSE(reader_.ReadCommandResponse(250));  // exact equality: 251 is not 250
    EXPECT_EQ(reader_.GetLastReply(), "251 2.1.5 will forward");
    EXPECT_TRUE(reader_.ReadCommandResponse(220));
    EXPECT_EQ(reader_.GetLastReply(), "251 2.1.5 will forward");
}

TEST_F(ReplyReaderTest, BytesReceivedWithTheFirstLineEndBelongToItsReply) {
    // The reply ends at the first CR LF; whatever came in the same receive is part of its text,
    // of which the last two bytes are cut as the terminator.
    Serve(ServerAction::Pieces(
        {"554-first\r\n554 second\r\n", "554 a\r\nxyz", "220-a\r\n", "220 b\r\n"}, 150));
    EXPECT_FALSE(reader_.ReadCommandResponse(220));
    EXPECT_EQ(reader_.GetLastReply(), "554-first\r\n554 second");
    EXPECT_FALSE(reader_.ReadCommandResponse(220));
    EXPECT_EQ(reader_.GetLastReply(), "554 a\r\nx");
    EXPECT_TRUE(reader_.ReadCommandResponse(220));
    EXPECT_FALSE(reader_.ReadCommandResponse(250));  // the second line is read as the next reply
    EXPECT_EQ(reader_.GetLastReply(), "220 b");
}

TEST_F(ReplyReaderTest, LongReplyGrowsTheBufferAndKeepsEveryByte) {
    std::string reply9000 = "554 ";
    for (int i = 0; reply9000.size() < 8998; ++i) reply9000 += static_cast<char>('a' + i % 26);
    Serve(ServerAction::Reply(reply9000 + "\r\n"));
    EXPECT_FALSE(reader_.ReadCommandResponse(220));
    EXPECT_EQ(reader_.GetLastReply(), reply9000);
}

TEST_F(ReplyReaderTest, ReaderRecordsTheBufferItGrewForTheCaller) {
    Serve(ServerAction::Pieces({"220 short\r\n", "220 " + std::string(296, 'b') + "\r\n"}, 150));
    char buffer[SMTP_REPLY_BUFFER_SIZE];
    char* extra = nullptr;
    EXPECT_TRUE(
        reader_.ReceiveReply(buffer, sizeof buffer, "\r\n", 220, &extra, SMTP_REPLY_GROW_BY));
    EXPECT_EQ(extra, nullptr);
    EXPECT_TRUE(
        reader_.ReceiveReply(buffer, sizeof buffer, "\r\n", 220, &extra, SMTP_REPLY_GROW_BY));
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(std::string(extra, 7), "220 bbb");
    delete[] extra;
}

TEST_F(ReplyReaderTest, NulBytesAreOrdinaryReplyBytes) {
    using namespace std::string_literals;
    Serve(ServerAction::Pieces({"250 a\0b\r\n"s, "554 c\0d\r\n"s}, 150));
    EXPECT_TRUE(reader_.ReadCommandResponse(250));
    EXPECT_FALSE(reader_.ReadCommandResponse(250));
    EXPECT_EQ(reader_.GetLastReply(), "554 c\0d"s);
}

TEST_F(ReplyReaderTest, ResetConnectionFailsWithTheSocketErrorAndKeepsThePartialText) {
    Serve(ServerAction::Timed({{"220 partial", 0}, {"", 200}}).ThenReset());
    EXPECT_FALSE(reader_.ReadCommandResponse(220));
    EXPECT_EQ(GetLastError(), WSAECONNRESET);
    EXPECT_EQ(reader_.GetLastReply(), "220 partial");
}

TEST_F(ReplyReaderTest, EndlessReplyLineIsNotFollowedPastAMegabyte) {
    Serve(ServerAction::Reply(std::string(1100000, 'x')));
    EXPECT_FALSE(reader_.ReadCommandResponse(220));
    EXPECT_EQ(GetLastError(), WSAEMSGSIZE);
    EXPECT_GT(reader_.GetLastReply().size(), 1000000u);
    EXPECT_LE(reader_.GetLastReply().size(), static_cast<std::size_t>(SMTP_REPLY_MAX_BUFFER_SIZE));
}

TEST_F(ReplyReaderTest, UnusableArgumentsFailWithoutReading) {
    Serve(ServerAction::Reply("220 ready\r\n"));
    char buffer[4];
    char* extra = nullptr;
    EXPECT_FALSE(reader_.ReceiveReply(buffer, 0, "\r\n", 220, &extra, SMTP_REPLY_GROW_BY));
    EXPECT_EQ(GetLastError(), WSAEINVAL);
    EXPECT_FALSE(reader_.ReceiveReply(buffer, sizeof buffer, "", 220, &extra, SMTP_REPLY_GROW_BY));
    EXPECT_FALSE(reader_.ReceiveReply(buffer, sizeof buffer, "\r\n", 220, &extra, 0));
    EXPECT_TRUE(reader_.ReadCommandResponse(220));
}

// A tick counter that starts 2500 ms before its wrap and advances 2500 ms at every reading.
std::atomic<unsigned> g_tickReadings{0};
DWORD TicksAcrossTheWrap() {
    constexpr DWORD STEP = 2500;
    return static_cast<DWORD>(0u - STEP) + STEP * g_tickReadings++;
}

TEST_F(ReplyReaderTest, WrapOfTheTickCounterNeverEndsAWaitEarly) {
    Serve(ServerAction::Silence());
    g_tickReadings = 0;
    SetTickSource(&TicksAcrossTheWrap);
    const long started = ProcessCpuMilliseconds();
    timespec before{}, after{};
    clock_gettime(CLOCK_MONOTONIC, &before);
    EXPECT_FALSE(reader_.ReadCommandResponse(220));
    clock_gettime(CLOCK_MONOTONIC, &after);
    SetTickSource(nullptr);
    EXPECT_EQ(GetLastError(), WSAETIMEDOUT);
    // Readings: the start (-2500), then 0 (2500 elapsed), 2500 (5000, not more than the time-out)
    // and 5000 (7500): the wait ends at the fourth reading, after two full passes.
    EXPECT_EQ(g_tickReadings.load(), 4u);
    const long waitedMs =
        (after.tv_sec - before.tv_sec) * 1000L + (after.tv_nsec - before.tv_nsec) / 1000000L;
    EXPECT_GE(waitedMs, 2 * static_cast<long>(SMTP_REPLY_POLL_INTERVAL_MS) - 10);
    EXPECT_LT(ProcessCpuMilliseconds() - started, 200);
}

}  // namespace
