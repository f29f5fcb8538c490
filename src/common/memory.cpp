#include "memory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#include <cstdint>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

void keepFreedMemoryForReuse()
{
#if defined(__GLIBC__)
    // Blocks up to this size come from the heap instead of their own mapping, and up to this much
    // free memory at the heap's top is kept. A year's payroll of a large office is tens of MB.
    // Some C libraries take no more than 32 MB as the first bound: then that.
    constexpr int bound = 128 * 1024 * 1024;
    if (mallopt(M_MMAP_THRESHOLD, bound) != 1)
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, bound);
#endif
}

void preferLargePages(void* data, size_t bytes)
{
#if defined(__linux__)
    // Only the whole large pages inside the block.
    constexpr uintptr_t large = uintptr_t(2) * 1024 * 1024;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + large - 1) & ~(large - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(large - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}
