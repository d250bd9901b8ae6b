#include "tests/soak/ProcessMemory.h"

#if defined(_WIN32)
#include <windows.h>
#include <psapi.h>
#else
#include <malloc.h>
#endif

uint64_t processHeapBytes()
{
#if defined(_WIN32)
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof(counters))) {
        return 0;
    }
    return counters.PrivateUsage;
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}
