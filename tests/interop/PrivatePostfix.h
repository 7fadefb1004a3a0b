// A private Postfix for one test, started by scripts/postfix-private inside the test's own
// network namespace: it listens on 127.0.0.1:25, refuses bare line feeds, and delivers every
// address @example.test into one Maildir (one file per recipient).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class PrivatePostfix {
public:
    // `directory` receives the instance's configuration, queue, Maildir and log. Postfix
    // delivers as an unprivileged user, who must be able to reach it (the script checks).
    explicit PrivatePostfix(std::string directory);
    ~PrivatePostfix();  // stops the instance if it runs
    PrivatePostfix(const PrivatePostfix&) = delete;
    PrivatePostfix& operator=(const PrivatePostfix&) = delete;

    // Starts the instance and waits until it greets. On failure returns false and leaves the
    // reason (the script's own words, for instance that Postfix is not installed) in `failure`.
    bool Start(std::string& failure);
    void Stop();

    // The files delivered so far, full paths, sorted.
    std::vector<std::string> DeliveredFiles() const;
    // Waits until at least `count` files have been delivered, at most `timeoutMs`; gives up
    // early when the server has queued nothing at all (for a client that has already ended).
    bool WaitForDeliveries(std::size_t count, int timeoutMs) const;
    // True when the server has accepted a mail into its queue.
    bool QueuedAnything() const;
    // The last lines of the instance's log, for failure messages.
    std::string LogTail() const;

private:
    std::string directory_;
    bool running_ = false;
};
