// One character converted to code page 932 by glibc's "CP932" converter.
#include "platform/CodePage932.h"

#include <iconv.h>

namespace {
// The longest code page 932 character, with room to spare for a converter's shift bytes.
constexpr std::size_t OUTPUT_BYTES = 4;
// The converter's input: one UTF-32LE unit.
constexpr std::size_t INPUT_BYTES = 4;
}  // namespace

bool AppendCodePage932Character(char32_t code, std::string& text) {
    // Opened once for the process: a job file converts many characters.
    static const iconv_t converter = iconv_open("CP932", "UTF-32LE");
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    char input[INPUT_BYTES] = {char(code & 0xFF), char(code >> 8 & 0xFF), char(code >> 16 & 0xFF),
                               0};
    char output[OUTPUT_BYTES];
    char* in = input;
    char* next = output;
    std::size_t inLeft = sizeof input, outLeft = sizeof output;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    text.append(output, static_cast<std::size_t>(next - output));
    return true;
}
