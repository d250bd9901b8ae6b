#pragma once

#include <cstdint>
#include <vector>

#if !defined(_WIN32)
#include "tools/render/OffscreenGl.h"
#endif

// An OpenGL compatibility context for tests, current on the calling thread
// while the object lives: natively EGL on Mesa's surfaceless platform with a
// pbuffer of the given size, under Wine a hidden window with a WGL context.
struct TestGlContext {
    bool ready = false;
    int width = 0;
    int height = 0;
#if defined(_WIN32)
    void* display = nullptr;  // HDC
    void* context = nullptr;  // HGLRC
    void* window = nullptr;   // HWND
#else
    OffscreenGl offscreen;
#endif

    TestGlContext(int pixelWidth, int pixelHeight);
    ~TestGlContext();
    TestGlContext(const TestGlContext&) = delete;
    TestGlContext& operator=(const TestGlContext&) = delete;

    // The framebuffer as RGBA bytes, top row first (GL_BACK is read).
    std::vector<uint8_t> readPixels() const;
};

// Writes RGBA bytes (top row first) as a binary PPM, for looking at a failure.
bool writePpm(const char* path, const std::vector<uint8_t>& rgba, int width, int height);
