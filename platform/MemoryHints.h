// A hint for the large buffers that hold attachment text: they are written once from start to
// end, so their memory is best mapped in one go, in large pages where a buffer spans them.
#pragma once

#include <cstddef>

// Prepares the `size` bytes at `start`, which the caller is about to write in full: asks for large
// pages for the whole large pages inside the range and maps all of its pages at once, instead of
// one page fault per 4 KiB as the writing reaches them. A hint only: where the system offers
// neither, nothing changes and the memory works as before.
void PrepareForWriting(void* start, std::size_t size);
