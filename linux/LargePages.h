// The process's heap in large pages where the kernel offers them for the asking
// (transparent huge pages in "madvise" mode). A run over a large hive fills tens of
// megabytes of heap once, and the first touch of each 4 KiB page is a fault: on a
// virtual machine a few microseconds each, more than the reading itself. Nothing
// changes where large pages are off or not offered; a build under a leak checker,
// whose allocator is its own, is not affected either.
#pragma once
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace qx {

inline void UseLargeHeapPages() {
    constexpr size_t kLarge = size_t(2) << 20;    // one large page
    constexpr size_t kReserve = size_t(256) << 20;  // address space, not memory: pages come when touched
    // Every block from the one heap, which grows once by the reserve and never shrinks,
    // so that one advice covers it all.
    if (!mallopt(M_MMAP_THRESHOLD, 32 << 20) || !mallopt(M_TRIM_THRESHOLD, 512 << 20) ||
        !mallopt(M_TOP_PAD, static_cast<int>(kReserve)))
        return;
    const uintptr_t before = reinterpret_cast<uintptr_t>(sbrk(0));
    // Larger than what is left of the heap's top: the heap grows now (kept in a volatile
    // so that the compiler does not leave the pair out).
    void* volatile grow = std::malloc(1 << 20);
    std::free(grow);
    const uintptr_t after = reinterpret_cast<uintptr_t>(sbrk(0));
    const uintptr_t start = (before + kLarge - 1) & ~(kLarge - 1);
    if (after > start + kLarge)
        madvise(reinterpret_cast<void*>(start), (after - start) & ~(kLarge - 1), MADV_HUGEPAGE);
}

}  // namespace qx
