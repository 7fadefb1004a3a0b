// Running the program as a process.
#include "support/ProgramTest.h"

#include <filesystem>
#include <unistd.h>

ProgramResult RunProgram(const std::vector<std::string>& command, const std::string& directory,
                         int seconds) {
    std::string line = "cd '" + directory + "' && timeout -s KILL " + std::to_string(seconds);
    for (const std::string& word : command) line += " '" + word + "'";  // no quotes in the words
    char output[] = "/tmp/fernpost-output-XXXXXX";
    close(mkstemp(output));
    int status = std::system((line + " >'" + output + "' 2>&1").c_str());
    ProgramResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(output)};
    std::filesystem::remove(output);
    return result;
}

std::string Job::Ini() const {
    return "[SMTP]\r\nServer=" + server + "\r\n[Address]\r\nFromName=" + fromName +
           "\r\nFromAddress=" + fromAddress + "\r\nTo=" + to + "\r\nCc=" + cc + "\r\nBcc=" + bcc +
           "\r\n[Message]\r\nSubject=" + subject + "\r\nBodyFile=" + bodyFile +
           "\r\nAttachmentPathFile=" + attachmentPathFile + "\r\n";
}

ProgramTest::ProgramTest() : program_(dir_.Path("bin/fernpost")) {
    std::filesystem::create_directories(Work(""));
    std::filesystem::create_directories(dir_.Path("bin"));
    std::filesystem::copy_file(FERNPOST_BINARY, program_);
}

void ProgramTest::Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {program_};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ProgramResult result = RunProgram(command, Work(""));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "");
}

void ProgramTest::RunJob(const Job& job) {
    WriteFile(Work("job.ini"), job.Ini());
    Run({"-inifile:job.ini"});
}
