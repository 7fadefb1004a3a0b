// The program's built-in string table.
#pragma once

#include <string>

// String 101: the text of the About item.
inline constexpr unsigned int IDS_ABOUTBOX = 101;

// The text of the string with that id; the empty text for an id without a string.
std::string LoadResourceText(unsigned int id);
