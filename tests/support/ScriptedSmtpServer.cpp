// The scripted SMTP server of the tests.
#include "support/ScriptedSmtpServer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <csignal>
#include <poll.h>
#include <unistd.h>

ScriptedSmtpServer::ScriptedSmtpServer(const SmtpScript& changes)
    // clang-format off
    : script_({{"greeting", "220 scripted.test ready\r\n"}, {"HELO", "250 ok\r\n"},
               {"MAIL", "250 ok\r\n"}, {"RCPT", "250 ok\r\n"}, {"DATA", "354 go ahead\r\n"},
               {".", "250 queued\r\n"}, {"QUIT", "221 bye\r\n{close}"}, {"other", "500 ?\r\n"}}) {
    // clang-format on
    for (const auto& [key, reply] : changes) script_[key] = reply;
    sockaddr_in address{AF_INET, htons(25), {htonl(INADDR_LOOPBACK)}, {}};
    int yes = 1;
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listen_, 8) != 0 || pipe(stop_) != 0) {
        ADD_FAILURE() << "the scripted server cannot listen on port 25";
        return;
    }
    sigset_t all, mask;  // signals are for the code under test: the thread blocks them all
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &mask);
    thread_ = std::thread(&ScriptedSmtpServer::Serve, this);
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
    if (thread_.joinable()) (void)!write(stop_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    for (int fd : {listen_, stop_[0], stop_[1]}) close(fd);
}

std::string ScriptedSmtpServer::Received() {
    if (thread_.joinable()) thread_.join();
    return received_;
}

bool ScriptedSmtpServer::WaitFor(int fd, int milliseconds) {
    pollfd fds[2] = {{stop_[0], POLLIN, 0}, {fd, POLLIN, 0}};
    return poll(fds, 2, milliseconds) > 0 && fds[0].revents == 0;
}

void ScriptedSmtpServer::Serve() {
    if (!WaitFor(listen_, SCRIPT_CONNECT_LIMIT_MS)) return;
    int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    for (bool open = Play(fd, script_["greeting"]); open && WaitFor(fd, SCRIPT_IDLE_LIMIT_MS);)
        open = Answer(fd);
    close(fd);
}

bool ScriptedSmtpServer::Answer(int fd) {
    char buffer[65536];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    received_.append(buffer, std::size_t(n));
    // A command line ends in CR LF; the data, which begins with the line end of DATA, in the mark.
    for (std::size_t end;
         (end = received_.find(inData_ ? "\r\n.\r\n" : "\r\n", done_)) != std::string::npos;) {
        std::string line = received_.substr(done_, end - done_), verb = line.substr(0, 4);
        for (char& c : verb) c = char(toupper(c));
        const std::string& reply = inData_               ? script_["."]
                                   : script_.count(line) ? script_[line]
                                   : script_.count(verb) ? script_[verb]
                                                         : script_["other"];
        const bool dataEnded = inData_;
        inData_ = !dataEnded && reply.rfind("354", 0) == 0;
        done_ = inData_ ? end : end + (dataEnded ? 5 : 2);  // the data begins with DATA's line end
        if (!Play(fd, reply)) return false;
    }
    if (inData_) done_ = std::max(done_, received_.size() - 4);  // the mark may span two reads
    return true;
}

bool ScriptedSmtpServer::Play(int fd, const std::string& reply) {
    for (std::size_t pos = 0, mark; pos < reply.size(); pos = reply.find('}', mark) + 1) {
        mark = reply.find('{', pos);
        std::string text = reply.substr(pos, mark - pos);
        if (send(fd, text.data(), text.size(), MSG_NOSIGNAL) < 0) return false;
        if (mark == std::string::npos) break;
        pollfd stop{stop_[0], POLLIN, 0};  // a pause ends the connection on the stop signal
        if (reply.compare(mark, 6, "{wait}") == 0 && poll(&stop, 1, SCRIPT_PAUSE_MS) == 0) continue;
        linger abort{1, 0};  // a close that sends a reset
        if (reply.compare(mark, 7, "{reset}") == 0)
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        return false;
    }
    return true;
}
