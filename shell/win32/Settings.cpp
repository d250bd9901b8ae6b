#include "shell/win32/SaverState.h"

#include <cstring>

namespace {

const char* const kScreenSaversKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kSaverKey = "Software\\Vessop\\Quorrel Saver";
const char* const kPasswordDelayName = "Password Delay";
const char* const kMouseThresholdName = "Mouse Threshold";
const char* const kUseMirrorsName = "UseMirrors";

const int32_t kDefaultPasswordDelaySeconds = 15;
const int32_t kDefaultMouseThresholdPixels = 50;
const int32_t kDefaultUseMirrors = 1;

// Every stored value is taken as four little-endian bytes whatever its
// registry type; the registry itself refuses longer data (ERROR_MORE_DATA),
// so a field changes only on a clean read. Shorter data fills the low bytes
// and the rest reads as zero.
void readFourByteValue(HKEY key, const char* name, int32_t* field)
{
    unsigned char buffer[sizeof(int32_t)] = {0, 0, 0, 0};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    if (RegQueryValueExA(key, name, nullptr, &type, buffer, &size) != ERROR_SUCCESS) {
        return;
    }
    uint32_t value = static_cast<uint32_t>(buffer[0]) | (static_cast<uint32_t>(buffer[1]) << 8)
        | (static_cast<uint32_t>(buffer[2]) << 16) | (static_cast<uint32_t>(buffer[3]) << 24);
    std::memcpy(field, &value, sizeof(value));
}

} // namespace

SaverState::SaverState()
    : window(nullptr),
      passwordDelay(0),
      mouseThreshold(0),
      startCursor{0, 0},
      startTick(0),
      checkingPassword(0),
      closeRequested(0),
      useMirrors(0)
{
}

void SaverState::loadScreenSaverSettings()
{
    passwordDelay = kDefaultPasswordDelaySeconds;
    mouseThreshold = kDefaultMouseThresholdPixels;
    checkingPassword = 0;

    // Full access although only read: a key the user may not write stays
    // unopened and the defaults stand, as the system's own savers behave.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kScreenSaversKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    readFourByteValue(key, kPasswordDelayName, &passwordDelay);
    readFourByteValue(key, kMouseThresholdName, &mouseThreshold);
    RegCloseKey(key);
}

void SaverState::loadMirrorSetting()
{
    useMirrors = kDefaultUseMirrors;

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSaverKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    readFourByteValue(key, kUseMirrorsName, &useMirrors);
    RegCloseKey(key);
}

void SaverState::saveMirrorSetting()
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSaverKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
            nullptr, &key, &disposition)
        != ERROR_SUCCESS) {
        return;
    }
    const uint32_t value = static_cast<uint32_t>(useMirrors);
    const BYTE bytes[sizeof(value)] = {
        static_cast<BYTE>(value & 0xFFu),
        static_cast<BYTE>((value >> 8) & 0xFFu),
        static_cast<BYTE>((value >> 16) & 0xFFu),
        static_cast<BYTE>((value >> 24) & 0xFFu),
    };
    RegSetValueExA(key, kUseMirrorsName, 0, REG_DWORD, bytes, sizeof(bytes));
    RegCloseKey(key);
}
