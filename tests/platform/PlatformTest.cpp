// The INI reader's rules, cuts and byte-order marks; on Windows the system's reader (the model)
// gives the same values.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/PrivateProfile.h"
#include "platform/SystemReader.h"
#include "support/TestFiles.h"

namespace {

// UTF-16 bytes: little-endian with `shift` 0, big-endian with 8.
std::string Utf16(std::u16string_view text, int shift) {
    std::string bytes;
    for (char16_t unit : text) bytes += {char(unit >> shift), char(unit >> (8 - shift))};
    return bytes;
}

TEST(PrivateProfileTest, Rules) {
    const std::string job = "[SMTP]\r\nServer=mail\r\n[Address]\r\nTo=ops\r\n";
    const std::tuple<std::string, const char*, const char*, std::string> cases[] = {
        {job, "smtp", "SERVER", "mail"},
        {job, "Message", "Subject", ""},
        {job, "SMTP", "Port", ""},
        {"[SMTP]\nServer=mail", "SMTP", "Server", "mail"},
        {"[SMTP]\rServer=mail\r[X]\rServer=other", "SMTP", "Server", "mail"},
        {"[SMTP]\n \t Server \t=\t mail host \t\n", "SMTP", "Server", "mail host"},
        {"  \t[SMTP] trailing\nServer=a", "SMTP", "Server", "a"},
        {"[ SMTP ]\nServer=a\n[SMTP ]\nServer=b", "SMTP", "Server", "a"},
        {"[SMTP] note ] more\nServer=a", "SMTP", "Server", ""},
        {"[SMTP] note ] more\nServer=a", "SMTP] note", "Server", "a"},
        {"[SMTP]\n ;Server=old\nServer=new;x", "SMTP", "Server", "new;x"},
        {"[SMTP]\nServer=a\nserver=b", "SMTP", "Server", "a"},
        {"[SMTQ]\nServer=a\n[Smtz]\nServeR=b", "SMTZ", "Server", "b"},
        {"[SMTP]\nPort=1\n[Other]\n[smtp]\nServer=b", "SMTP", "Server", ""},
        {"[M]\nSubject=\" a b \"", "M", "Subject", " a b "},
        {"[M]\nSubject='x'", "M", "Subject", "x"},
        {"[M]\nSubject=\"x'", "M", "Subject", "\"x'"},
        {"[M]\nSubject=\"", "M", "Subject", "\""},
        {"[M]\nSubject\nSubject=a=b", "M", "Subject", ""},  // a key without a value first
        {"[M]\nSubject=a=b", "M", "Subject", "a=b"},
        {"Server=a\n[SMTP]\n", "SMTP", "Server", ""},
        {"[SMTP]\n[Broken\nServer=a", "SMTP", "Server", "a"},
        {Utf8(u8"\uFEFF[SMTP]\n[経理]\nServer=経理部 髙橋"), "経理", "Server", "経理部 \xFB\xFC橋"},
        {Utf16(u"\uFEFF[A]\r\nK=漢字😀\xDC00ｱ\xDC00\U0001B600", 0) + "A", "A", "K", "漢字???ｱ????"},
        {Utf16(u"\uFEFF[A]\r\nK=漢字😀\xDC00ｱ\xDC00\U0001B600", 8), "A", "K", "漢字???ｱ???"},
        {"\xEF\xBB\xBF[A]\nK=a\xE6\xBC\xA2\xC0\x80\xF0\x94\xB8\x80\xF4\x8F\xBF\xBF\xE6z\n", "A",
         "K", "a漢???????z"},
        {std::string("[SMTP]\nServer=ab\0cd\n", 19), "SMTP", "Server", "ab"},
        {"[\x81]]\nKey=v", "\x81]", "Key", "v"},  // the first ']' is the trail byte of 0x815D
        {"[A]\nTo=" + std::string(510, 'a') + "日本", "A", "To", std::string(510, 'a')},
        {"[A]\nTo=" + std::string(509, 'a') + "日本", "A", "To", std::string(509, 'a') + "日"},
    };
    TempDir dir;
    for (const auto& [contents, section, key, value] : cases) {
        WriteFile(dir.Path("job.ini"), contents);
        EXPECT_EQ(GetPrivateProfileText(section, key, dir.Path("job.ini")), value) << contents;
        // Wine's reader takes a UTF-16 file's odd last byte with whatever follows it: no model.
        const bool odd = contents.size() % 2 == 1 && contents.rfind("\xFF\xFE", 0) == 0;
        if (auto model = SystemProfileText(section, key, dir.Path("job.ini")); model && !odd) {
            EXPECT_EQ(*model, value) << contents;
        }
    }
}

}  // namespace
