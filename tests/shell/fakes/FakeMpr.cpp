// A stand-in for the password provider DLL: PwdChangePasswordA appends its
// four arguments to the file named by PELLIX_TEST_MPR_LOG, one line a call.
#include "FakeLog.h"

#include <cstdio>

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD reserved1,
    DWORD reserved2)
{
    char line[256] = {0};
    std::snprintf(line, sizeof(line), "provider=%s parent=%llu reserved=%lu,%lu",
        provider != nullptr ? provider : "(null)",
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)),
        static_cast<unsigned long>(reserved1), static_cast<unsigned long>(reserved2));
    fakeLogLine("PELLIX_TEST_MPR_LOG", line);
    return 0;
}
