#pragma once

#include <cstdint>
#include <vector>

// An OpenGL compatibility context with no display at all: EGL on Mesa's
// surfaceless platform and a pbuffer of the frame's size. Like the Windows
// saver's pixel format there is a back buffer and no depth buffer.
struct OffscreenGl {
    void* display = nullptr;  // EGLDisplay
    void* surface = nullptr;  // EGLSurface
    void* context = nullptr;  // EGLContext
    int32_t width = 0;
    int32_t height = 0;

    // Makes the context current on this thread. False, with one line on
    // standard error, when any step fails; close() tidies up either way.
    bool open(int32_t pixelWidth, int32_t pixelHeight);
    // Releases and destroys the context and the pbuffer; the EGL display
    // stays initialised for the rest of the process.
    void close();

    // The back buffer as RGBA bytes, bottom row first (OpenGL's order), into
    // `pixels` (resized to width * height * 4).
    void readBackBuffer(std::vector<uint8_t>* pixels) const;
};
