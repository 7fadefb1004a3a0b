// Child-process runner for the program's process tests.
#include "support/ProgramRun.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "support/LogText.h"

namespace {

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

[[noreturn]] void ExecChild(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingDirectory, int out, int err) {
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (chdir(workingDirectory.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// Reads both pipes until they close or the deadline passes; true when they closed in time.
bool DrainPipes(int out, int err, ProgramResult& result, double deadline) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* sinks[2] = {&result.standardOutput, &result.standardError};
    int open = 2;
    while (open > 0) {
        double left = deadline - Now();
        if (left <= 0) return false;
        if (poll(fds, 2, static_cast<int>(left * 1000) + 1) < 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    return true;
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, double timeoutSeconds) {
    ProgramResult result;
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        ADD_FAILURE() << "cannot create pipes";
        return result;
    }
    double start = Now();
    pid_t child = fork();
    if (child == 0) ExecChild(program, arguments, workingDirectory, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    bool inTime = DrainPipes(out[0], err[0], result, start + timeoutSeconds);
    close(out[0]);
    close(err[0]);
    if (!inTime) kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    result.seconds = Now() - start;
    result.exited = inTime && WIFEXITED(status);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string CopyProgramInto(const std::string& directory) {
    std::string copy = directory + "/fernpost";
    std::filesystem::copy_file(FERNPOST_BINARY, copy,
                               std::filesystem::copy_options::overwrite_existing);
    return copy;
}

void ProgramTest::SetUp() {
    std::filesystem::create_directories(dir_.File("bin"));
    std::filesystem::create_directories(dir_.File("work"));
    program_ = CopyProgramInto(dir_.File("bin"));
}

ProgramResult ProgramTest::Run(const std::vector<std::string>& arguments) {
    ProgramResult result = RunProgram(program_, arguments, dir_.File("work"));
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput + result.standardError, "");
    return result;
}

std::vector<std::string> ProgramTest::ErrorLog() const {
    return ErrorLogEntries(ReadFile(Work("log/Fernpost.err")));
}
