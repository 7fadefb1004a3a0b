// Memory hints on Linux (transparent huge pages and page-table population through madvise);
// elsewhere none are given.
#include "platform/MemoryHints.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

void PrepareForWriting(void* start, std::size_t size) {
#if defined(MADV_HUGEPAGE) && defined(MADV_POPULATE_WRITE)
    // One large page of the processors the program runs on (x86-64, ARM64 with 4 KiB pages).
    constexpr std::uintptr_t LARGE_PAGE = std::uintptr_t{2} << 20;
    const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t end = begin + size;
    const std::uintptr_t firstLarge = (begin + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1);
    const std::uintptr_t endLarge = end & ~(LARGE_PAGE - 1);
    if (firstLarge < endLarge) {
        madvise(reinterpret_cast<void*>(firstLarge), endLarge - firstLarge, MADV_HUGEPAGE);
    }
    // Older systems refuse the population (EINVAL): the pages are then faulted in as written.
    const std::uintptr_t firstPage = begin & ~(page - 1);
    madvise(reinterpret_cast<void*>(firstPage), end - firstPage, MADV_POPULATE_WRITE);
#else
    (void)start;
    (void)size;
#endif
}
