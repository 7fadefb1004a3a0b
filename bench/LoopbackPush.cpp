// The network half of the physical reference of scripts/bench: pushes a number of bytes through
// one TCP connection to 127.0.0.1 (into smtp_sink --discard) as fast as the loopback takes them,
// then waits until the reader has taken the last byte and closed. Nothing is computed: the bytes
// are one block of memory sent again and again.
//
// Usage: loopback_push PORT BYTES
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Bytes handed to one send: as large as a big attachment's sends, so the count of system calls
// costs nothing beside the copy.
constexpr std::size_t SEND_BLOCK = std::size_t{8} << 20;
// The block's filler: a base64 character, so the bytes look like an attachment's text.
constexpr char FILLER = 'A';

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: loopback_push PORT BYTES\n");
        return 2;
    }
    long long left = std::atoll(argv[2]);
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("loopback_push: cannot connect");
        return 1;
    }
    std::vector<char> block(SEND_BLOCK, FILLER);
    while (left > 0) {
        std::size_t size = left < static_cast<long long>(block.size())
                               ? static_cast<std::size_t>(left)
                               : block.size();
        ssize_t sent = send(fd, block.data(), size, MSG_NOSIGNAL);
        if (sent <= 0) {
            std::perror("loopback_push: send");
            return 1;
        }
        left -= sent;
    }
    // The reader closes once it has everything: only then is the push over.
    shutdown(fd, SHUT_WR);
    char byte;
    while (recv(fd, &byte, sizeof byte, 0) > 0) {
    }
    close(fd);
    return 0;
}
