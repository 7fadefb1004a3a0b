// One character converted to code page 932 by Windows's own converter.
#include "platform/CodePage932.h"

#include "platform/win/WideText.h"

namespace {
constexpr char32_t FIRST_SUPPLEMENTARY = 0x10000;  // takes two UTF-16 units
}  // namespace

bool AppendCodePage932Character(char32_t code, std::string& text) {
    // Code page 932 has no character beyond the first plane.
    return code < FIRST_SUPPLEMENTARY && AppendCodePage932Unit(static_cast<wchar_t>(code), text);
}
