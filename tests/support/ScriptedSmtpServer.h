// A scripted SMTP server for tests on 127.0.0.1:25 (in the test's private network). It serves one
// connection in a thread of its own, records every byte it receives and answers as its script
// says. Every wait it makes is bounded and watches its stop signal, so it never spins or hangs.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <thread>

#include "smtp/CSmtpConnection.h"

// The script: the reply to each command, keyed by the whole command line ("RCPT TO:<b>"), else
// by its verb ("HELO", "MAIL", "RCPT", "DATA", "QUIT"), else "other"; "greeting" answers the
// connection and "." the end of the mail data. A reply that starts with "354" makes the server
// read the mail data up to CR LF . CR LF. In a reply, "{wait}" pauses SCRIPT_PAUSE_MS (long
// enough to part two receives), "{close}" closes the connection and "{reset}" resets it.
using SmtpScript = std::map<std::string, std::string>;
inline constexpr int SCRIPT_PAUSE_MS = 300;
// The server gives up on a client that has not connected within a minute (Wine's start
// included) or has sent nothing for 10 s.
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
    // Called in the server's thread when the connection is taken, before the greeting.
    std::function<void()> whenConnected = [] {};

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

// A connection to the scripted server whose socket is connected without the session frame, so
// single replies can be read.
struct Probe : CSmtpConnection {
    bool Open() { return m_SMTP.Create() && m_SMTP.Connect("127.0.0.1", 25); }
    using CSmtpConnection::m_SMTP;
};
