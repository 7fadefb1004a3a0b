// Base64 group encoding, table driven: twelve input bits give two output characters at once; the
// lines of attachment text take six input bytes a step, the speed of big attachments.
#include "message/Base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr char BASE64_ALPHABET[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char BASE64_PAD = '=';
constexpr char LINE_BREAK[] = "\r\n";
constexpr std::size_t LINE_BREAK_LENGTH = sizeof LINE_BREAK - 1;
// Input bytes of one step of a line: two groups, taken from one 64-bit load.
constexpr std::size_t STEP_INPUT = 2 * BASE64_GROUP_INPUT;
constexpr std::size_t STEP_OUTPUT = 2 * BASE64_GROUP_OUTPUT;
// The steps of a line: 54 of its 57 bytes. Each step loads 8 bytes, so the last one reads up to
// byte 56 of the line and never past it; the line's last group goes on its own.
constexpr std::size_t LINE_STEPS = (BASE64_LINE_INPUT - BASE64_GROUP_INPUT) / STEP_INPUT;
static_assert(LINE_STEPS * STEP_INPUT + BASE64_GROUP_INPUT == BASE64_LINE_INPUT);
static_assert((LINE_STEPS - 1) * STEP_INPUT + sizeof(std::uint64_t) <= BASE64_LINE_INPUT);

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

// Two groups: six bytes (the first six of the eight at `input`, read as one big-endian number)
// give eight characters, the number's top 48 bits taken twelve at a time.
inline char* EncodeStep(const unsigned char* input, char* output) {
    // Written out, the compiler makes it one load and a byte swap.
    const std::uint64_t bits = (std::uint64_t{input[0]} << 56) | (std::uint64_t{input[1]} << 48) |
                               (std::uint64_t{input[2]} << 40) | (std::uint64_t{input[3]} << 32) |
                               (std::uint64_t{input[4]} << 24) | (std::uint64_t{input[5]} << 16) |
                               (std::uint64_t{input[6]} << 8) | std::uint64_t{input[7]};
    std::memcpy(output, BASE64_PAIRS[(bits >> 52) & 0xFFF].data(), 2);
    std::memcpy(output + 2, BASE64_PAIRS[(bits >> 40) & 0xFFF].data(), 2);
    std::memcpy(output + 4, BASE64_PAIRS[(bits >> 28) & 0xFFF].data(), 2);
    std::memcpy(output + 6, BASE64_PAIRS[(bits >> 16) & 0xFFF].data(), 2);
    return output + STEP_OUTPUT;
}

// One full line: 57 bytes give 76 characters and CR LF.
inline char* EncodeLine(const unsigned char* input, char* output) {
    for (std::size_t step = 0; step < LINE_STEPS; ++step) {
        output = EncodeStep(input, output);
        input += STEP_INPUT;
    }
    output = EncodeFullGroup(input, output);
    std::memcpy(output, LINE_BREAK, LINE_BREAK_LENGTH);
    return output + LINE_BREAK_LENGTH;
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

char* EncodeBase64Lines(const unsigned char* input, std::size_t length, char* output) {
    const unsigned char* fullEnd = input + length / BASE64_LINE_INPUT * BASE64_LINE_INPUT;
    for (; input != fullEnd; input += BASE64_LINE_INPUT) output = EncodeLine(input, output);
    return EncodeBase64Groups(input, length % BASE64_LINE_INPUT, output);
}
