// The scripted SMTP test server.
#include "support/ScriptedSmtpServer.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <time.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Clock.h"

namespace {

// Bytes taken from the connection per receive.
constexpr std::size_t RECEIVE_CHUNK = 65536;
// Connections waiting to be served: a test makes one at a time, a few spare.
constexpr int LISTEN_BACKLOG = 8;
constexpr std::string_view COMMAND_LINE_END = "\r\n";
// The end of the mail data, counting the line end before it (RFC 5321 4.1.1.4).
constexpr std::string_view DATA_END_MARK = "\r\n.\r\n";
constexpr std::string_view DATA_ACCEPTED_CODE = "354";
constexpr std::size_t VERB_LENGTH = 4;

// Milliseconds of the server's own monotonic clock (the program's tick counter may be replaced
// by the test that runs the server).
DWORD ServerTicks() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<unsigned long long>(now.tv_sec) * 1000ULL +
                              static_cast<unsigned long long>(now.tv_nsec) / 1000000ULL);
}

std::string UpperVerb(const std::string& line) {
    std::string verb = line.substr(0, VERB_LENGTH);
    for (char& c : verb) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return verb;
}

std::string AddressOf(const std::string& line) {
    std::size_t open = line.find('<');
    std::size_t close = line.find('>', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos) return {};
    return line.substr(open + 1, close - open - 1);
}

bool StartsWith(const ServerAction& action, std::string_view prefix) {
    return !action.pieces.empty() &&
           action.pieces.front().text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

ServerAction ServerAction::Reply(std::string text) { return Timed({{std::move(text), 0}}); }

ServerAction ServerAction::Pieces(std::vector<std::string> texts, DWORD pauseMs) {
    ServerAction action;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        action.pieces.push_back({std::move(texts[i]), i == 0 ? 0 : pauseMs});
    }
    return action;
}

ServerAction ServerAction::Timed(std::vector<ReplyPiece> pieces) {
    ServerAction action;
    action.pieces = std::move(pieces);
    return action;
}

ServerAction ServerAction::Silence() { return ServerAction(); }

ServerAction ServerAction::Close() { return Silence().ThenClose(); }

ServerAction ServerAction::ThenClose() const {
    ServerAction action = *this;
    action.closeAfter = true;
    return action;
}

ServerAction ServerAction::ThenReset() const {
    ServerAction action = ThenClose();
    action.resetOnClose = true;
    return action;
}

SmtpScript SmtpScript::Silent() {
    SmtpScript script;
    script.greeting = script.helo = script.mail = script.rcpt = script.data = script.endOfData =
        script.quit = script.other = ServerAction::Silence();
    return script;
}

// One connection: reads command lines and mail data, plays the script's actions.
class ScriptedSmtpServer::Session {
public:
    Session(ScriptedSmtpServer& server, int connection)
        : m_Server(server), m_hConnection(connection) {}

    void Serve() {
        const SmtpScript& script = m_Server.m_Script;
        if (!Play(script.greeting)) return;
        std::string line;
        while (ReadUntil(COMMAND_LINE_END, line)) {
            const ServerAction& action = ActionFor(line);
            if (!Play(action)) return;
            if (&action == &script.data && StartsWith(action, DATA_ACCEPTED_CODE)) {
                if (!ReadMailData() || !Play(script.endOfData)) return;
            }
        }
    }

private:
    const ServerAction& ActionFor(const std::string& line) const {
        const SmtpScript& script = m_Server.m_Script;
        const std::string verb = UpperVerb(line);
        if (verb == "HELO" || verb == "EHLO") return script.helo;
        if (verb == "MAIL") return script.mail;
        if (verb == "RCPT") {
            auto found = script.rcptByAddress.find(AddressOf(line));
            return found != script.rcptByAddress.end() ? found->second : script.rcpt;
        }
        if (verb == "DATA") return script.data;
        if (verb == "QUIT") return script.quit;
        return script.other;
    }

    // Sends the action's pieces; false when the connection is to end.
    bool Play(const ServerAction& action) {
        for (const ReplyPiece& piece : action.pieces) {
            if (piece.pauseBeforeMs > 0 && !m_Server.Pause(piece.pauseBeforeMs)) return false;
            if (send(m_hConnection, piece.text.data(), piece.text.size(), MSG_NOSIGNAL) < 0)
                return false;
        }
        if (action.resetOnClose) {
            linger abortive{1, 0};
            setsockopt(m_hConnection, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        }
        return !action.closeAfter;
    }

    // Reads until `pending` holds `end`; `consumed` receives the text before it (the end
    // removed). False when the connection ends or the server stops first.
    bool ReadUntil(std::string_view end, std::string& consumed, std::size_t searchFrom = 0) {
        for (;;) {
            std::size_t found = m_strPending.find(end, searchFrom);
            if (found != std::string::npos) {
                consumed = m_strPending.substr(0, found);
                m_strPending.erase(0, found + end.size());
                return true;
            }
            searchFrom =
                m_strPending.size() >= end.size() ? m_strPending.size() - end.size() + 1 : 0;
            if (!ReceiveMore()) return false;
        }
    }

    // The mail data after DATA was accepted: up to and including the end mark, whose first
    // CR LF may be the one that ended the DATA line. The data without the mark is kept.
    bool ReadMailData() {
        m_strPending.insert(0, COMMAND_LINE_END);
        std::string data;
        if (!ReadUntil(DATA_END_MARK, data)) return false;
        m_Server.RecordMailData(data.empty() ? data : data.substr(COMMAND_LINE_END.size()));
        return true;
    }

    bool ReceiveMore() {
        if (!m_Server.WaitReadable(m_hConnection)) return false;
        char chunk[RECEIVE_CHUNK];
        ssize_t count = recv(m_hConnection, chunk, sizeof chunk, 0);
        if (count <= 0) return false;
        m_Server.Record(chunk, static_cast<std::size_t>(count));
        m_strPending.append(chunk, static_cast<std::size_t>(count));
        return true;
    }

    ScriptedSmtpServer& m_Server;
    const int m_hConnection;
    std::string m_strPending;
};

ScriptedSmtpServer::ScriptedSmtpServer(SmtpScript script, int port, DWORD lifetimeMs)
    : m_Script(std::move(script)), m_dwLifetime(lifetimeMs), m_dwStarted(ServerTicks()) {
    if (pipe2(m_StopPipe, O_CLOEXEC) != 0) return;
    m_hListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_hListen < 0) return;
    int reuse = 1;
    setsockopt(m_hListen, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = inet_addr(SCRIPTED_SERVER_HOST);
    socklen_t length = sizeof address;
    if (bind(m_hListen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(m_hListen, LISTEN_BACKLOG) != 0 ||
        getsockname(m_hListen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    m_nPort = ntohs(address.sin_port);
    m_Thread = std::thread(&ScriptedSmtpServer::Run, this);
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
    Stop();
    if (m_hListen >= 0) close(m_hListen);
    for (int fd : m_StopPipe) {
        if (fd >= 0) close(fd);
    }
}

void ScriptedSmtpServer::Stop() {
    if (m_StopPipe[1] >= 0) {
        char signal = 1;
        ssize_t ignored = write(m_StopPipe[1], &signal, 1);
        (void)ignored;
    }
    if (m_Thread.joinable()) m_Thread.join();
}

std::string ScriptedSmtpServer::Received() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_strReceived;
}

int ScriptedSmtpServer::ConnectionsEnded() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nConnectionsEnded;
}

bool ScriptedSmtpServer::WaitForConnectionsEnded(int count, DWORD timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    const DWORD start = ServerTicks();
    while (m_nConnectionsEnded < count) {
        const DWORD elapsed = TickElapsed(start, ServerTicks());
        if (elapsed >= timeoutMs) return false;
        // Wakes on every change; the pause only bounds a wait that no change ends.
        m_Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs - elapsed));
    }
    return true;
}

void ScriptedSmtpServer::Run() {
    while (WaitReadable(m_hListen)) {
        int connection = accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        ServeConnection(connection);
    }
}

void ScriptedSmtpServer::ServeConnection(int connection) {
    Session(*this, connection).Serve();
    close(connection);
    std::lock_guard<std::mutex> lock(m_Mutex);
    ++m_nConnectionsEnded;
    m_Changed.notify_all();
}

void ScriptedSmtpServer::Record(const char* data, std::size_t length) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_strReceived.append(data, length);
}

void ScriptedSmtpServer::RecordMailData(std::string data) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_MailData.push_back(std::move(data));
}

std::vector<std::string> ScriptedSmtpServer::MailData() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_MailData;
}

DWORD ScriptedSmtpServer::RemainingLifetime() const {
    const DWORD elapsed = TickElapsed(m_dwStarted, ServerTicks());
    return elapsed >= m_dwLifetime ? 0 : m_dwLifetime - elapsed;
}

bool ScriptedSmtpServer::WaitReadable(int fd) const {
    for (;;) {
        const DWORD remaining = RemainingLifetime();
        if (remaining == 0) return false;
        pollfd entries[2] = {{m_StopPipe[0], POLLIN, 0}, {fd, POLLIN, 0}};
        int ready = poll(entries, 2, static_cast<int>(remaining));
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        if (entries[0].revents != 0) return false;
        if (entries[1].revents != 0) return true;
    }
}

bool ScriptedSmtpServer::Pause(DWORD milliseconds) const {
    pollfd stop{m_StopPipe[0], POLLIN, 0};
    const DWORD start = ServerTicks();
    for (;;) {
        const DWORD elapsed = TickElapsed(start, ServerTicks());
        if (elapsed >= milliseconds) return true;
        const DWORD wait = std::min(milliseconds - elapsed, RemainingLifetime());
        if (wait == 0) return false;
        int ready = poll(&stop, 1, static_cast<int>(wait));
        if (ready > 0) return false;
        if (ready < 0 && errno != EINTR) return false;
    }
}

std::string MaskDateLine(const std::string& transcript) {
    static constexpr std::string_view DATE_FIELD = "Date: ";
    std::string masked;
    std::size_t lineStart = 0;
    while (lineStart < transcript.size()) {
        std::size_t lineEnd = transcript.find("\r\n", lineStart);
        if (lineEnd == std::string::npos) lineEnd = transcript.size();
        std::string_view line(transcript.data() + lineStart, lineEnd - lineStart);
        if (line.substr(0, DATE_FIELD.size()) == DATE_FIELD) {
            masked.append(DATE_FIELD).append("*");
        } else {
            masked.append(line);
        }
        masked.append(transcript, lineEnd, std::min<std::size_t>(2, transcript.size() - lineEnd));
        lineStart = lineEnd + 2;
    }
    return masked;
}
