#pragma once

// The short list of things the portable core needs from the operating
// system. Windows implements them over Win32 (PlatformWin32.cpp), Linux over
// POSIX (PlatformPosix.cpp). Nothing here allocates per call.

#include <cstdint>

// --- High-resolution counter -------------------------------------------
// Counts since an arbitrary origin; QueryPerformanceCounter on Windows,
// CLOCK_MONOTONIC in nanoseconds on Linux. The frequency is counts per second
// and may be 0 on a machine without such a counter.
int64_t platformCounterValue();
int64_t platformCounterFrequency();

// A millisecond clock for when the counter has no frequency (GetTickCount
// on Windows); wraps after 2^32 ms.
uint32_t platformMilliseconds();

// Tests and the offline renderer drive the counter themselves: after
// platformUseTestCounter the two functions above return the given values
// until platformUseRealCounter is called.
void platformUseTestCounter(int64_t frequency, int64_t value);
void platformSetTestCounterValue(int64_t value);
void platformUseRealCounter();

// --- Embedded resources ------------------------------------------------
// Finds the RCDATA resource `name` in the program's own image. On success
// *data points at `*size` read-only bytes that stay valid for the life of the
// process and true is returned; a missing or empty resource gives false and
// leaves *data and *size unchanged.
bool platformFindResource(const char* name, const unsigned char** data, uint32_t* size);

// Test and fuzzing hook: later lookups of `name` answer with the given bytes
// (not copied; the caller keeps them alive) or, with data null, as missing.
// At most kMaxResourceOverrides names at a time; false when full.
const int kMaxResourceOverrides = 8;
bool platformOverrideResource(const char* name, const unsigned char* data, uint32_t size);
void platformClearResourceOverrides();

// --- Sleeping and the C runtime's random generator ---------------------
void platformSleepMs(int milliseconds);

// srand/rand of the Windows C runtime: RAND_MAX 32767. On Linux the same
// linear congruential sequence is generated here, so both builds draw the
// same values from the same seed.
void platformSeedRandom(unsigned seed);
int platformRandom();
