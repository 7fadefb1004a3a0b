// The program as a process: job-file resolution, the run log of a failed load, silence and the
// exit status.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <string>

#include "support/LogText.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace {

using ProgramStartTest = ProgramTest;

TEST_F(ProgramStartTest, MissingDefaultJobFileLeavesExactlyOneRunLogLine) {
    Run({});
    EXPECT_EQ(MaskLogStamps(RunLog()), "[stamp][stamp]Not Exist ini file\n");
    EXPECT_FALSE(PathExists(Work("log")));
}

TEST_F(ProgramStartTest, NoOptionUsesTheJobFileBesideTheExecutable) {
    WriteFile(dir_.File("bin/fernpost.ini"), "[SMTP]\nServer=127.0.0.1\n");
    WriteFile(Work("fernpost.ini"), "");  // the current directory's file is not used
    Run({});
    EXPECT_EQ(MaskLogStamps(RunLog()),
              "[stamp][stamp]Invalid ini file, invalid SECTION:Address:FromName\n");
    EXPECT_FALSE(PathExists(Work("log")));
}

TEST_F(ProgramStartTest, RelativeIniFileResolvesAgainstTheCurrentDirectory) {
    ASSERT_EQ(mkdir(Work("jobs dir").c_str(), 0777), 0);
    WriteFile(Work("jobs dir/a.ini"), "");
    WriteFile(dir_.File("bin/jobs dir"), "");  // beside the executable: must not be looked at
    Run({"-inifile:jobs dir/a.ini"});
    EXPECT_EQ(MaskLogStamps(RunLog()),
              "[stamp][stamp]Invalid ini file, invalid SECTION:SMTP:Server\n");
}

TEST_F(ProgramStartTest, EmptyIniFileValueFallsBackToTheDefaultAndEachRunAddsItsLine) {
    WriteFile(dir_.File("bin/fernpost.ini"), "[SMTP]\nServer=127.0.0.1\n");
    Run({"/IniFile:", "-other:x"});
    Run({"-inifile:missing.ini"});
    EXPECT_EQ(MaskLogStamps(RunLog()),
              "[stamp][stamp]Invalid ini file, invalid SECTION:Address:FromName\n"
              "[stamp][stamp]Not Exist ini file\n");
}

}  // namespace

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;  // its shadow memory cannot live under a small ulimit -v
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST_F(ProgramStartTest, BodyFileLargerThanMemoryEndsWithAnEntryNotAnAbort) {
    if (kAddressSanitizer) GTEST_SKIP() << "address space limits do not work with ASan";
    constexpr off_t kBodySize = off_t{1} << 30;  // sparse: costs no disk
    WriteFile(dir_.File("work/body.txt"), "");
    ASSERT_EQ(truncate(dir_.File("work/body.txt").c_str(), kBodySize), 0);
    WriteFile(dir_.File("work/job.ini"),
              "[SMTP]\nServer=127.0.0.1\n[Address]\nFromName=n\nFromAddress=a\nTo=t\n"
              "[Message]\nBodyFile=body.txt\n");
    ProgramResult result =
        RunProgram("/bin/sh", {"-c", "ulimit -v 262144 && exec " + program_ + " -inifile:job.ini"},
                   dir_.File("work"));
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput + result.standardError, "");
    EXPECT_EQ(ErrorLogEntries(ReadFile(dir_.File("work/log/Fernpost.err"))),
              std::vector<std::string>{"Error:fernpost stopped: std::bad_alloc"});
}

}  // namespace
