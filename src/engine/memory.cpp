#include "engine/memory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orvane {

#if defined(__GLIBC__)
namespace {
// Blocks of this size and more are mapped on their own rather than taken from an arena.
constexpr int kLargeBlockBytes = 1024 * 1024;
constexpr int kAllocatorPools = 2;
} // namespace
#endif

void tuneAllocatorForPages()
{
#if defined(__GLIBC__)
    // Pages of up to 16 MiB, and their decoded text of twice that, are built on the workers'
    // threads. Once glibc has freed one such mapped block it raises its mapping threshold to
    // match, and later ones are cut from the per-thread arenas, which keep them after the run:
    // tens of MiB per arena that never go back. A fixed threshold keeps every large block in a
    // mapping of its own, returned when it is freed.
    mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
    // Hundreds of workers would otherwise spread small blocks over one pool per core and
    // more, each keeping its own free memory after a run.
    mallopt(M_ARENA_MAX, kAllocatorPools);
#endif
}

void releaseFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace orvane
