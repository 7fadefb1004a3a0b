// The sample jobs of the interop suite and the files they are sent from. String literals here
// are Shift-JIS in the compiled test (as in the program); the expectations for the checker are
// converted to UTF-8 with iconv.
#include "SampleJob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iconv.h>
#include <random>
#include <set>

#include "platform/TextFormat.h"
#include "support/TempDir.h"

namespace {

const std::size_t RANDOM_ATTACHMENT_SIZE =
    70001;                                   // several base64 lines, one byte past a full group
const std::uint32_t RANDOM_SEED = 20261206;  // fixed, so that a failure can be repeated

// A JSON string literal of UTF-8 text.
std::string Json(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            out += FormatText("\\u%04x", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonAddress(const SampleJob::Address& address) {
    return "{\"name\": " + Json(Utf8FromShiftJis(address.name)) +
           ", \"address\": " + Json(address.address) + "}";
}

std::string JsonAddresses(const std::vector<SampleJob::Address>& addresses) {
    std::string out = "[";
    for (const SampleJob::Address& address : addresses) {
        if (out.size() > 1) out += ", ";
        out += JsonAddress(address);
    }
    return out + "]";
}

std::string ExpectedContentPath(const std::string& directory, std::size_t index) {
    return directory + "/expected/attachment-" + std::to_string(index);
}

std::string RandomBytes(std::size_t size) {
    std::mt19937 generator(RANDOM_SEED);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

}  // namespace

std::string Utf8FromShiftJis(const std::string& text, bool lenient) {
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv cannot convert CP932 to UTF-8";
        return text;
    }
    std::string out(text.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0 &&
           iconv(converter, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        if (!lenient) {
            ADD_FAILURE() << "a sample text is not valid CP932";
            break;
        }
        *outPtr++ = '?';  // a byte that is not CP932
        --outLeft;
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

void PrintTo(SampleFactory factory, std::ostream* out) { *out << factory().title; }

std::string SampleName(const testing::TestParamInfo<SampleFactory>& info) {
    return info.param().title;
}

void SampleJob::WriteExpectation(const std::string& directory) const {
    std::string json = "{\n  \"from\": " + JsonAddress(expectedFrom) + ",\n";
    json += "  \"to\": " + JsonAddresses(expectedTo) + ",\n";
    json += "  \"cc\": " + JsonAddresses(expectedCc) + ",\n";
    json += "  \"bcc\": " + JsonAddresses(expectedBcc) + ",\n";
    json += "  \"refused\": [";
    for (std::size_t i = 0; i < refusedAddresses.size(); ++i) {
        json += (i == 0 ? "" : ", ") + Json(refusedAddresses[i]);
    }
    json += "],\n";
    json += "  \"subject\": " + Json(Utf8FromShiftJis(expectedSubject)) + ",\n";
    json += "  \"body\": " + Json(Utf8FromShiftJis(expectedBody)) + ",\n";
    json += "  \"attachments\": [";
    for (std::size_t i = 0; i < attachments.size(); ++i) {
        json += i == 0 ? "\n" : ",\n";
        json += "    {\"name\": " + Json(Utf8FromShiftJis(attachments[i].fileName)) +
                ", \"path\": " + Json(ExpectedContentPath(directory, i)) + "}";
    }
    json += "]\n}\n";
    WriteFile(directory + "/expect.json", json);
    std::filesystem::create_directories(directory + "/expected");
    for (std::size_t i = 0; i < attachments.size(); ++i) {
        WriteFile(ExpectedContentPath(directory, i), attachments[i].content);
    }
}

std::string SampleJob::WriteFiles(const std::string& directory) const {
    std::filesystem::create_directories(directory + "/files");
    std::string list;
    for (const Attachment& attachment : attachments) {
        std::string path = directory + "/files/" + attachment.fileName;
        WriteFile(path, attachment.content);
        list += path + "\r\n";
    }
    WriteFile(directory + "/attachments.txt", list);
    WriteFile(directory + "/body.txt", body);

    std::string ini = "[SMTP]\r\nServer=127.0.0.1\r\n[Address]\r\n";
    ini += "FromName=" + fromName + "\r\nFromAddress=" + fromAddress + "\r\n";
    ini += "To=" + to + "\r\nCc=" + cc + "\r\nBcc=" + bcc + "\r\n";
    ini += "[Message]\r\nSubject=" + subject + "\r\n";
    ini += "BodyFile=" + directory + "/body.txt\r\n";
    if (!attachments.empty()) ini += "AttachmentPathFile=" + directory + "/attachments.txt\r\n";
    WriteFile(directory + "/job.ini", ini);
    WriteExpectation(directory);
    return directory + "/job.ini";
}

std::size_t SampleJob::RecipientCount() const {
    std::set<std::string> addresses;
    for (const auto* list : {&expectedTo, &expectedCc, &expectedBcc}) {
        for (const Address& address : *list) addresses.insert(address.address);
    }
    for (const std::string& refused : refusedAddresses) addresses.erase(refused);
    return addresses.size();
}

SampleJob SampleJob::AsciiOnly() {
    SampleJob job;
    job.title = "AsciiOnly";
    job.fromName = "Nightly Batch";
    job.fromAddress = "batch@example.test";
    job.to = "Ops Team <ops@example.test>, audit@example.test";
    job.subject = "Nightly report: all 12 jobs done";
    job.body = "Hello,\r\n\r\nAll 12 jobs finished at 02:00 (100% done).\r\nBye\r\n";
    job.expectedFrom = {"Nightly Batch", "batch@example.test"};
    job.expectedTo = {{"Ops Team", "ops@example.test"}, {"", "audit@example.test"}};
    job.expectedSubject = job.subject;
    job.expectedBody = "Hello,\n\nAll 12 jobs finished at 02:00 (100% done).\nBye\n";
    return job;
}

SampleJob SampleJob::Japanese() {
    SampleJob job;
    job.title = "Japanese";
    job.fromName = "山田 太郎";
    job.fromAddress = "yamada@example.test";
    job.to = "佐藤 花子 <hanako@example.test>; 鈴木一郎<suzuki@example.test>";
    job.cc = "ｶﾀｶﾅ 担当 <kana@example.test>, cc-plain@example.test";
    job.bcc = "監査部 <audit@example.test>; hidden@example.test";
    job.subject = "【月次】売上レポート ﾃｽﾄ版";
    job.body =
        "お疲れ様です。山田です。\r\n"
        "今月の売上報告をお送りします。\r\n"
        "\r\n"
        "ﾊﾞｰｼﾞｮﾝｱｯﾌﾟのお知らせ：ｶﾀｶﾅ、ひらがな、漢字。\r\n"
        "よろしくお願いいたします。";  // the last line has no line end
    job.attachments = {{"empty.dat", ""},
                       {"random.bin", RandomBytes(RANDOM_ATTACHMENT_SIZE)},
                       {"売上報告_ソ表.txt", "売上報告\r\n合計 1,234,567 円\r\n"}};
    job.expectedFrom = {"山田 太郎", "yamada@example.test"};
    job.expectedTo = {{"佐藤 花子", "hanako@example.test"}, {"鈴木一郎", "suzuki@example.test"}};
    job.expectedCc = {{"カタカナ 担当", "kana@example.test"}, {"", "cc-plain@example.test"}};
    job.expectedBcc = {{"監査部", "audit@example.test"}, {"", "hidden@example.test"}};
    job.expectedSubject = "【月次】売上レポート テスト版";
    job.expectedBody =
        "お疲れ様です。山田です。\n"
        "今月の売上報告をお送りします。\n"
        "\n"
        "バージョンアップのお知らせ：カタカナ、ひらがな、漢字。\n"
        "よろしくお願いいたします。\n";
    return job;
}

SampleJob SampleJob::DotLines() {
    SampleJob job;
    job.title = "DotLines";
    job.fromName = "Dot Tester";
    job.fromAddress = "dots@example.test";
    job.to = "dots-to@example.test";
    job.subject = "ドットで始まる行";
    job.body = ".\n..\n.starts with a dot\n...three dots\n.日本語の行\nmiddle . dot\n.\n";
    job.expectedFrom = {"Dot Tester", "dots@example.test"};
    job.expectedTo = {{"", "dots-to@example.test"}};
    job.expectedSubject = job.subject;
    job.expectedBody = job.body;
    return job;
}

SampleJob SampleJob::RefusedRecipient() {
    SampleJob job;
    job.title = "RefusedRecipient";
    job.fromName = "Refusal Test";
    job.fromAddress = "refusal@example.test";
    job.to = "受取人 <kept@example.test>, 部外者 <outsider@elsewhere.invalid>";
    job.cc = "cc-kept@example.test";
    job.subject = "一部の宛先は拒否されます";
    job.body = "届いた人だけが読めます。\r\n";
    job.expectedFrom = {"Refusal Test", "refusal@example.test"};
    job.expectedTo = {{"受取人", "kept@example.test"}, {"部外者", "outsider@elsewhere.invalid"}};
    job.expectedCc = {{"", "cc-kept@example.test"}};
    job.refusedAddresses = {"outsider@elsewhere.invalid"};
    job.expectedSubject = job.subject;
    job.expectedBody = "届いた人だけが読めます。\n";
    return job;
}
