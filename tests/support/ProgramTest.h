// The program as a process: a run with a time limit, a job file's text, and the fixture of tests
// that run a copy of the program in <temp>/bin (where its run log goes) from <temp>/work (where
// its error log goes).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"

struct ProgramResult {
    int status = -1;     // the exit status; 124 when killed at the time limit
    std::string output;  // standard output and standard error
};

// Runs `command` (argv[0] is the program's path) in `directory`, killed after `seconds`.
ProgramResult RunProgram(const std::vector<std::string>& command, const std::string& directory,
                         int seconds = 60);

// The fields of a job file, Shift-JIS; Ini() writes every key, empty ones included.
struct Job {
    std::string server = "127.0.0.1", fromName = "夜間バッチ", fromAddress = "batch";
    std::string to = "ops, audit", cc = "", bcc = "", subject = "夜間レポート";
    std::string bodyFile = "", attachmentPathFile = "";
    std::string Ini() const;
};

class ProgramTest : public testing::Test {
public:
    ProgramTest();
    // Runs the program; expects it to end by itself, silent, with status 0.
    void Run(const std::vector<std::string>& arguments);
    // Writes `job` to work/job.ini and runs the program on it.
    void RunJob(const Job& job);
    std::string Work(const std::string& name) const { return dir_.Path("work/" + name); }
    std::string RunLog() const { return MaskStamps(ReadFile(dir_.Path("bin/Fernpost.log"))); }
    std::string ErrorLog() const { return MaskStamps(ReadFile(Work("log/Fernpost.err"))); }

    TempDir dir_;
    std::string program_;
};
