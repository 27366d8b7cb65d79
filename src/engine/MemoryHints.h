#pragma once
// Hints to the processor and the kernel about memory that long runs read out of order.

#include <QtGlobal>

#include <cstddef>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

// Asks the processor to fetch the memory at an address into its caches without waiting for it.
inline void prefetchRead(const void* address)
{
#if defined(__GNUC__) && defined(__x86_64__)
    // An instruction of its own: the optimiser drops the builtin from some of the loops that need it.
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#elif defined(__GNUC__)
    __builtin_prefetch(address);
#else
    Q_UNUSED(address)
#endif
}

#ifdef Q_OS_LINUX
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
// Gives the advice for the whole pages of pageSize inside a block, if there are any.
inline void adviseWholePages(const void* begin, std::size_t bytes, quintptr pageSize, int advice)
{
    const quintptr first = (quintptr(begin) + pageSize - 1) & ~(pageSize - 1);
    const quintptr last = (quintptr(begin) + bytes) & ~(pageSize - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, advice);
}
#endif

// Asks for transparent huge pages for the whole 2 MiB pages inside a block not yet written: reads
// spread over it then miss the address cache far less often, and filling it takes fewer page faults.
inline void adviseHugePages(const void* begin, std::size_t bytes)
{
#ifdef Q_OS_LINUX
    adviseWholePages(begin, bytes, quintptr(2) << 20, MADV_HUGEPAGE);
#else
    Q_UNUSED(begin)
    Q_UNUSED(bytes)
#endif
}

// Has the kernel map the whole pages inside a new block at once, before it is written: far cheaper
// than a page fault at the first write to each page. Does nothing where the system cannot.
inline void prefaultForWrite(const void* begin, std::size_t bytes)
{
#ifdef Q_OS_LINUX
    adviseWholePages(begin, bytes, 4096, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(begin)
    Q_UNUSED(bytes)
#endif
}
