// The transcript writer.
#include "logging/Transcript.h"

#include <cstdio>

#include "logging/LogStamp.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/TextFormat.h"

namespace {

std::string g_transcriptPath;  // empty: no transcript

constexpr std::string_view REPLY_PREFIX = "S: ";
constexpr std::string_view LINE_END = "\r\n";

bool IsControlByte(unsigned char byte) { return (byte < 0x20 && byte != '\t') || byte == 0x7F; }

void AppendLine(const std::string& line) {
    const PreservedLastError reason;  // a line must not change the reason the run reports next
    if (std::FILE* file = OpenForAppending(g_transcriptPath)) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

}  // namespace

void StartTranscript(const std::string& path, const std::string& jobPath) {
    g_transcriptPath = path;
    if (!path.empty()) TraceLine(FormatLogStamp(LocalTimeNow()) + " Job file: ", jobPath);
}

void TraceLine(std::string_view prefix, std::string_view text) {
    if (g_transcriptPath.empty()) return;
    std::string line(prefix);
    for (char c : text) {
        if (IsControlByte(static_cast<unsigned char>(c))) {
            line += FormatText("\\x%02X", static_cast<unsigned char>(c));
        } else {
            line += c;
        }
    }
    AppendLine(line + "\n");
}

void TraceReply(std::string_view text) {
    while (!text.empty()) {
        std::size_t end = text.find(LINE_END);
        TraceLine(REPLY_PREFIX, text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + LINE_END.size());
    }
}
