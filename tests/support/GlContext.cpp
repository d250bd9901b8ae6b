#include "tests/support/GlContext.h"

#include "common/Gl.h"

#include <algorithm>
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#endif

#if defined(_WIN32)

TestGlContext::TestGlContext(int pixelWidth, int pixelHeight) : width(pixelWidth), height(pixelHeight)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PellixTestGl";
    RegisterClassA(&windowClass);
    HWND hwnd = CreateWindowExA(0, "PellixTestGl", "PellixTestGl", WS_POPUP, 0, 0, pixelWidth, pixelHeight,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    if (hwnd == nullptr) {
        return;
    }
    window = hwnd;
    HDC dc = GetDC(hwnd);
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof(request);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    const int format = ChoosePixelFormat(dc, &request);
    if (format == 0 || !SetPixelFormat(dc, format, &request)) {
        return;
    }
    HGLRC rc = wglCreateContext(dc);
    if (rc == nullptr || !wglMakeCurrent(dc, rc)) {
        return;
    }
    display = dc;
    context = rc;
    ready = true;
}

TestGlContext::~TestGlContext()
{
    if (context != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(context));
    }
    if (window != nullptr) {
        ReleaseDC(static_cast<HWND>(window), static_cast<HDC>(display));
        DestroyWindow(static_cast<HWND>(window));
    }
}

#else

TestGlContext::TestGlContext(int pixelWidth, int pixelHeight) : width(pixelWidth), height(pixelHeight)
{
    ready = offscreen.open(pixelWidth, pixelHeight);
}

TestGlContext::~TestGlContext()
{
    offscreen.close();
}

#endif

std::vector<uint8_t> TestGlContext::readPixels() const
{
    std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int row = 0; row < height; ++row) {
        const uint8_t* from = bottomUp.data() + static_cast<size_t>(height - 1 - row) * rowBytes;
        std::copy(from, from + rowBytes, topDown.data() + static_cast<size_t>(row) * rowBytes);
    }
    return topDown;
}

bool writePpm(const char* path, const std::vector<uint8_t>& rgba, int width, int height)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        std::fputc(rgba[i], file);
        std::fputc(rgba[i + 1], file);
        std::fputc(rgba[i + 2], file);
    }
    return std::fclose(file) == 0;
}
