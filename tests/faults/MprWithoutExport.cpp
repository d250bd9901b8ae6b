// A stand-in MPR.DLL that loads but has no PwdChangePasswordA, as on a
// system whose network provider library lacks the password change.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI WNetGetLastErrorA(LPDWORD error, LPSTR, DWORD, LPSTR, DWORD)
{
    if (error != nullptr) {
        *error = 0;
    }
    return 0;
}
