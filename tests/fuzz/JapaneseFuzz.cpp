// The Japanese chain: widening, the conversion to ISO-2022-JP and encoded words. The text is
// 7-bit, every escape sequence is ESC $ B or ESC ( B, each one opened is closed, and a word holds
// only base64 between its delimiters.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "message/JapaneseText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string wide = WidenHalfWidthKana(text);
    Check(wide.size() <= 2 * text.size());
    const std::string jis = ShiftJisToJis(wide);
    bool jisMode = false;
    for (std::size_t i = 0; i < jis.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(jis[i]);
        Check(c < 0x80 && c != '\r' && c != 0x0E && c != 0x0F);
        if (c == 0x1B) {
            Check(jis.compare(i, 3, "\x1B$B") == 0 || jis.compare(i, 3, "\x1B(B") == 0);
            jisMode = jis[i + 1] == '$';
            i += 2;
        }
    }
    Check(!jisMode);
    const std::string word = EncodeJapaneseHeaderText(text);
    Check(word.rfind("=?ISO-2022-JP?B?", 0) == 0 && word.size() >= 18);
    Check(word.find_first_not_of(
              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=", 16) ==
          word.size() - 2);
    return 0;
}
