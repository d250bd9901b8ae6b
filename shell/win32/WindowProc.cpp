#include "shell/win32/SaverState.h"

#include "renderer/KaleidoRenderer.h"

#include <cstdint>

namespace {

const DWORD kOsVersionInfoSize = 148;  // sizeof(OSVERSIONINFOA) on every Windows
const uint32_t kMillisecondsPerSecond = 1000u;
const WPARAM kScreenSaveCommand = 0xF140;  // SC_SCREENSAVE
const WPARAM kCloseCommand = 0xF060;       // SC_CLOSE

typedef BOOL(WINAPI* VerifyScreenSavePwdProc)(HWND window);

bool fullScreen()
{
    return gRunMode == RunMode::FullScreen;
}

void showArrowCursor()
{
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

// Messages can reach a window before start-up has made the state record
// (or after it is gone); those behave as if nothing were configured.
SaverState* state()
{
    return gSaverState;
}

int64_t absoluteDifference(int32_t a, int32_t b)
{
    const int64_t difference = static_cast<int64_t>(a) - static_cast<int64_t>(b);
    return difference < 0 ? -difference : difference;
}

void onCreate(HWND window)
{
    SaverState* saver = state();
    if (saver == nullptr) {
        return;
    }
    saver->window = window;
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    saver->startCursor = cursor;
    saver->startTick = GetTickCount();
}

// A key or click in full screen: the renderer may take it as a command;
// anything it does not take ends the saver.
void onKeyOrButton(WPARAM code)
{
    SaverState* saver = state();
    if (saver == nullptr || saver->checkingPassword != 0) {
        return;
    }
    if (gRenderer != nullptr && gRenderer->handleKey(static_cast<uint32_t>(code))) {
        return;
    }
    saver->requestClose();
}

// The message's own coordinates are client-relative and may be stale; the
// rule is about where the cursor is on the screen now.
void onMouseMove()
{
    SaverState* saver = state();
    if (saver == nullptr || saver->checkingPassword != 0) {
        return;
    }
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    const int64_t threshold = saver->mouseThreshold;
    if (absoluteDifference(cursor.x, saver->startCursor.x) > threshold
        || absoluteDifference(cursor.y, saver->startCursor.y) > threshold) {
        saver->requestClose();
    }
}

void onActivation(WPARAM wParam)
{
    SaverState* saver = state();
    if (saver == nullptr || saver->checkingPassword != 0) {
        return;
    }
    if (LOWORD(wParam) == 0) {
        saver->requestClose();
    }
}

// Only a close the saver asked for itself counts, and past the grace period
// only one the password service allows. Tick arithmetic is unsigned so that
// a wrap of GetTickCount still gives the right elapsed time.
void onFullScreenClose(HWND window)
{
    SaverState* saver = state();
    if (saver == nullptr || saver->closeRequested == 0 || saver->checkingPassword == 1) {
        return;
    }
    const uint32_t elapsed = static_cast<uint32_t>(GetTickCount()) - saver->startTick;
    const uint32_t limit = static_cast<uint32_t>(saver->passwordDelay) * kMillisecondsPerSecond;
    if (elapsed <= limit) {
        DestroyWindow(window);
        return;
    }
    saver->beginPasswordCheck();
    const BOOL allowed = verifyPassword(window);
    saver->endPasswordCheck();
    if (allowed) {
        DestroyWindow(window);
    }
}

// True when the cursor was hidden. The hide must end the handling there:
// the default handling puts the arrow back for any hit test but the client
// area, and the password-check operations ask with a hit test of 0, so the
// cursor would stay visible after every check.
bool onSetCursor()
{
    SaverState* saver = state();
    if (fullScreen() && (saver == nullptr || saver->checkingPassword == 0)) {
        SetCursor(nullptr);
        return true;
    }
    showArrowCursor();
    return false;
}

} // namespace

void SaverState::requestClose()
{
    closeRequested = 1;
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void SaverState::beginPasswordCheck()
{
    checkingPassword = 1;
    SendMessageA(window, WM_SETCURSOR, 0, 0);
}

void SaverState::endPasswordCheck()
{
    checkingPassword = 0;
    SendMessageA(window, WM_SETCURSOR, 0, 0);
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    startCursor = cursor;
}

BOOL verifyPassword(HWND window)
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = kOsVersionInfoSize;
    GetVersionExA(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        return TRUE;
    }

    // Loaded afresh for every check: the password may have been changed
    // through the control panel while the saver ran.
    HMODULE module = LoadLibraryA("PASSWORD.CPL");
    if (module == nullptr) {
        return TRUE;
    }
    FARPROC address = GetProcAddress(module, "VerifyScreenSavePwd");
    if (address == nullptr) {
        FreeLibrary(module);
        return TRUE;
    }
    VerifyScreenSavePwdProc verify =
        reinterpret_cast<VerifyScreenSavePwdProc>(reinterpret_cast<void*>(address));
    const BOOL result = verify(window);
    FreeLibrary(module);
    return result;
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        onCreate(window);
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        if (fullScreen()) {
            onActivation(wParam);
        }
        break;
    case WM_CLOSE:
        if (fullScreen()) {
            onFullScreenClose(window);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (onSetCursor()) {
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (fullScreen()) {
            onKeyOrButton(wParam);
        }
        break;
    case WM_SYSCOMMAND:
        if (fullScreen() && (wParam == kScreenSaveCommand || wParam == kCloseCommand)) {
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (fullScreen()) {
            onMouseMove();
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
