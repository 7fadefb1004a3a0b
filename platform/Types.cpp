// Basic types of the program (header only; this file gives an empty folder library a source).
#include "platform/Types.h"
