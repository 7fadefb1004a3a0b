// A mail job of the interop suite: what its job file, body file and attachment list hold (in
// Shift-JIS, as a user writes them), and what a reader of the delivered mail must see.
#pragma once

#include <cstddef>
#include <ostream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

struct SampleJob {
    struct Address {
        std::string name;  // display name, Shift-JIS; empty when there is none
        std::string address;
    };
    struct Attachment {
        std::string fileName;  // Shift-JIS, as the file is named on disk
        std::string content;
    };

    std::string title;  // names the test (ASCII)

    // The job file's values, Shift-JIS, as written after "Key=".
    std::string fromName, fromAddress, to, cc, bcc, subject;
    std::string body;  // the body file's bytes
    std::vector<Attachment> attachments;

    // What the delivered mail shows, Shift-JIS (half-width katakana come out full-width).
    Address expectedFrom;
    std::vector<Address> expectedTo, expectedCc, expectedBcc;
    std::vector<std::string> refusedAddresses;  // recipients the server refuses: no copy for them
    std::string expectedSubject, expectedBody;

    // Writes into `directory`: job.ini (naming the server 127.0.0.1), body.txt, attachments.txt,
    // the attachments under files/, and for check_mail.py expect.json (UTF-8) with copies of the
    // attachments' contents under expected/. Returns the absolute path of job.ini.
    std::string WriteFiles(const std::string& directory) const;
    // Writes expect.json alone (after the expectations were changed).
    void WriteExpectation(const std::string& directory) const;
    // The number of distinct To, Cc and Bcc addresses the server accepts: the copies it delivers.
    std::size_t RecipientCount() const;

    static SampleJob AsciiOnly();
    static SampleJob Japanese();
    static SampleJob DotLines();
    static SampleJob RefusedRecipient();
};

// Shift-JIS `text` as UTF-8. A byte that is not CP932 fails the test, or with `lenient` (for
// showing a log in a failure message) becomes '?'.
std::string Utf8FromShiftJis(const std::string& text, bool lenient = false);

// Test parameters are the sample factories; a test's name shows the sample's title.
using SampleFactory = SampleJob (*)();
void PrintTo(SampleFactory factory, std::ostream* out);
std::string SampleName(const testing::TestParamInfo<SampleFactory>& info);
// The samples every sender must deliver as written: ASCII only, Japanese with three
// attachments, Bcc and half-width katakana, and lines that begin with dots.
inline auto DeliverableSamples() {
    return testing::Values(&SampleJob::AsciiOnly, &SampleJob::Japanese, &SampleJob::DotLines);
}
