// Entry point of every test executable: the tests run in a private network namespace that the
// process makes for itself (unshare --net, plus --map-root-user when not root) with its loopback
// up, so test servers may listen on 127.0.0.1:25 and nothing can reach another address. Real
// root keeps its user ids, which Postfix needs. The host is named TEST_HOST_NAME there.
#include <gtest/gtest.h>

#include "support/ProgramTest.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    bool listing = argc > 1 && std::strcmp(argv[1], "--gtest_list_tests") == 0;
    if (!listing && std::getenv("FERNPOST_TEST_NETNS") == nullptr) {
        char self[4096] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 2;
        std::vector<const char*> args = {"unshare", "--net", "--uts"};
        if (geteuid() != 0) args.push_back("--map-root-user");
        args.push_back(self);
        for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
        args.push_back(nullptr);
        setenv("FERNPOST_TEST_NETNS", "1", 1);
        execvp("unshare", const_cast<char**>(args.data()));
        std::perror("tests: cannot start unshare");
        return 2;
    }
    if (!listing && (std::system("PATH=$PATH:/usr/sbin:/sbin ip link set lo up") != 0 ||
                     sethostname(TEST_HOST_NAME, std::strlen(TEST_HOST_NAME)) != 0))
        return 2;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
