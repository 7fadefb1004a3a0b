// The interop harness checked on its own, without the program: a reference mail written byte
// for byte in the program's wire format passes through the private Postfix and the checker; the
// checker reports a mail that differs from its job; the server refuses bare line feeds, so that
// the suite cannot pass a program that sends them.
#include "InteropTest.h"

namespace {

using Harness = InteropTest;

// The reference mail passes the server and the checker; checked against a job that asked for
// something else, the checker reports every difference.
TEST_F(Harness, CheckerPassesTheReferenceMailAndReportsEveryDifferenceFromTheJob) {
    SampleJob job = SampleJob::Japanese();
    job.WriteFiles(work_);
    ProgramResult sent = RunPython("send_reference.py", {work_ + "/expect.json"});
    ASSERT_EQ(sent.exitStatus, 0) << Output(sent) << ServerLog();
    ASSERT_TRUE(WaitForAllCopies(job)) << ServerLog();
    ProgramResult passed = CheckDeliveredMail();
    EXPECT_EQ(passed.exitStatus, 0) << Output(passed);

    // The same mail, checked against a job that asked for something else.
    job.expectedFrom.name = "山田 次郎";
    job.expectedCc.pop_back();
    job.expectedSubject = "【月次】売上レポート ﾃｽﾄ版";  // half-width: the mail has it widened
    job.expectedBody += "追加の行\n";
    job.attachments[1].content[4096] ^= 0x01;
    job.attachments[2].fileName = "売上報告_表ソ.txt";
    job.expectedBcc.push_back({"", "nobody-else@example.test"});
    job.WriteExpectation(work_);

    ProgramResult check = CheckDeliveredMail();
    EXPECT_EQ(check.exitStatus, 1) << Output(check);
    for (const char* field :
         {"From", "Cc", "Subject", "body differs", "first difference at byte 4096",
          "Content-Disposition filename", "Content-Type name", "Delivered-To"}) {
        EXPECT_NE(Output(check).find(field), std::string::npos) << "not reported: " << field << "\n"
                                                                << Output(check);
    }
}

TEST_F(Harness, CheckerReportsABccHeader) {
    SampleJob job = SampleJob::Japanese();
    job.WriteFiles(work_);
    ProgramResult sent = RunPython("send_reference.py", {work_ + "/expect.json", "--bcc-header"});
    ASSERT_EQ(sent.exitStatus, 0) << Output(sent) << ServerLog();
    ASSERT_TRUE(WaitForAllCopies(job)) << ServerLog();
    ProgramResult check = CheckDeliveredMail();
    EXPECT_EQ(check.exitStatus, 1) << Output(check);
    EXPECT_NE(Output(check).find("Bcc header"), std::string::npos) << Output(check);
    EXPECT_NE(Output(check).find("hidden@example.test appears in the header"), std::string::npos)
        << Output(check);
}

TEST_F(Harness, ServerRefusesBareLineFeeds) {
    SampleJob job = SampleJob::AsciiOnly();
    job.WriteFiles(work_);
    ProgramResult sent = RunPython("send_reference.py", {work_ + "/expect.json", "--bare-lf"});
    EXPECT_NE(sent.exitStatus, 0) << Output(sent);
    EXPECT_NE(Output(sent).find("bare <LF> received"), std::string::npos)
        << Output(sent) << ServerLog();
    EXPECT_TRUE(postfix_->DeliveredFiles().empty());
}

}  // namespace
