// The job file and its settings record: nine fixed-width Shift-JIS fields read from three
// sections of an INI file, the four mandatory ones checked.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/PrivateProfile.h"

// Result codes of JobSettings::Load.
inline constexpr int JOB_FILE_LOADED = 0;
inline constexpr int JOB_FILE_NOT_EXIST = 1001;
inline constexpr int JOB_FILE_INVALID = 1003;

// The nine value fields of a job, each a NUL-terminated Shift-JIS string that always ends
// inside its width; an empty field is all zero bytes. The send run keeps its own copy. The two
// paths hold whatever the INI reader yields: a path cut short would name another file.
struct JobFields {
    char szServer[256];
    char szFromName[128];
    char szFromAddress[128];
    char szTo[512];
    char szCc[512];
    char szBcc[512];
    char szSubject[256];
    char szBodyFile[PROFILE_VALUE_MAX + 1];
    char szAttachmentPathFile[PROFILE_VALUE_MAX + 1];
    // [SMTP]'s optional keys of the secure conversation; all empty: the plain one on port 25.
    char szPort[16];
    char szSecurity[16];
    char szUser[256];
    char szPassword[256];
    char szCAFile[PROFILE_VALUE_MAX + 1];
};

// SMTP/Port's value: 1 to 65535 written in decimal digits alone; 0 for anything else.
int ParsePort(std::string_view text);

// SMTP/Security's value in any letter case: "none" or empty 0 (SMTP_SECURITY_NONE), "starttls"
// 1, "tls" 2; -1 for anything else.
int ParseSecurity(std::string_view text);

// The record the job file is loaded into: the nine fields and the failure message.
struct JobSettings : JobFields {
    JobSettings();

    // Loads the job file at `path` (a relative path is taken from the current directory).
    // Returns JOB_FILE_LOADED when the four mandatory keys (SMTP/Server, Address/FromName,
    // Address/FromAddress, Address/To) have values; JOB_FILE_NOT_EXIST ("Not Exist ini file\n"
    // in szMessage) when nothing exists at the path, the fields left as they were;
    // JOB_FILE_INVALID ("Invalid ini file, invalid SECTION:<section>:<key>\n") for the first
    // missing or empty mandatory key, the fields before it filled and the others empty; the
    // same for the first of SMTP's optional keys with a value that cannot be used, in this
    // order: Port (ParsePort), Security (ParseSecurity), User (given without Security starttls
    // or tls: credentials never cross in clear), Password (given without User), CAFile (no file
    // there); then every field is filled. A value
    // longer than its field is cut to the width minus one, never inside a two-byte character.
    int Load(const std::string& path);

    // Copies the nine value fields, each at its full width, into `destination`. Returns 0.
    int CopyTo(JobFields& destination) const;

    char szMessage[512];
};
