// A scripted SMTP server for tests: listens on 127.0.0.1 (a port of the test's choosing, 0 for
// an ephemeral one), serves the connections that come one after another in a thread of its
// own, records every byte it receives and answers as its script says. Without changes the
// script is a well-behaved server (220 greeting; 250 to HELO, MAIL and RCPT; 354 to DATA, the
// data read up to its end mark "\r\n.\r\n", then 250; 221 to QUIT, then close); each reply can
// be replaced by any text, several pieces with pauses, silence or a closed connection.
//
// The server stops by itself after its lifetime (60 s unless given) and at the latest when it is
// destroyed; the destructor joins its thread, so no thread outlives the test. Everything the
// server does waits on the network or on its stop signal: it never spins.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Types.h"

// One piece of a reply: sent after a pause of `pauseBeforeMs`.
struct ReplyPiece {
    std::string text;
    DWORD pauseBeforeMs = 0;
};

// What the server does in answer to one command (or to the connection, or to the end of data).
struct ServerAction {
    std::vector<ReplyPiece> pieces;  // sent in order; none: no reply
    bool closeAfter = false;         // close the connection after the pieces
    bool resetOnClose = false;       // ... with a TCP reset instead of an orderly close

    // `text` in one piece ("550 no such user\r\n", a multi-line reply, 300 bytes ...).
    static ServerAction Reply(std::string text);
    // Each text as its own send, `pauseMs` between them (so the client receives them apart).
    static ServerAction Pieces(std::vector<std::string> texts, DWORD pauseMs);
    // Pieces with their own pauses.
    static ServerAction Timed(std::vector<ReplyPiece> pieces);
    // No reply at all; the server goes on reading.
    static ServerAction Silence();
    // The connection is closed instead of replying.
    static ServerAction Close();
    // This action, then the connection closed.
    ServerAction ThenClose() const;
    // This action, then the connection reset (the client's next receive or send fails with
    // ECONNRESET).
    ServerAction ThenReset() const;
};

// The server's answers. A connection gets `greeting`; then each command line (ended by CR LF)
// is answered by the action of its verb (the first four characters, any case); a RCPT whose
// address (between < and >) is in `rcptByAddress` gets that action instead of `rcpt`. A DATA
// answered with a reply that begins with "354" makes the server read the mail data up to the
// end mark "\r\n.\r\n" (everything the client sends in between, a QUIT too, is data) and then
// play `endOfData`.
struct SmtpScript {
    ServerAction greeting = ServerAction::Reply("220 scripted.test ESMTP ready\r\n");
    ServerAction helo = ServerAction::Reply("250 scripted.test\r\n");
    ServerAction mail = ServerAction::Reply("250 2.1.0 sender ok\r\n");
    ServerAction rcpt = ServerAction::Reply("250 2.1.5 recipient ok\r\n");
    std::map<std::string, ServerAction> rcptByAddress;
    ServerAction data = ServerAction::Reply("354 end data with <CR><LF>.<CR><LF>\r\n");
    ServerAction endOfData = ServerAction::Reply("250 2.0.0 queued\r\n");
    ServerAction quit = ServerAction::Reply("221 2.0.0 bye\r\n").ThenClose();
    ServerAction other = ServerAction::Reply("500 5.5.2 command unrecognised\r\n");

    // A server that accepts the connection and never answers anything.
    static SmtpScript Silent();
};

// The address every test server listens on.
inline constexpr const char* SCRIPTED_SERVER_HOST = "127.0.0.1";
// How long a server serves unless told otherwise: longer than any test's conversation (the
// slowest waits two reply time-outs of 5 s), short enough that a forgotten server ends.
inline constexpr DWORD SCRIPTED_SERVER_LIFETIME_MS = 60000;

class ScriptedSmtpServer {
public:
    // Listens on 127.0.0.1:`port` (0: an ephemeral port, see Port()) and starts serving.
    explicit ScriptedSmtpServer(SmtpScript script = SmtpScript(), int port = 0,
                                DWORD lifetimeMs = SCRIPTED_SERVER_LIFETIME_MS);
    // Stops and joins the server thread.
    ~ScriptedSmtpServer();
    ScriptedSmtpServer(const ScriptedSmtpServer&) = delete;
    ScriptedSmtpServer& operator=(const ScriptedSmtpServer&) = delete;

    // False when the port could not be bound; the server then serves nothing.
    bool IsListening() const { return m_nPort != 0; }
    // The port it listens on.
    int Port() const { return m_nPort; }

    // Every byte received so far, from all connections in order.
    std::string Received() const;
    // The data of every mail taken in (everything between the DATA line and the end mark, the
    // mark's CR LF . CR LF excluded), in order.
    std::vector<std::string> MailData() const;
    // Connections that have ended (closed by the client or by the script).
    int ConnectionsEnded() const;
    // Waits until `count` connections have ended; false after `timeoutMs` without that.
    bool WaitForConnectionsEnded(int count, DWORD timeoutMs) const;

    // Stops serving (ends the connection in progress) and joins the thread; idempotent.
    void Stop();

private:
    class Session;

    void Run();
    void ServeConnection(int connection);
    void Record(const char* data, std::size_t length);
    void RecordMailData(std::string data);
    // Waits until `fd` is readable; false when the server stops or its lifetime ends first.
    bool WaitReadable(int fd) const;
    // Pauses `milliseconds`; false when the server is stopping.
    bool Pause(DWORD milliseconds) const;
    DWORD RemainingLifetime() const;

    const SmtpScript m_Script;
    const DWORD m_dwLifetime;
    DWORD m_dwStarted = 0;
    int m_hListen = -1;
    int m_nPort = 0;
    int m_StopPipe[2] = {-1, -1};
    std::thread m_Thread;

    mutable std::mutex m_Mutex;
    mutable std::condition_variable m_Changed;
    std::string m_strReceived;
    std::vector<std::string> m_MailData;
    int m_nConnectionsEnded = 0;
};

// `transcript` with the rest of every line that begins with "Date: " replaced by "*" (its CR LF
// kept), so a transcript with a header can be compared byte for byte.
std::string MaskDateLine(const std::string& transcript);
