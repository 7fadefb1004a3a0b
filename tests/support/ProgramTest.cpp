// Running the program as a process.
#include "support/ProgramTest.h"

#include <cstdlib>
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
    return "[SMTP]\r\nServer=" + server + "\r\n" + smtp + "[Address]\r\nFromName=" + fromName +
           "\r\nFromAddress=" + fromAddress + "\r\nTo=" + to + "\r\nCc=" + cc + "\r\nBcc=" + bcc +
           "\r\n[Message]\r\nSubject=" + subject + "\r\nBodyFile=" + bodyFile +
           "\r\nAttachmentPathFile=" + attachmentPathFile + "\r\n";
}

// Wine's server makes the sockets, in the namespace it started in: none outlives a test.
static void StopWineServer() {
    EXPECT_TRUE(!WindowsProgram() || std::system("wineserver -k 2>/dev/null; wineserver -w") == 0);
}

ProgramTest::ProgramTest()
    // Past MAX_PATH, and on Windows named with a letter that code page 932 cannot spell (한).
    : bin_(dir_.Path("bin/" + std::string(250, 'd') + "/" +
                     (WindowsProgram() ? Utf8(u8"ソ表한/") : Utf8(u8"テスト/")))),
      program_(Bin(WindowsProgram() ? "fernpost.exe" : "fernpost")) {
    for (const std::string& folder : {Work(""), bin_}) std::filesystem::create_directories(folder);
    std::filesystem::copy_file(WindowsProgram() ? WindowsProgram() : FERNPOST_BINARY, program_);
    StopWineServer();
}

ProgramTest::~ProgramTest() { StopWineServer(); }

// A Japanese entry's "\n\r" becomes CR LF CR on Windows, and "\n\r" here again.
std::string ProgramTest::ReadLog(const std::string& path) {
    std::string log = ReadFile(path);
    for (std::size_t pos = 0; WindowsProgram() && (pos = log.find("\r\n", pos)) != log.npos;)
        log.erase(pos, 1);
    return MaskStamps(log);
}

void ProgramTest::Run(const std::vector<std::string>& arguments, const std::string& shell) {
    std::vector<std::string> command = {program_};
    if (WindowsProgram()) command.insert(command.begin(), "wine");
    if (!shell.empty())  // the program as "$0" "$@" of the shell's commands
        command.insert(command.begin(),
                       {"/usr/bin/unshare", "--mount", "/bin/sh", "-c", shell + " \"$0\" \"$@\""});
    command.insert(command.end(), arguments.begin(), arguments.end());
    ProgramResult result = RunProgram(command, Work(""));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "");
}
