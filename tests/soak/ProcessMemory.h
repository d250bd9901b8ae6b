#pragma once

#include <cstdint>

// Bytes the process holds on its heap right now: glibc's in-use allocation
// total natively, the private commit charge under Windows. Only differences
// between two readings mean anything; 0 when the figure is not available.
uint64_t processHeapBytes();
