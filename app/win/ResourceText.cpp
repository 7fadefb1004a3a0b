// The string table on Windows: the executable's own string resources, in code page 932 whatever
// the system's code page (the resources hold UTF-16).
#include "app/ResourceText.h"

#include "platform/Types.h"
#include "platform/win/WideText.h"

std::string LoadResourceText(unsigned int id) {
    // With no room given, LoadStringW points at the resource's own text, which has no terminator.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || text == nullptr) return {};
    return CodePage932FromWide(std::wstring_view(text, static_cast<std::size_t>(length)));
}
