#include "platform/Platform.h"
#include "platform/PlatformInternal.h"

#include <windows.h>

#include <cstdlib>

// The module whose resources are searched; start-up sets it from WinMain's
// first argument. Null means the program's own image.
HINSTANCE gInstance = nullptr;

int64_t platformRealCounterValue()
{
    LARGE_INTEGER value;
    value.QuadPart = 0;
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

int64_t platformRealCounterFrequency()
{
    LARGE_INTEGER frequency;
    frequency.QuadPart = 0;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

uint32_t platformMilliseconds()
{
    return GetTickCount();
}

bool platformFindEmbeddedResource(const char* name, const unsigned char** data, uint32_t* size)
{
    HRSRC found = FindResourceA(gInstance, name, reinterpret_cast<LPCSTR>(RT_RCDATA));
    if (found == nullptr) {
        return false;
    }
    const DWORD length = SizeofResource(gInstance, found);
    if (length == 0) {
        return false;
    }
    HGLOBAL loaded = LoadResource(gInstance, found);
    if (loaded == nullptr) {
        return false;
    }
    const void* locked = LockResource(loaded);
    if (locked == nullptr) {
        return false;
    }
    *data = static_cast<const unsigned char*>(locked);
    *size = length;
    return true;
}

void platformSleepMs(int milliseconds)
{
    Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds));
}

void platformSeedRandom(unsigned seed)
{
    srand(seed);
}

int platformRandom()
{
    return rand();
}
