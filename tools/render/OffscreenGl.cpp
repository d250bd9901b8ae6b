#include "tools/render/OffscreenGl.h"

#include "common/Gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

bool OffscreenGl::open(int32_t pixelWidth, int32_t pixelHeight)
{
    width = pixelWidth;
    height = pixelHeight;
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        std::fprintf(stderr, "offscreen OpenGL: EGL has no eglGetPlatformDisplayEXT\n");
        return false;
    }
    EGLDisplay eglDisplay = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (eglDisplay == EGL_NO_DISPLAY || !eglInitialize(eglDisplay, nullptr, nullptr)) {
        std::fprintf(stderr, "offscreen OpenGL: cannot open Mesa's surfaceless EGL platform\n");
        return false;
    }
    display = eglDisplay;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,     8,               EGL_GREEN_SIZE,      8,
                                       EGL_BLUE_SIZE,    8,               EGL_DEPTH_SIZE,      0,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(eglDisplay, configAttributes, &config, 1, &configCount) || configCount < 1 ||
        !eglBindAPI(EGL_OPENGL_API)) {
        std::fprintf(stderr, "offscreen OpenGL: no EGL configuration for desktop OpenGL\n");
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, pixelWidth, EGL_HEIGHT, pixelHeight, EGL_NONE};
    EGLSurface eglSurface = eglCreatePbufferSurface(eglDisplay, config, surfaceAttributes);
    if (eglSurface == EGL_NO_SURFACE) {
        std::fprintf(stderr, "offscreen OpenGL: cannot make a %d x %d pbuffer\n", pixelWidth, pixelHeight);
        return false;
    }
    surface = eglSurface;
    EGLContext eglContext = eglCreateContext(eglDisplay, config, EGL_NO_CONTEXT, nullptr);
    if (eglContext == EGL_NO_CONTEXT) {
        std::fprintf(stderr, "offscreen OpenGL: cannot create an OpenGL context\n");
        return false;
    }
    context = eglContext;
    if (!eglMakeCurrent(eglDisplay, eglSurface, eglSurface, eglContext)) {
        std::fprintf(stderr, "offscreen OpenGL: cannot make the OpenGL context current\n");
        return false;
    }
    return true;
}

void OffscreenGl::close()
{
    if (display == nullptr) {
        return;
    }
    EGLDisplay eglDisplay = static_cast<EGLDisplay>(display);
    eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != nullptr) {
        eglDestroyContext(eglDisplay, static_cast<EGLContext>(context));
        context = nullptr;
    }
    if (surface != nullptr) {
        eglDestroySurface(eglDisplay, static_cast<EGLSurface>(surface));
        surface = nullptr;
    }
    // The display itself stays initialised: eglTerminate unloads Mesa's
    // driver, and what the driver still holds then reads as leaked. The
    // process ends soon after; it takes the display with it.
    display = nullptr;
}

void OffscreenGl::readBackBuffer(std::vector<uint8_t>* pixels) const
{
    pixels->resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels->data());
}
