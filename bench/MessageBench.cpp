// Throughput of the attachment and body encoders on 64 MiB inputs: base64 text of an attachment,
// and the body's widening and ISO-2022-JP conversion for ASCII, Japanese and mixed text.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>
#include <random>
#include <string>

#include "message/CSmtpAttachment.h"
#include "message/JapaneseText.h"

namespace {

constexpr std::size_t INPUT_BYTES = std::size_t{64} << 20;

// Repeats `piece` up to exactly INPUT_BYTES, never cutting a double-byte character in two.
std::string Repeat(const std::string& piece) {
    std::string text;
    text.reserve(INPUT_BYTES + piece.size());
    while (text.size() < INPUT_BYTES) text += piece;
    text.resize(INPUT_BYTES - INPUT_BYTES % 2);
    return text;
}

const std::string& AsciiText() {
    static const std::string text =
        Repeat("The quick brown fox jumps over the lazy dog. 0123456789\n");
    return text;
}

const std::string& JapaneseText() {
    static const std::string text =
        Repeat("日本語の本文は全角文字だけで書かれている。漢字とかなカナ");
    return text;
}

const std::string& MixedText() {
    static const std::string text =
        Repeat("明日の会議は10:00から第2会議室で行います。\r\nﾃｽﾄ ｶﾞｲﾄﾞ Agenda: review.\r\n");
    return text;
}

void BM_Base64Encode(benchmark::State& state) {
    std::string input(INPUT_BYTES, '\0');
    std::mt19937_64 random(1);
    for (char& c : input) c = static_cast<char>(random());
    std::size_t size = CSmtpAttachment::Base64EncodedSize(input.size());
    std::unique_ptr<char[]> output(new char[size]);
    for (auto _ : state) {
        std::size_t length = 0;
        CSmtpAttachment::Base64Encode(reinterpret_cast<const unsigned char*>(input.data()),
                                      input.size(), output.get(), size, length);
        benchmark::DoNotOptimize(length);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(input.size()));
}

template <const std::string& (*Text)()>
void BM_ShiftJisToJis(benchmark::State& state) {
    const std::string& input = Text();
    for (auto _ : state) {
        std::string converted = ShiftJisToJis(input);
        benchmark::DoNotOptimize(converted.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(input.size()));
}

template <const std::string& (*Text)()>
void BM_WidenHalfWidthKana(benchmark::State& state) {
    const std::string& input = Text();
    for (auto _ : state) {
        std::string widened = WidenHalfWidthKana(input);
        benchmark::DoNotOptimize(widened.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(input.size()));
}

// The reference for memory speed: one copy of the input into a new string of the same size.
void BM_CopyReference(benchmark::State& state) {
    const std::string& input = AsciiText();
    for (auto _ : state) {
        std::string copy(input);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(input.size()));
}

}  // namespace

BENCHMARK(BM_CopyReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Base64Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShiftJisToJis<AsciiText>)
    ->Name("BM_ShiftJisToJis/ascii")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShiftJisToJis<JapaneseText>)
    ->Name("BM_ShiftJisToJis/japanese")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShiftJisToJis<MixedText>)
    ->Name("BM_ShiftJisToJis/mixed")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidenHalfWidthKana<AsciiText>)
    ->Name("BM_WidenHalfWidthKana/ascii")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidenHalfWidthKana<MixedText>)
    ->Name("BM_WidenHalfWidthKana/mixed")
    ->Unit(benchmark::kMillisecond);
