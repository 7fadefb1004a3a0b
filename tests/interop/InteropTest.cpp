// The interop suite's fixture.
#include "InteropTest.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

const char* const PYTHON = "/usr/bin/python3";  // Debian's, with its own email package
const double PYTHON_TIMEOUT_SECONDS = 60;
const int DELIVERY_TIMEOUT_MS = 30000;  // a local delivery takes well under a second
const mode_t OPEN_FOR_DELIVERY = 0755;  // Postfix writes the Maildir as nobody

std::string SuitePath(const std::string& script) {
    return std::string(FERNPOST_SOURCE_DIR) + "/tests/interop/" + script;
}

}  // namespace

void InteropTest::SetUp() {
    ASSERT_FALSE(temp_.Path().empty());
    chmod(temp_.Path().c_str(), OPEN_FOR_DELIVERY);
    work_ = temp_.File("job");
    std::filesystem::create_directories(work_);
    postfix_ = std::make_unique<PrivatePostfix>(temp_.File("postfix"));
    std::string failure;
    ASSERT_TRUE(postfix_->Start(failure))
        << "The interop tests need a private Postfix (run them as root; scripts/test installs "
           "Postfix). It did not start:\n"
        << failure;
}

void InteropTest::TearDown() {
    if (postfix_) postfix_->Stop();
}

bool InteropTest::WaitForAllCopies(const SampleJob& job) {
    return postfix_->WaitForDeliveries(job.RecipientCount(), DELIVERY_TIMEOUT_MS);
}

ProgramResult InteropTest::CheckDeliveredMail() {
    std::vector<std::string> arguments = {work_ + "/expect.json"};
    for (const std::string& file : postfix_->DeliveredFiles()) arguments.push_back(file);
    arguments.push_back("--all-copies");
    return RunPython("check_mail.py", arguments);
}

ProgramResult InteropTest::RunPython(const std::string& script,
                                     const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {SuitePath(script)};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProgram(PYTHON, command, work_, PYTHON_TIMEOUT_SECONDS);
}

std::string InteropTest::Output(const ProgramResult& result) {
    return result.standardOutput + result.standardError;
}

std::string InteropTest::ServerLog() const { return "--- Postfix log:\n" + postfix_->LogTail(); }
