// The program as a process: a copy in a folder under <temp>/bin (its run log's place) run from
// <temp>/work (its error log's), the Linux build or the Windows build under Wine; a job's text.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/TestFiles.h"

struct ProgramResult {
    int status = -1;     // the exit status; 137 when killed at the time limit
    std::string output;  // standard output and standard error
};

// Runs `command` (argv[0] is the program's path) in `directory`, killed after `seconds`.
ProgramResult RunProgram(const std::vector<std::string>& command, const std::string& directory,
                         int seconds = 60);

// The fields of a job file, Shift-JIS; Ini() writes every key, empty ones included.
struct Job {
    std::string server = "127.0.0.1", fromName = "夜間バッチ", fromAddress = "batch";
    std::string to = "ops, audit", cc = "", bcc = "", subject = "夜間レポート";
    std::string bodyFile = "", attachmentPathFile = "", smtp = "";  // smtp: more [SMTP] lines
    std::string Ini() const;
};

// The send driver's entries after a connection that could not be opened.
inline const std::string CONNECT_FAILED =
    Log({"Error:CMail::SendMail Connect()",
         "SMTP サーバ接続に失敗しました。\n\rSMTPの設定が間違っ"
         "ているか、SMTPサーバが動作していない可能性があります。"});

inline const std::string SCRIPTS = FERNPOST_SOURCE_DIR "/scripts/";  // the scripts tests run

// The fernpost.exe that FERNPOST_WINDOWS_PROGRAM names, for scripts/test-windows's Wine; or null.
inline const char* WindowsProgram() { return std::getenv("FERNPOST_WINDOWS_PROGRAM"); }

class ProgramTest : public testing::Test {
public:
    ProgramTest();
    ~ProgramTest() override;
    // Runs the program (after `shell`'s commands, ending in exec, in a mount namespace of their
    // own); expects it to end by itself, silent, with status 0.
    void Run(const std::vector<std::string>& arguments, const std::string& shell = "");
    std::string Work(const std::string& name) const { return dir_.Path("work/" + name); }
    // The program's folder, whose name a careless scan splits: Shift-JIS ソ表 ends in 0x5C twice,
    // and UTF-8 テスト's 0x88 looks like a lead byte before the '/'.
    std::string Bin(const std::string& name) const { return bin_ + name; }
    // The logs, stamps masked, their line ends as on Linux (Windows writes "\n" as CR LF).
    std::string RunLog() const { return ReadLog(Bin("Fernpost.log")); }
    std::string ErrorLog() const { return ReadLog(Work("log/Fernpost.err")); }
    static std::string ReadLog(const std::string& path);

    TempDir dir_;
    std::string bin_, program_;
};
