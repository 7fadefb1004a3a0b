// A server that checks the mail before it answers the end of data (6 s here, more than any other
// reply may take) still gets it sent once, with nothing logged.
#include <gtest/gtest.h>

#include "support/ProgramTest.h"
#include "support/ScriptedSmtpServer.h"

namespace {

TEST_F(ProgramTest, LateReplyToTheEndOfDataIsWaitedFor) {
    std::string checking;
    for (int i = 0; i < 20; ++i) checking += "{wait}";
    ScriptedSmtpServer server({{".", checking + "250 queued\r\n"}});
    RunJob({});
    EXPECT_EQ(server.Received().substr(server.Received().size() - 11), "\r\n.\r\nQUIT\r\n");
    EXPECT_EQ(ErrorLog(), "");
}

}  // namespace
