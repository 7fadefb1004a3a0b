// Runs a program as a child process (in the test's private network namespace), with a time
// limit, capturing its standard output and standard error; and the fixture of the tests that run
// the program itself.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempDir.h"

struct ProgramResult {
    bool exited = false;  // ended normally (not by a signal or the time limit)
    int exitStatus = -1;
    std::string standardOutput;
    std::string standardError;
    double seconds = 0;
};

// Runs `program` with `arguments` (argv[1]...) in `workingDirectory`; kills it after
// `timeoutSeconds`.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, double timeoutSeconds = 60);

// Copies the built program into `directory` (so that its run log is written there) and returns
// the copy's path.
std::string CopyProgramInto(const std::string& directory);

// A test of the program as a process: a copy of it in <temp>/bin, where its run log goes, run in
// <temp>/work.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Runs the program with `arguments`; expects it to end by itself, silently, with status 0.
    ProgramResult Run(const std::vector<std::string>& arguments);
    // <temp>/work/`name`.
    std::string Work(const std::string& name) const { return dir_.File("work/" + name); }
    // The run log's text ("" when there is none).
    std::string RunLog() const { return ReadFile(dir_.File("bin/Fernpost.log")); }
    // The entries of the error log in <temp>/work.
    std::vector<std::string> ErrorLog() const;

    ScopedTempDir dir_;
    std::string program_;
};
