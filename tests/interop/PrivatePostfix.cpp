// The private Postfix of one interop test.
#include "PrivatePostfix.h"

#include <algorithm>
#include <filesystem>

#include "support/ProgramRun.h"
#include "platform/Clock.h"
#include "support/TempDir.h"

namespace {

const double SCRIPT_TIMEOUT_SECONDS = 60;    // the script bounds its own waits well below this
const int DELIVERY_POLL_MS = 100;            // how often the Maildir is looked at
const DWORD NOTHING_QUEUED_GRACE_MS = 2000;  // an accepted mail is queued within milliseconds
const std::size_t LOG_TAIL_BYTES = 3000;

std::string ScriptPath() { return std::string(FERNPOST_SOURCE_DIR) + "/scripts/postfix-private"; }

}  // namespace

PrivatePostfix::PrivatePostfix(std::string directory) : directory_(std::move(directory)) {}

PrivatePostfix::~PrivatePostfix() { Stop(); }

bool PrivatePostfix::Start(std::string& failure) {
    std::filesystem::create_directories(directory_);
    // The script leaves no daemon holding its output, so its output ends when it does.
    ProgramResult result =
        RunProgram(ScriptPath(), {"start", directory_}, directory_, SCRIPT_TIMEOUT_SECONDS);
    running_ = result.exited && result.exitStatus == 0;
    if (!running_) {
        failure = result.standardOutput + result.standardError;
        if (failure.empty()) failure = "scripts/postfix-private did not run";
    }
    return running_;
}

void PrivatePostfix::Stop() {
    if (!running_) return;
    RunProgram(ScriptPath(), {"stop", directory_}, directory_, SCRIPT_TIMEOUT_SECONDS);
    running_ = false;
}

std::vector<std::string> PrivatePostfix::DeliveredFiles() const {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(directory_ + "/Maildir/new", error)) {
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool PrivatePostfix::WaitForDeliveries(std::size_t count, int timeoutMs) const {
    DWORD start = GetTickCount();
    while (DeliveredFiles().size() < count) {
        DWORD elapsed = TickElapsed(start, GetTickCount());
        if (elapsed >= static_cast<DWORD>(timeoutMs)) return false;
        if (elapsed >= NOTHING_QUEUED_GRACE_MS && !QueuedAnything()) return false;
        Sleep(DELIVERY_POLL_MS);
    }
    return true;
}

bool PrivatePostfix::QueuedAnything() const {
    // The queue manager logs "from=<sender>, size=..., nrcpt=..." for every mail it takes on.
    std::string log = ReadFile(directory_ + "/maillog");
    for (std::size_t at = log.find("postfix/qmgr"); at != std::string::npos;
         at = log.find("postfix/qmgr", at + 1)) {
        std::size_t lineEnd = log.find('\n', at);
        if (log.substr(at, lineEnd - at).find(" from=<") != std::string::npos) return true;
    }
    return false;
}

std::string PrivatePostfix::LogTail() const {
    std::string log = ReadFile(directory_ + "/maillog");
    if (log.size() > LOG_TAIL_BYTES) log = "..." + log.substr(log.size() - LOG_TAIL_BYTES);
    return log;
}
