// A scripted SMTP server on 127.0.0.1:25 of the test's private network: it serves one connection
// in a thread of its own, records every byte received and answers as its script says.
#pragma once

#include <map>
#include <string>
#include <thread>

#include "smtp/CSmtpConnection.h"

// Each command's reply, keyed by its line ("RCPT TO:<b>"), else verb ("HELO"...), else "other";
// "greeting" answers the connection, "." the data's end (read after a "354"). In a reply "{wait}"
// pauses SCRIPT_PAUSE_MS (parting two receives), "{close}" closes, "{reset}" resets the connection.
using SmtpScript = std::map<std::string, std::string>;
inline constexpr int SCRIPT_PAUSE_MS = 300;
inline std::string Pauses(int count) { return count > 0 ? "{wait}" + Pauses(count - 1) : ""; }
// Every wait is bounded: a minute for a client to connect (Wine starting), 10 s of silence.
inline constexpr int SCRIPT_CONNECT_LIMIT_MS = 60000, SCRIPT_IDLE_LIMIT_MS = 10000;

class ScriptedSmtpServer {
public:
    // Serves `changes` over a well-behaved default script.
    explicit ScriptedSmtpServer(const SmtpScript& changes = {});
    ScriptedSmtpServer(std::initializer_list<SmtpScript::value_type> changes)
        : ScriptedSmtpServer(SmtpScript(changes)) {}
    ~ScriptedSmtpServer();

    // Every byte received, once the connection has ended.
    std::string Received();

private:
    void Serve();
    bool Answer(int fd);                          // false when the connection ends
    bool Play(int fd, const std::string& reply);  // false when the connection ends
    bool WaitFor(int fd, int milliseconds);       // false on stop or time-out

    SmtpScript script_;
    int listen_ = -1, stop_[2] = {-1, -1};
    std::string received_;
    std::size_t done_ = 0;  // received_ is answered up to here
    bool inData_ = false;
    std::thread thread_;
};

// A bare connection, so single replies can be read; or, with `fakeReplies`, one whose replies are
// taken as given, unread, and whose socket closes at the last of them: later calls fail (EBADF).
struct Probe : CSmtpConnection {
    bool Open() { return m_SMTP.Create() && m_SMTP.Connect("127.0.0.1", 25); }
    BOOL ReadCommandResponse(int code) override {
        if (fakeReplies == 0) return CSmtpConnection::ReadCommandResponse(code);
        if (--fakeReplies == 0) m_SMTP.Close();
        return TRUE;
    }
    int fakeReplies = 0;
    using CSmtpConnection::m_bAwaitingEndOfData;
    using CSmtpConnection::m_SMTP;
};
