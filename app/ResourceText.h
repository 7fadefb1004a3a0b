// The program's string table (on Windows the resources of the executable, elsewhere built in).
#pragma once

#include <string>

#include "res/resource.h"

// The text of the string with that id; the empty text for an id without a string.
std::string LoadResourceText(unsigned int id);
