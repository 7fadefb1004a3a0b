// The program as a process, sending each sample job through the private strict Postfix; every
// delivered copy is then compared with the job by check_mail.py (names, addresses, subject,
// body, attachment names and bytes, no Bcc in the header, one copy per recipient).
#include "InteropTest.h"

namespace {

const double PROGRAM_TIMEOUT_SECONDS = 120;  // the program's own reply waits are 5 s each

// A log file's Shift-JIS text made readable in a failure message.
std::string Readable(const std::string& label, const std::string& sjis) {
    if (sjis.empty()) return "--- " + label + ": (empty)\n";
    return "--- " + label + ":\n" + Utf8FromShiftJis(sjis, true) + "\n";
}

class FernpostRun : public InteropTest {
protected:
    // Runs a copy of the program beside the job's files (so its run log stays there).
    ProgramResult RunFernpost(const std::string& jobFile) {
        return RunProgram(CopyProgramInto(work_), {"-inifile:" + jobFile}, work_,
                          PROGRAM_TIMEOUT_SECONDS);
    }

    std::string ProgramLogs() {
        return Readable("run log Fernpost.log", ReadFile(work_ + "/Fernpost.log")) +
               Readable("error log log/Fernpost.err", ReadFile(work_ + "/log/Fernpost.err"));
    }

    // Runs the program on `job` and waits for the copies the server must deliver.
    void Send(const SampleJob& job) {
        ProgramResult run = RunFernpost(job.WriteFiles(work_));
        EXPECT_TRUE(run.exited) << "the program did not end by itself";
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(Output(run), "") << "the program printed something";
        bool allCopies = WaitForAllCopies(job);
        EXPECT_TRUE(allCopies) << "expected " << job.RecipientCount() << " delivered copies\n"
                               << ProgramLogs() << ServerLog();
    }

    // Compares every delivered copy with the job.
    void CheckDelivered() {
        ASSERT_FALSE(postfix_->DeliveredFiles().empty()) << "nothing was delivered";
        ProgramResult check = CheckDeliveredMail();
        EXPECT_EQ(check.exitStatus, 0) << Output(check) << ProgramLogs() << ServerLog();
    }
};

class FernpostThroughPostfix : public FernpostRun,
                               public testing::WithParamInterface<SampleFactory> {};

TEST_P(FernpostThroughPostfix, DeliversTheJobAsWritten) {
    SampleJob job = GetParam()();
    Send(job);
    // A successful send writes no log entry at all.
    EXPECT_FALSE(PathExists(work_ + "/Fernpost.log")) << ProgramLogs();
    EXPECT_FALSE(PathExists(work_ + "/log/Fernpost.err")) << ProgramLogs();
    CheckDelivered();
}

INSTANTIATE_TEST_SUITE_P(Samples, FernpostThroughPostfix, DeliverableSamples(), SampleName);

using FernpostRefusal = FernpostRun;

// The server refuses one To recipient (a domain it does not serve): the refusal is logged with
// the recipient's display name, and everybody else still gets the mail, header unchanged.
TEST_F(FernpostRefusal, RefusedRecipientIsLoggedAndTheOthersGetTheMail) {
    SampleJob job = SampleJob::RefusedRecipient();
    Send(job);
    EXPECT_FALSE(PathExists(work_ + "/Fernpost.log")) << ProgramLogs();
    std::string errors = ReadFile(work_ + "/log/Fernpost.err");
    EXPECT_NE(errors.find("] SMTPエラー:An unexpected RCPT response was received\n"),
              std::string::npos)
        << ProgramLogs();
    EXPECT_NE(errors.find("] 配信不能：以下の受信者にメールを配信できませんでした。\n\r部外者\n"),
              std::string::npos)
        << ProgramLogs();
    CheckDelivered();
}

}  // namespace
