// Base64 text of attachments: golden texts, line structure, the size bound, and a round trip of
// random data through a decoder written here.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "message/CSmtpAttachment.h"

namespace {

// RFC 2045: lines of at most 76 characters, here always full ones of 57 input bytes.
constexpr std::size_t kLineInput = 57;
constexpr std::size_t kLineLength = 76;

// Encodes through a buffer sized by Base64EncodedSize, followed by guard bytes that must stay
// untouched.
std::string Encode(const std::string& input) {
    constexpr std::size_t guard = 16;
    std::size_t size = CSmtpAttachment::Base64EncodedSize(input.size());
    std::vector<char> buffer(size + guard, '#');
    std::size_t length = 12345;
    EXPECT_EQ(CSmtpAttachment::Base64Encode(reinterpret_cast<const unsigned char*>(input.data()),
                                            input.size(), buffer.data(), size, length),
              TRUE);
    EXPECT_LT(length, size) << "the terminator must fit";
    EXPECT_EQ(buffer[length], '\0');
    for (std::size_t i = size; i < size + guard; ++i)
        EXPECT_EQ(buffer[i], '#') << "written past the buffer";
    return std::string(buffer.data(), length);
}

// A strict RFC 2045 decoder of the text between line breaks: every group complete, "=" only as
// the filling of the very last group.
bool Decode(const std::string& text, std::string& out) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string chars;
    for (char c : text) {
        if (c != '\r' && c != '\n') chars += c;
    }
    if (chars.size() % 4 != 0) return false;
    out.clear();
    for (std::size_t i = 0; i < chars.size(); i += 4) {
        std::uint32_t bits = 0;
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            char c = chars[i + k];
            if (c == '=') {
                if (i + 4 != chars.size() || k < 2) return false;
                ++padding;
                bits <<= 6;
                continue;
            }
            if (padding != 0) return false;
            std::size_t value = alphabet.find(c);
            if (value == std::string::npos) return false;
            bits = bits << 6 | static_cast<std::uint32_t>(value);
        }
        out += static_cast<char>(bits >> 16);
        if (padding < 2) out += static_cast<char>(bits >> 8 & 0xFF);
        if (padding < 1) out += static_cast<char>(bits & 0xFF);
    }
    return true;
}

// The lines of a text that must end in CR LF (no CR or LF elsewhere); false when it does not.
bool SplitLines(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) return false;
        std::string line = text.substr(start, end - start);
        if (line.find_first_of("\r\n") != std::string::npos) return false;
        lines.push_back(line);
        start = end + 2;
    }
    return !text.empty();
}

std::string Sequence(std::size_t length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>(i);
    return bytes;
}

TEST(Base64EncodeTest, GoldenTexts) {
    const std::string line57 =
        "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4";
    const std::pair<std::string, std::string> cases[] = {
        {"", "\r\n"},
        {"a", "YQ==\r\n"},
        {"ab", "YWI=\r\n"},
        {"abc", "YWJj\r\n"},
        {"abcd", "YWJjZA==\r\n"},
        {std::string("\0\xFF\xFE", 3), "AP/+\r\n"},
        {Sequence(57), line57 + "\r\n\r\n"},
        {Sequence(58), line57 + "\r\nOQ==\r\n"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(Encode(input), expected) << input.size() << " bytes";
}

TEST(Base64EncodeTest, RandomDataRoundTripsWithExactLineStructure) {
    std::mt19937 random(20261206);
    std::vector<std::size_t> sizes;
    for (std::size_t n = 0; n <= 400; ++n) sizes.push_back(n);
    sizes.push_back(1000);  // 17 full lines and a last one of 44 characters
    for (std::size_t lines : {10u, 100u, 1000u, 17000u}) {
        for (std::size_t delta : {0u, 1u, 2u, 3u}) {
            sizes.push_back(lines * kLineInput + delta);
            sizes.push_back(lines * kLineInput - delta - 1);
        }
    }
    for (std::size_t size : sizes) {
        std::string input(size, '\0');
        for (char& c : input) c = static_cast<char>(random());
        std::string text = Encode(input);
        std::string decoded;
        ASSERT_TRUE(Decode(text, decoded)) << size;
        ASSERT_EQ(decoded, input) << size;
        std::vector<std::string> lines;
        ASSERT_TRUE(SplitLines(text, lines)) << size;
        std::size_t fullLines = size / kLineInput;
        ASSERT_EQ(lines.size(), fullLines + 1) << size;
        for (std::size_t i = 0; i < fullLines; ++i) ASSERT_EQ(lines[i].size(), kLineLength) << size;
        ASSERT_EQ(lines.back().size(), (size % kLineInput + 2) / 3 * 4) << size;
    }
}

TEST(Base64EncodedSizeTest, AlwaysCoversTextAndTerminator) {
    for (std::size_t n = 0; n < 5000; ++n) {
        std::size_t groups = (n + 2) / 3 * 4;
        std::size_t exact = groups + 2 * (n / kLineInput) + 2 + 1;
        ASSERT_GE(CSmtpAttachment::Base64EncodedSize(n), exact) << n;
    }
    EXPECT_EQ(CSmtpAttachment::Base64EncodedSize(SIZE_MAX), SIZE_MAX);
    EXPECT_EQ(CSmtpAttachment::Base64EncodedSize(SIZE_MAX / 2 + 1), SIZE_MAX);
    std::size_t big = std::size_t{1} << 40;
    EXPECT_GT(CSmtpAttachment::Base64EncodedSize(big), big / 3 * 4);
}

TEST(Base64EncodeTest, RefusesAnOutputBufferBelowTheNeededSize) {
    const unsigned char input[4] = {'a', 'b', 'c', 'd'};
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    std::size_t length = 99;
    std::size_t needed = CSmtpAttachment::Base64EncodedSize(sizeof input);
    EXPECT_EQ(CSmtpAttachment::Base64Encode(input, sizeof input, buffer, needed - 1, length),
              FALSE);
    EXPECT_EQ(length, 0u);
    for (char c : buffer) EXPECT_EQ(c, '#');
}

}  // namespace
