// Entry point of every test executable. The tests run inside a private network namespace that
// this process creates for itself (a new network namespace with its loopback brought up; for a
// caller that is not root, inside a new user namespace mapping the caller to root), so test
// servers on 127.0.0.1, port 25 included, are reachable and nothing else is. A real root keeps
// its real user ids, so that servers which change to their own users (Postfix) can run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kNamespaceMarker = "FERNPOST_TEST_NETNS";

bool IsListingOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return true;
    }
    return false;
}

std::string SelfPath() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    path[n] = '\0';
    return path;
}

// Replaces this process by itself, started again by unshare in new namespaces.
void ReexecInPrivateNetwork(int argc, char** argv) {
    std::string self = SelfPath();
    std::vector<char*> args = {const_cast<char*>("unshare"), const_cast<char*>("--net")};
    if (geteuid() != 0) args.push_back(const_cast<char*>("--map-root-user"));
    args.push_back(const_cast<char*>("--"));
    args.push_back(self.data());
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    setenv(kNamespaceMarker, "1", 1);
    execvp("unshare", args.data());
    std::perror("tests: cannot start unshare for a private network namespace");
    std::exit(2);
}

void BringLoopbackUp() {
    const char* commands[] = {"/usr/sbin/ip link set lo up", "/sbin/ip link set lo up",
                              "ip link set lo up"};
    for (const char* command : commands) {
        if (std::system(command) == 0) return;
    }
    std::fprintf(stderr, "tests: cannot bring up the loopback of the private network\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    if (!IsListingOnly(argc, argv)) {
        if (std::getenv(kNamespaceMarker) == nullptr) ReexecInPrivateNetwork(argc, argv);
        BringLoopbackUp();
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
