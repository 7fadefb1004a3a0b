// The INI reader: any bytes as a job file, as they are and behind each byte-order mark. Values
// are at most 511 bytes and hold no NUL.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "platform/CodePage932.h"
#include "platform/PrivateProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* mark : {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        const std::string contents = ToCodePage932(mark + text);
        for (const char* key : {"Server", "To", "Subject"}) {
            const std::string value =
                FindProfileValue(key[0] == 'S' ? "SMTP" : "Address", key, contents);
            Check(value.size() <= PROFILE_VALUE_MAX && value.find('\0') == std::string::npos);
        }
    }
    return 0;
}
