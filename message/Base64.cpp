// Base64 group encoding, table driven: twelve input bits give two output characters at once.
#include "message/Base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr char BASE64_ALPHABET[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char BASE64_PAD = '=';

// The two characters of every 12-bit value, the first character in the first byte.
constexpr std::size_t PAIR_COUNT = 1u << 12;
using PairTable = std::array<std::array<char, 2>, PAIR_COUNT>;

constexpr PairTable MakePairTable() {
    PairTable table{};
    for (std::size_t value = 0; value < PAIR_COUNT; ++value) {
        table[value][0] = BASE64_ALPHABET[value >> 6];
        table[value][1] = BASE64_ALPHABET[value & 0x3F];
    }
    return table;
}

constexpr PairTable BASE64_PAIRS = MakePairTable();

inline char* EncodeFullGroup(const unsigned char* input, char* output) {
    std::uint32_t bits =
        (std::uint32_t{input[0]} << 16) | (std::uint32_t{input[1]} << 8) | input[2];
    std::memcpy(output, BASE64_PAIRS[bits >> 12].data(), 2);
    std::memcpy(output + 2, BASE64_PAIRS[bits & 0xFFF].data(), 2);
    return output + BASE64_GROUP_OUTPUT;
}

// The last group of one or two bytes: two or three characters, filled out to four with "=".
char* EncodeLastGroup(const unsigned char* input, std::size_t length, char* output) {
    std::uint32_t bits = std::uint32_t{input[0]} << 16;
    if (length == 2) bits |= std::uint32_t{input[1]} << 8;
    output[0] = BASE64_ALPHABET[(bits >> 18) & 0x3F];
    output[1] = BASE64_ALPHABET[(bits >> 12) & 0x3F];
    output[2] = length == 2 ? BASE64_ALPHABET[(bits >> 6) & 0x3F] : BASE64_PAD;
    output[3] = BASE64_PAD;
    return output + BASE64_GROUP_OUTPUT;
}

}  // namespace

char* EncodeBase64Groups(const unsigned char* input, std::size_t length, char* output) {
    const unsigned char* fullEnd = input + length / BASE64_GROUP_INPUT * BASE64_GROUP_INPUT;
    for (; input != fullEnd; input += BASE64_GROUP_INPUT) output = EncodeFullGroup(input, output);
    std::size_t rest = length % BASE64_GROUP_INPUT;
    if (rest != 0) output = EncodeLastGroup(input, rest, output);
    return output;
}
