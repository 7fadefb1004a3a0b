// Fixture of the interop suite: a temporary directory and a private strict Postfix started in
// the test's own network namespace (a test fails, with the reason, when Postfix is missing or
// cannot start), the sample job's files, and the check of the delivered mail by check_mail.py.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PrivatePostfix.h"
#include "SampleJob.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

class InteropTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Waits until the server has delivered one copy per recipient of `job`; false at the limit.
    bool WaitForAllCopies(const SampleJob& job);
    // Runs check_mail.py on every delivered copy against the expectation the job wrote.
    ProgramResult CheckDeliveredMail();
    // Runs a Python script of this suite with `arguments`.
    ProgramResult RunPython(const std::string& script, const std::vector<std::string>& arguments);
    // Everything a run wrote, for failure messages.
    static std::string Output(const ProgramResult& result);
    // The server's log, for failure messages.
    std::string ServerLog() const;

    ScopedTempDir temp_;
    std::string work_;  // the job's files, the program and its logs
    std::unique_ptr<PrivatePostfix> postfix_;
};
