// The string table on Windows: the executable's own string resources.
#include "app/ResourceText.h"

#include "platform/Types.h"

namespace {
// The longest string the run loads, with its terminator (MAX_PATH).
constexpr int RESOURCE_TEXT_BUFFER_SIZE = 260;
}  // namespace

std::string LoadResourceText(unsigned int id) {
    char buffer[RESOURCE_TEXT_BUFFER_SIZE] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, buffer, RESOURCE_TEXT_BUFFER_SIZE);
    return buffer;
}
