// pellix-testhost: the Windows side of the end-to-end tests. The tests run
// it under Wine, in the saver's prefix and on its display, to do what only a
// Win32 program can: own a parent window for the preview, look windows up
// by their Win32 class, post messages across processes and read system
// state. Every command prints its answer on standard output, one line per
// window, fields separated by tabs, and exits 0 on success, 1 when the
// window named does not exist, 2 on a bad command line.
//
//   parent WIDTH HEIGHT [TITLE]   window of that outer size; prints
//                                 "hwnd\t<decimal>" once it exists, then
//                                 runs until the window is destroyed
//   find CLASS TITLE              the top-level window FindWindowA finds
//                                 ("*" for either: any)
//   describe HWND                 that window
//   children HWND                 the direct children of HWND
//   post HWND MESSAGE WPARAM LPARAM   PostMessageA (numbers: decimal or 0x)
//   screensaver-running [0|1]     "running\t<0|1>" from the system state,
//                                 after setting it when a value is given
//                                 (a saver that was killed leaves it on)
//
// A window line: hwnd= class= title= x= y= width= height= (the window
// rectangle on the screen), clientx= clienty= (its top-left corner in the
// parent's client area, or on the screen for a top-level window), style=
// (hex), parent= (decimal, 0 for none), visible= (0 or 1).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kExitOk = 0;
const int kExitNoWindow = 1;
const int kExitUsage = 2;
const int kTextLength = 256;
const int kNumberBase = 0;  // strtoull: decimal, or hex after 0x
const int kParentX = 40;
const int kParentY = 30;
const char kParentClass[] = "PellixTestParent";
const char kDefaultParentTitle[] = "PellixTestParent";
const char kAnyName[] = "*";

unsigned long long parseNumber(const char* text)
{
    return std::strtoull(text, nullptr, kNumberBase);
}

HWND parseWindow(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(parseNumber(text)));
}

unsigned long long windowNumber(HWND window)
{
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window));
}

void printWindow(HWND window)
{
    char className[kTextLength] = {0};
    char title[kTextLength] = {0};
    GetClassNameA(window, className, kTextLength);
    GetWindowTextA(window, title, kTextLength);
    RECT rectangle = {0, 0, 0, 0};
    GetWindowRect(window, &rectangle);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    HWND parent = (style & WS_CHILD) != 0 ? GetParent(window) : nullptr;
    POINT corner = {rectangle.left, rectangle.top};
    if (parent != nullptr) {
        ScreenToClient(parent, &corner);
    }
    std::printf("hwnd=%llu\tclass=%s\ttitle=%s\tx=%ld\ty=%ld\twidth=%ld\theight=%ld\t"
                "clientx=%ld\tclienty=%ld\tstyle=0x%08lx\tparent=%llu\tvisible=%d\n",
                windowNumber(window), className, title, rectangle.left, rectangle.top,
                rectangle.right - rectangle.left, rectangle.bottom - rectangle.top, corner.x, corner.y,
                static_cast<unsigned long>(style), windowNumber(parent), IsWindowVisible(window) ? 1 : 0);
}

LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int runParent(int width, int height, const char* title)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = parentProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kParentClass;
    if (RegisterClassA(&windowClass) == 0) {
        return kExitNoWindow;
    }
    HWND window = CreateWindowExA(0, kParentClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, kParentX, kParentY,
                                  width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return kExitNoWindow;
    }
    std::printf("hwnd\t%llu\n", windowNumber(window));
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return kExitOk;
}

BOOL CALLBACK printDirectChild(HWND child, LPARAM parent)
{
    if (GetParent(child) == reinterpret_cast<HWND>(parent)) {
        printWindow(child);
    }
    return TRUE;
}

const char* nameOrAny(const char* text)
{
    return std::strcmp(text, kAnyName) == 0 ? nullptr : text;
}

int describe(HWND window)
{
    if (window == nullptr || !IsWindow(window)) {
        return kExitNoWindow;
    }
    printWindow(window);
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return kExitUsage;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "parent") == 0 && (argc == 4 || argc == 5)) {
        return runParent(std::atoi(argv[2]), std::atoi(argv[3]), argc == 5 ? argv[4] : kDefaultParentTitle);
    }
    if (std::strcmp(command, "find") == 0 && argc == 4) {
        return describe(FindWindowA(nameOrAny(argv[2]), nameOrAny(argv[3])));
    }
    if (std::strcmp(command, "describe") == 0 && argc == 3) {
        return describe(parseWindow(argv[2]));
    }
    if (std::strcmp(command, "children") == 0 && argc == 3) {
        HWND parent = parseWindow(argv[2]);
        if (!IsWindow(parent)) {
            return kExitNoWindow;
        }
        EnumChildWindows(parent, printDirectChild, reinterpret_cast<LPARAM>(parent));
        return kExitOk;
    }
    if (std::strcmp(command, "post") == 0 && argc == 6) {
        const BOOL posted = PostMessageA(parseWindow(argv[2]), static_cast<UINT>(parseNumber(argv[3])),
                                         static_cast<WPARAM>(parseNumber(argv[4])),
                                         static_cast<LPARAM>(parseNumber(argv[5])));
        return posted ? kExitOk : kExitNoWindow;
    }
    if (std::strcmp(command, "screensaver-running") == 0 && (argc == 2 || argc == 3)) {
        if (argc == 3) {
            UINT previous = 0;
            SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, std::atoi(argv[2]) != 0 ? 1 : 0, &previous, 0);
        }
        BOOL running = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        std::printf("running\t%d\n", running ? 1 : 0);
        return kExitOk;
    }
    return kExitUsage;
}
