// Helpers of the message tests: byte strings written as byte values and a Shift-JIS character
// from its code.
#pragma once

#include <initializer_list>
#include <string>

// The bytes given, in order.
inline std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

// The two bytes of a double-byte code: lead (code / 256) then trail.
inline std::string Code(unsigned code) {
    return Bytes({static_cast<int>(code >> 8), static_cast<int>(code & 0xFF)});
}

inline const std::string ESC_JIS = Bytes({0x1B, 0x24, 0x42});    // ESC $ B
inline const std::string ESC_ASCII = Bytes({0x1B, 0x28, 0x42});  // ESC ( B
