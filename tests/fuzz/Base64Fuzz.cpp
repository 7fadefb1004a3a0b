// Base64 text of any bytes: lines of at most 76 characters, and it decodes back to the input.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "message/CSmtpAttachment.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t capacity = CSmtpAttachment::Base64EncodedSize(size);
    std::string text(capacity, '\0');
    std::size_t length = 0;
    Check(CSmtpAttachment::Base64Encode(data, size, text.data(), capacity, length) &&
          length < capacity);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string decoded;
    unsigned bits = 0, count = 0, column = 0;
    for (char c : text.substr(0, length)) {
        if (c == '\r' || c == '\n') {
            Check(column <= 76);
            column = 0;
        } else if (++column, c != '=') {
            Check(alphabet.find(c) != std::string::npos);
            bits = bits << 6 | static_cast<unsigned>(alphabet.find(c));
            if ((count += 6) >= 8) decoded += static_cast<char>(bits >> (count -= 8));
        }
    }
    Check(decoded == std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
