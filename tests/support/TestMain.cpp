// Every test executable restarts itself in private network and host-name namespaces (unshare --net
// --uts, --map-root-user unless real root), brings lo up and names the host "fernpost.test": test
// servers listen on 127.0.0.1:25, and nothing can reach another address.
#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    const bool listing = argc > 1 && std::strcmp(argv[1], "--gtest_list_tests") == 0;
    if (!listing && std::getenv("FERNPOST_TEST_NETNS") == nullptr) {
        std::vector<const char*> args = {"unshare", "--net", "--uts"};
        if (geteuid() != 0) args.push_back("--map-root-user");
        args.push_back(argv[0]);                             // run by its path, as ctest does
        args.insert(args.end(), argv + 1, argv + argc + 1);  // and the null pointer
        setenv("FERNPOST_TEST_NETNS", "1", 1);
        execvp("unshare", const_cast<char**>(args.data()));
        std::perror("tests: cannot start unshare");
        return 2;
    }
    if (!listing && (std::system("PATH=$PATH:/usr/sbin:/sbin ip link set lo up") != 0 ||
                     sethostname("fernpost.test", std::strlen("fernpost.test")) != 0))
        return 2;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
