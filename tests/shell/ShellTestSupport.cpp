#include "ShellTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

// The shell's process-wide values; start-up defines them in the saver
// itself, the tests drive the shell's parts without it.
RunMode gRunMode = RunMode::None;
SaverState* gSaverState = nullptr;
HWND gSaverWindow = nullptr;

const char* const kScreenSaversKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kSaverKey = "Software\\Vessop\\Quorrel Saver";
const char* const kSendMessageSwitch = "--send-message";
bool gQuitPosted = false;

namespace {

const char* const kSaverParentKey = "Software\\Vessop";
const char* const kSaverClassName = "OpenGL";
const char* const kSaverTitle = "SaverWindow";
const char* const kHostClassName = "PellixTestPreviewHost";
const char* const kOtherClassName = "PellixTestOtherWindow";
const int kHostX = 100;
const int kHostY = 80;
const int kHostWidth = 320;
const int kHostHeight = 240;
const int kOtherX = 40;
const int kOtherY = 40;
const int kOtherSize = 120;
const DWORD kSendTimeoutMs = 10000;
const DWORD kPollMs = 10;
const UINT kSaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;

bool registerClassOnce(const char* name, WNDPROC procedure, UINT style)
{
    WNDCLASSA existing = {};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) {
        return true;
    }
    WNDCLASSA windowClass = {};
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

bool keyIsEmpty(HKEY root, const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
        nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

void deleteValue(const char* path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

void deleteKeyWhenEmpty(const char* path)
{
    if (keyIsEmpty(HKEY_CURRENT_USER, path)) {
        RegDeleteKeyA(HKEY_CURRENT_USER, path);
    }
}

} // namespace

bool writeRegistryValue(const char* path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
            &key, nullptr)
        != ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool restrictRegistryKey(const char* path, DWORD access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, WRITE_DAC, &key) != ERROR_SUCCESS) {
        return false;
    }
    SID_IDENTIFIER_AUTHORITY worldAuthority = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    bool applied = false;
    if (AllocateAndInitializeSid(&worldAuthority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        alignas(DWORD) unsigned char aclBytes[256] = {};
        ACL* acl = reinterpret_cast<ACL*>(aclBytes);
        SECURITY_DESCRIPTOR descriptor;
        applied = InitializeAcl(acl, sizeof(aclBytes), ACL_REVISION)
            && (access == 0 || AddAccessAllowedAce(acl, ACL_REVISION, access, everyone))
            && InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)
            && SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)
            && RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
        FreeSid(everyone);
    }
    RegCloseKey(key);
    return applied;
}

bool allowRegistryKey(const char* path)
{
    return restrictRegistryKey(path, KEY_ALL_ACCESS | READ_CONTROL | WRITE_DAC | DELETE);
}

bool writeRegistryDword(const char* path, const char* name, uint32_t value)
{
    return writeRegistryValue(path, name, REG_DWORD, &value, sizeof(value));
}

void removeSaverSettings()
{
    deleteValue(kScreenSaversKey, "Password Delay");
    deleteValue(kScreenSaversKey, "Mouse Threshold");
    deleteKeyWhenEmpty(kScreenSaversKey);
    deleteValue(kSaverKey, "UseMirrors");
    deleteKeyWhenEmpty(kSaverKey);
    deleteKeyWhenEmpty(kSaverParentKey);
}

bool readRegistryValue(const char* path, const char* name, DWORD* type, std::vector<unsigned char>* data)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        data->assign(size, 0);
        result = RegQueryValueExA(key, name, nullptr, type, data->empty() ? nullptr : data->data(), &size);
        data->resize(size);
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::string programDirectory()
{
    char path[MAX_PATH] = {0};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string directory(path, length < sizeof(path) ? length : 0);
    const size_t slash = directory.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

std::string freshTempPath(const char* prefix)
{
    char folder[MAX_PATH] = {0};
    char path[MAX_PATH] = {0};
    GetTempPathA(sizeof(folder), folder);
    GetTempFileNameA(folder, prefix, 0, path);
    DeleteFileA(path);
    return path;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

size_t countLinesStartingWith(const std::vector<std::string>& lines, const char* start)
{
    size_t count = 0;
    for (const std::string& line : lines) {
        if (line.compare(0, std::strlen(start), start) == 0) {
            ++count;
        }
    }
    return count;
}

bool placePasswordPanel(PasswordPanel panel)
{
    const std::string target = programDirectory() + "PASSWORD.CPL";
    DeleteFileA(target.c_str());
    const char* source = nullptr;
    switch (panel) {
    case PasswordPanel::Missing:
        return GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES;
    case PasswordPanel::Answering:
        source = "..\\fakes\\answering\\PASSWORD.CPL";
        break;
    case PasswordPanel::WithoutVerify:
        source = "..\\fakes\\without-verify\\PASSWORD.CPL";
        break;
    }
    return CopyFileA((programDirectory() + source).c_str(), target.c_str(), FALSE) != 0;
}

bool pumpMessages()
{
    bool quit = false;
    MSG message = {};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            gQuitPosted = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            return condition();
        }
        pumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
    return true;
}

bool sendFromAnotherProcess(HWND target, UINT message, WPARAM wParam, LPARAM lParam)
{
    char program[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, program, sizeof(program));
    char commandLine[2 * MAX_PATH] = {0};
    std::snprintf(commandLine, sizeof(commandLine), "\"%s\" %s %llu %u %llu %lld", program, kSendMessageSwitch,
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(target)), message,
        static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    // The other process's SendMessage is served only while this thread pumps.
    pumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, kGenerousWaitMs);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode == 0;
}

int sendMessageProcessMain(int argc, char** argv)
{
    if (argc < 6) {
        return 2;
    }
    HWND target = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(argv[2], nullptr, 10)));
    const UINT message = static_cast<UINT>(std::strtoul(argv[3], nullptr, 10));
    const WPARAM wParam = static_cast<WPARAM>(std::strtoull(argv[4], nullptr, 10));
    const LPARAM lParam = static_cast<LPARAM>(std::strtoll(argv[5], nullptr, 10));
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(target, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result) != 0 ? 0 : 1;
}

bool moveCursorTo(int x, int y)
{
    SetCursorPos(x, y);
    return pumpUntil(
        [&] {
            POINT cursor = {};
            GetCursorPos(&cursor);
            return cursor.x == x && cursor.y == y;
        },
        kGenerousWaitMs);
}

TestSaverWindow::TestSaverWindow(RunMode mode)
{
    registerClassOnce(kSaverClassName, saverWindowProc, kSaverClassStyle);
    registerClassOnce(kHostClassName, DefWindowProcA, 0);
    gRunMode = mode;
    gQuitPosted = false;
    state.loadScreenSaverSettings();
    state.loadMirrorSetting();
    gSaverState = &state;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (mode == RunMode::FullScreen) {
        window = CreateWindowExA(0, kSaverClassName, kSaverTitle, WS_POPUP | WS_VISIBLE, 0, 0,
            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    } else {
        host = CreateWindowExA(0, kHostClassName, "PreviewHost", WS_OVERLAPPEDWINDOW | WS_VISIBLE, kHostX, kHostY,
            kHostWidth, kHostHeight, nullptr, nullptr, instance, nullptr);
        RECT rect = {};
        GetWindowRect(host, &rect);
        window = CreateWindowExA(0, kSaverClassName, kSaverTitle, WS_CHILD | WS_VISIBLE, 0, 0,
            rect.right - rect.left, rect.bottom - rect.top, host, nullptr, instance, nullptr);
    }
    gSaverWindow = window;
    pump();
}

TestSaverWindow::~TestSaverWindow()
{
    if (isOpen()) {
        DestroyWindow(window);
    }
    if (host != nullptr && IsWindow(host)) {
        DestroyWindow(host);
    }
    pump();
    gSaverWindow = nullptr;
    gSaverState = nullptr;
    gRunMode = RunMode::None;
}

bool TestSaverWindow::isOpen() const
{
    return window != nullptr && IsWindow(window);
}

void TestSaverWindow::pump()
{
    pumpMessages();
}

bool TestSaverWindow::quitPosted() const
{
    return gQuitPosted;
}

void TestSaverWindow::post(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(window, message, wParam, lParam);
    pump();
}

bool TestSaverWindow::waitPastStartTick()
{
    return pumpUntil([&] { return GetTickCount() - state.startTick > 0; }, kGenerousWaitMs);
}

OtherWindow::OtherWindow()
{
    registerClassOnce(kOtherClassName, DefWindowProcA, 0);
    window = CreateWindowExA(0, kOtherClassName, "OtherWindow", WS_OVERLAPPEDWINDOW, kOtherX, kOtherY, kOtherSize,
        kOtherSize, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

OtherWindow::~OtherWindow()
{
    if (window != nullptr) {
        DestroyWindow(window);
    }
    pumpMessages();
}

bool OtherWindow::activate()
{
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    return pumpUntil([&] { return GetActiveWindow() == window; }, kGenerousWaitMs);
}
