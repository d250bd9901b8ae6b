#include "shell/win32/SaverState.h"

#include "common/StartupTrace.h"
#include "renderer/KaleidoRenderer.h"

#include <new>

namespace {

const char kClassName[] = "OpenGL";
const char kWindowTitle[] = "SaverWindow";
const UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;

const char kErrorCaption[] = "Error";
const char kRegisterClassFailed[] = "RegisterClass() failed:  Cannot register window class.";
const char kChoosePixelFormatFailed[] = "ChoosePixelFormat() failed:  Cannot find a suitable pixel format.";
const char kSetPixelFormatFailed[] = "SetPixelFormat() failed:  Cannot set format specified.";

const WORD kPixelFormatVersion = 1;
const BYTE kColorBits = 32;

const UINT kScreenSaverRunning = 1;
const UINT kScreenSaverStopped = 0;

// What the set-up has taken so far; released by whichever exit is taken.
struct WindowResources {
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    bool contextCurrent = false;
    bool screenSaverRunning = false;
};

bool fullScreen()
{
    return gRunMode == RunMode::FullScreen;
}

void showError(const char* text)
{
    MessageBoxA(nullptr, text, kErrorCaption, MB_OK);
}

// Tells the system a screen saver runs (so that, among others, it does not
// start a second one) or that none does any more.
void setScreenSaverRunning(UINT running)
{
    UINT scratch = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running, &scratch, 0);
}

bool registerWindowClass()
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.style = kClassStyle;
    windowClass.lpfnWndProc = saverWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = gInstance;
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
}

// The preview fills the parent's outer rectangle; a parent that names no
// window leaves the size 0 x 0 and the creation below fails on its own.
HWND createSaverWindow(HWND parent, int* width, int* height)
{
    DWORD style = WS_POPUP | WS_VISIBLE;
    HWND owner = nullptr;
    if (gRunMode == RunMode::Preview) {
        RECT rectangle = {0, 0, 0, 0};
        GetWindowRect(parent, &rectangle);
        *width = rectangle.right - rectangle.left;
        *height = rectangle.bottom - rectangle.top;
        style = WS_CHILD | WS_VISIBLE;
        owner = parent;
    } else {
        *width = GetSystemMetrics(SM_CXSCREEN);
        *height = GetSystemMetrics(SM_CYSCREEN);
    }
    return CreateWindowExA(0, kClassName, kWindowTitle, style, 0, 0, *width, *height, owner, nullptr,
                           gInstance, nullptr);
}

bool setPixelFormat(HDC deviceContext)
{
    PIXELFORMATDESCRIPTOR request;
    ZeroMemory(&request, sizeof(request));
    request.nSize = sizeof(request);
    request.nVersion = kPixelFormatVersion;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = kColorBits;
    request.iLayerType = PFD_MAIN_PLANE;

    const int format = ChoosePixelFormat(deviceContext, &request);
    if (format == 0) {
        showError(kChoosePixelFormatFailed);
        return false;
    }
    if (!SetPixelFormat(deviceContext, format, &request)) {
        showError(kSetPixelFormatFailed);
        return false;
    }
    return true;
}

bool makeContextCurrent(WindowResources* resources)
{
    resources->renderingContext = wglCreateContext(resources->deviceContext);
    if (resources->renderingContext == nullptr) {
        return false;
    }
    resources->contextCurrent = wglMakeCurrent(resources->deviceContext, resources->renderingContext) != FALSE;
    return resources->contextCurrent;
}

// Renderer first, while its context is still current; the screen-saver
// state goes last, so that it covers the whole life of the window. A run
// that cannot draw destroys its window too: nothing would ever be shown,
// and a full-screen window would only hide the desktop until the process
// ended.
void tearDown(WindowResources* resources, bool destroyWindow)
{
    if (gRenderer != nullptr) {
        delete gRenderer;
        gRenderer = nullptr;
    }
    if (resources->contextCurrent) {
        wglMakeCurrent(nullptr, nullptr);
        resources->contextCurrent = false;
    }
    if (resources->deviceContext != nullptr) {
        ReleaseDC(gSaverWindow, resources->deviceContext);
        resources->deviceContext = nullptr;
    }
    if (resources->renderingContext != nullptr) {
        wglDeleteContext(resources->renderingContext);
        resources->renderingContext = nullptr;
    }
    if (destroyWindow && IsWindow(gSaverWindow)) {
        DestroyWindow(gSaverWindow);
    }
    if (resources->screenSaverRunning) {
        setScreenSaverRunning(kScreenSaverStopped);
        resources->screenSaverRunning = false;
    }
}

// Drains the thread's queue completely, then draws and presents one frame
// and sleeps the renderer's pause. Returns once WM_QUIT is taken.
void runFrameLoop(HDC deviceContext)
{
    MSG message;
    ZeroMemory(&message, sizeof(message));
    bool firstFrameTraced = false;
    while (gRenderer != nullptr) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        const bool mirrors = gSaverState != nullptr && gSaverState->useMirrors != 0;
        if (gRenderer->drawFrame(mirrors ? FrameFlagMirrors : 0u)) {
            SwapBuffers(deviceContext);
            if (!firstFrameTraced) {
                firstFrameTraced = true;
                traceStartup("first-frame");
            }
        }
        const int32_t pause = gRenderer->pauseMs;
        Sleep(pause > 0 ? static_cast<DWORD>(pause) : 0u);
    }
}

} // namespace

void runSaverWindow(HWND parent, int showCommand)
{
    if (!registerWindowClass()) {
        showError(kRegisterClassFailed);
        return;
    }

    int width = 0;
    int height = 0;
    gSaverWindow = createSaverWindow(parent, &width, &height);
    if (gSaverWindow == nullptr) {
        return;
    }

    WindowResources resources;
    if (fullScreen()) {
        setScreenSaverRunning(kScreenSaverRunning);
        resources.screenSaverRunning = true;
    }
    resources.deviceContext = GetDC(gSaverWindow);

    if (!setPixelFormat(resources.deviceContext) || !makeContextCurrent(&resources)) {
        tearDown(&resources, true);
        return;
    }

    traceStartup("context");
    gRenderer = new (std::nothrow) KaleidoRenderer(width, height);
    if (gRenderer == nullptr) {
        tearDown(&resources, true);
        return;
    }

    ShowWindow(gSaverWindow, showCommand);
    runFrameLoop(resources.deviceContext);
    tearDown(&resources, false);
}
