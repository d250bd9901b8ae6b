#pragma once

#include <cstdint>

// Counts the heap allocations (malloc, calloc, realloc, the aligned forms
// and operator new) that the thread which started counting makes while
// counting is on. Other threads, such as the rasteriser's workers, are not
// counted. `own` counts only the calls made from code of this executable
// (the statically linked core), not from the shared libraries (Mesa, GLU,
// the C++ runtime) that it calls.
struct AllocationCount {
    int64_t all = 0;
    int64_t own = 0;
};

void startCountingAllocations();
// Stops counting; returns the allocations since the last start.
AllocationCount stopCountingAllocations();
