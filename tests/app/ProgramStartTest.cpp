// The program as a process: job-file resolution, the run log of a failed load, silence and the
// exit status.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <string>

#include "support/LogText.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace {


class ProgramStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir(dir_.File("bin").c_str(), 0777), 0);
        ASSERT_EQ(mkdir(dir_.File("work").c_str(), 0777), 0);
        program_ = CopyProgramInto(dir_.File("bin"));
    }
    ProgramResult Run(const std::vector<std::string>& arguments) {
        ProgramResult result = RunProgram(program_, arguments, dir_.File("work"));
        EXPECT_TRUE(result.exited);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(result.standardError, "");
        return result;
    }
    std::string RunLog() { return ReadFile(dir_.File("bin/Fernpost.log")); }
    bool HasErrorLog() { return PathExists(dir_.File("work/log")); }

    ScopedTempDir dir_;
    std::string program_;
};

TEST_F(ProgramStartTest, MissingDefaultJobFileLeavesExactlyOneRunLogLine) {
    Run({});
    EXPECT_EQ(MaskLogStamps(RunLog()), "[stamp][stamp]Not Exist ini file\n");
    EXPECT_FALSE(HasErrorLog());
}

TEST_F(ProgramStartTest, NoOptionUsesTheJobFileBesideTheExecutable) {
    WriteFile(dir_.File("bin/fernpost.ini"), "[SMTP]\nServer=127.0.0.1\n");
    WriteFile(dir_.File("work/fernpost.ini"), "");  // the current directory's file is not used
    Run({});
    EXPECT_EQ(MaskLogStamps(RunLog()),
              "[stamp][stamp]Invalid ini file, invalid SECTION:Address:FromName\n");
    EXPECT_FALSE(HasErrorLog());
}

TEST_F(ProgramStartTest, RelativeIniFileResolvesAgainstTheCurrentDirectory) {
    ASSERT_EQ(mkdir(dir_.File("work/jobs dir").c_str(), 0777), 0);
    WriteFile(dir_.File("work/jobs dir/a.ini"), "");
    WriteFile(dir_.File("bin/jobs dir"), "");  // beside the executable: must not be looked at
    Run({"-inifile:jobs dir/a.ini"});
    EXPECT_EQ(MaskLogStamps(RunLog()), "[stamp][stamp]Invalid ini file, invalid SECTION:SMTP:Server\n");
}

TEST_F(ProgramStartTest, EmptyIniFileValueFallsBackToTheDefault) {
    Run({"/IniFile:", "-other:x"});
    EXPECT_EQ(MaskLogStamps(RunLog()), "[stamp][stamp]Not Exist ini file\n");
}

TEST_F(ProgramStartTest, EachFailedRunAddsItsOwnLine) {
    Run({"-inifile:missing.ini"});
    Run({"-inifile:missing.ini"});
    EXPECT_EQ(MaskLogStamps(RunLog()),
              "[stamp][stamp]Not Exist ini file\n[stamp][stamp]Not Exist ini file\n");
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
    ProgramResult result = RunProgram(
        "/bin/sh", {"-c", "ulimit -v 262144 && exec " + program_ + " -inifile:job.ini"},
        dir_.File("work"));
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput + result.standardError, "");
    EXPECT_EQ(ErrorLogEntries(ReadFile(dir_.File("work/log/Fernpost.err"))),
              std::vector<std::string>{"Error:fernpost stopped: std::bad_alloc"});
}

}  // namespace
