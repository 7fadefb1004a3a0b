// Shared by the fuzz targets: a property that must hold stops the run where it fails, and the
// targets that write log entries run where no log can be made, so nothing piles up on disk.
#pragma once

#include <cstdlib>
#include <string>
#include <unistd.h>

inline void Check(bool holds) {
    if (!holds) __builtin_trap();
}

// Makes a fresh folder the current directory, with a file where the error log's folder would go.
inline void RunWhereNoLogCanBeMade() {
    char folder[] = "/tmp/fernpost-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
    std::system("touch log");
}
