// Request building: the mail request made from a loaded job, the body file and the attachment
// list, sent once. Nothing is reported to the caller: the send logs its own failures.
#pragma once

#include <string>
#include <vector>

#include "job/JobSettings.h"

class CMail;

// Fills a mail request from `settings`, its body file and attachment list, and sends it.
void SendJob(const JobFields& settings);

// Fills `mail` from `settings` as the send run does, without sending it.
void BuildMailRequest(const JobFields& settings, CMail& mail);

// The body text of the file at `path`: every line, its line end removed, followed by one LF;
// NUL bytes are dropped. Empty when the path is empty or the file cannot be read (not a
// regular file, missing, unreadable); the latter has the error-log entry
// "Failed to open body file: <path>".
std::string ReadBodyText(const std::string& path);

// The attachment paths listed in the file at `path`, one per line, taken as written (no
// trimming). A line that names nothing existing, or that holds a NUL byte, is skipped and not
// counted, with the error-log entry "Attachment file not found: <line>" (an empty line silently);
// reading stops after MAX_ATTACHMENTS accepted paths. A list that cannot be read (not a regular
// file, missing, unreadable) gives none, with the entry
// "Failed to open attachment list file: <path>". An entry shows at most 65,534 bytes of a path,
// then "...".
std::vector<std::string> ReadAttachmentPaths(const std::string& path);
