// The reply reader: any bytes from a server, cut into pieces as the receives take them, then a
// last line that ends every reply. The reader never fails or hangs on them, keeps at most 1 MiB,
// and takes the code from the first three bytes. It runs in a private network namespace.
#include <cstdint>
#include <cstdio>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include "FuzzCheck.h"
#include "smtp/CSmtpConnection.h"

namespace {

int g_listener = -1;
sockaddr_in g_address{};

struct Probe : CSmtpConnection {
    using CSmtpConnection::m_SMTP;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ifreq loopback{};
    int control = -1;
    if (unshare(getuid() == 0 ? CLONE_NEWNET : CLONE_NEWUSER | CLONE_NEWNET) != 0 ||
        (control = socket(AF_INET, SOCK_DGRAM, 0)) < 0 ||
        (std::snprintf(loopback.ifr_name, IFNAMSIZ, "lo"),
         ioctl(control, SIOCGIFFLAGS, &loopback)) != 0 ||
        (loopback.ifr_flags |= IFF_UP, ioctl(control, SIOCSIFFLAGS, &loopback)) != 0) {
        std::perror("ReplyFuzz: no private network");
        std::abort();
    }
    socklen_t length = sizeof g_address;
    g_address = {AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    g_listener = socket(AF_INET, SOCK_STREAM, 0);
    if (bind(g_listener, reinterpret_cast<sockaddr*>(&g_address), sizeof g_address) != 0 ||
        listen(g_listener, 1) != 0 ||
        getsockname(g_listener, reinterpret_cast<sockaddr*>(&g_address), &length) != 0) {
        std::abort();
    }
    RunWhereNoLogCanBeMade();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536) return 0;  // what the socket buffers hold, so the server side never blocks
    const std::string text =
        std::string(reinterpret_cast<const char*>(data), size) + "\r\n999 end\r\n";
    Probe probe;
    Check(probe.m_SMTP.Create() &&
          probe.m_SMTP.Connect(reinterpret_cast<sockaddr*>(&g_address), sizeof g_address));
    const int server = accept(g_listener, nullptr, nullptr);
    Check(send(server, text.data(), text.size(), MSG_NOSIGNAL) ==
          static_cast<ssize_t>(text.size()));
    const BOOL result = probe.ReadCommandResponse(250);
    char code[4] = {};
    text.copy(code, 3);
    int scanned = 0;
    Check(result == (std::sscanf(code, "%d", &scanned) == 1 && scanned == 250));
    Check(probe.GetLastReply().size() <= text.size());
    close(server);
    return 0;
}
