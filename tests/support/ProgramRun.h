// Runs a program as a child process (in the test's private network namespace), with a time
// limit, capturing its standard output and standard error.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
    bool exited = false;   // ended normally (not by a signal or the time limit)
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
