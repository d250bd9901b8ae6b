// A stand-in for the Windows 95/98 password control panel. The answer of
// VerifyScreenSavePwd is "1" (right) or anything else (wrong), taken from
// the first byte of the file named by PELLIX_TEST_PASSWORD_ANSWER_FILE when
// that is set (so that a test can change it while a saver runs), otherwise
// from PELLIX_TEST_PASSWORD_ANSWER; unset means wrong. Every load, unload
// and call is appended to the file named by PELLIX_TEST_PASSWORD_LOG. Built a second time with
// PELLIX_FAKE_WITHOUT_VERIFY to give a control panel that lacks the export.
#include "FakeLog.h"

#include <cstdio>

namespace {

const char* const kLogVariable = "PELLIX_TEST_PASSWORD_LOG";
const char* const kAnswerVariable = "PELLIX_TEST_PASSWORD_ANSWER";
const char* const kAnswerFileVariable = "PELLIX_TEST_PASSWORD_ANSWER_FILE";
// A host may export this to act while the check is in progress, the way a
// password dialog's own message loop would let input through.
const char* const kDuringCheckHook = "pellixTestDuringPasswordCheck";

typedef void (*DuringCheckHook)(HWND window);

#ifndef PELLIX_FAKE_WITHOUT_VERIFY
// The system's password dialog is modal: while it is up, the caller's queue
// keeps being dispatched. Draining it once stands for that.
void dispatchPendingMessages()
{
    MSG message = {};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool answerFileSaysRight(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char first = 0;
    DWORD read = 0;
    const BOOL ok = ReadFile(file, &first, 1, &read, nullptr);
    CloseHandle(file);
    return ok && read == 1 && first == '1';
}

bool answerIsRight()
{
    char path[MAX_PATH] = {0};
    const DWORD pathLength = GetEnvironmentVariableA(kAnswerFileVariable, path, sizeof(path));
    if (pathLength != 0 && pathLength < sizeof(path)) {
        return answerFileSaysRight(path);
    }
    char answer[8] = {0};
    const DWORD length = GetEnvironmentVariableA(kAnswerVariable, answer, sizeof(answer));
    return length == 1 && answer[0] == '1';
}
#endif

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        fakeLogLine(kLogVariable, "attach");
    } else if (reason == DLL_PROCESS_DETACH) {
        fakeLogLine(kLogVariable, "detach");
    }
    return TRUE;
}

#ifndef PELLIX_FAKE_WITHOUT_VERIFY
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    const bool arrow = GetCursor() == LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    FARPROC hook = GetProcAddress(GetModuleHandleA(nullptr), kDuringCheckHook);
    if (hook != nullptr) {
        reinterpret_cast<DuringCheckHook>(reinterpret_cast<void*>(hook))(window);
    }
    dispatchPendingMessages();
    const bool right = answerIsRight();
    char line[128] = {0};
    std::snprintf(line, sizeof(line), "verify window=%llu arrow=%d answer=%d",
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), arrow ? 1 : 0, right ? 1 : 0);
    fakeLogLine(kLogVariable, line);
    return right ? TRUE : FALSE;
}
#else
// Something a control panel exports, so that only the verifier is missing.
extern "C" __declspec(dllexport) LONG WINAPI CPlApplet(HWND, UINT, LPARAM, LPARAM)
{
    return 0;
}
#endif
