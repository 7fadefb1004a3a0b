// The transcript on request (option "trace"): the server's own words for the operator. One run
// appends one transcript to the file the option names: a first line with the time stamp and the
// job file's path, then the connection steps, every command line sent ("C: ...") and every
// reply line received ("S: ...", each line of a multi-line reply), time-outs and closed
// connections as lines of their own. Of the message data only its size is written: bodies and
// attachments stay out of a file that gets passed around.
//
// Written like the logs: a regular file only (never a FIFO or a device), opened, appended to and
// closed for each line so that nothing can block; a line that cannot be written is lost. The
// transcript never changes the send, the logs or the exit status. Off unless started.
#pragma once

#include <string>
#include <string_view>

// Starts the transcript in the file at `path` (nothing when `path` is empty) with its first line:
// "[yy/mm/dd hh:mm:ss] Job file: <jobPath>".
void StartTranscript(const std::string& path, const std::string& jobPath);

// Appends `prefix` and `text` as one line when a transcript was started. Bytes of `text` that
// would break the line or drive a terminal (control bytes other than tab) are written as \xNN.
void TraceLine(std::string_view prefix, std::string_view text);

// Appends each CR LF-ended line of a server's reply text as "S: <line>", and a last line without
// its end as it is.
void TraceReply(std::string_view text);
