#pragma once

#include <cstdint>
#include <vector>

// An OpenGL compatibility context for tests, current on the calling thread
// while the object lives: natively EGL on Mesa's surfaceless platform with a
// pbuffer of the given size, under Wine a hidden window with a WGL context.
struct TestGlContext {
    bool ready = false;
    int width = 0;
    int height = 0;
    void* display = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
    void* window = nullptr;

    TestGlContext(int pixelWidth, int pixelHeight);
    ~TestGlContext();
    TestGlContext(const TestGlContext&) = delete;
    TestGlContext& operator=(const TestGlContext&) = delete;

    // The framebuffer as RGBA bytes, top row first (GL_BACK is read).
    std::vector<uint8_t> readPixels() const;
};

// Writes RGBA bytes (top row first) as a binary PPM, for looking at a failure.
bool writePpm(const char* path, const std::vector<uint8_t>& rgba, int width, int height);
