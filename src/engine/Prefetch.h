#pragma once
// Asks the processor to fetch the memory at an address into its caches without waiting for it.

inline void prefetchRead(const void* address)
{
#if defined(__GNUC__) && defined(__x86_64__)
    // An instruction of its own: the optimiser drops the builtin from some of the loops that need it.
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#elif defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}
