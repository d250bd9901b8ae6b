// A stand-in OPENGL32.DLL whose pixel formats are all fine but whose
// rendering context fails: with PELLIX_TEST_GL_FAIL=create wglCreateContext
// gives none, with =current it gives one that wglMakeCurrent refuses. Every
// wgl call is appended to the file named by PELLIX_TEST_GL_LOG. The gl*
// entry points are there only so that the saver and Wine's GLU load; they
// do nothing, and a run without a current context never reaches them.
#include "tests/shell/fakes/FakeLog.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kLogVariable = "PELLIX_TEST_GL_LOG";
const char* const kFailVariable = "PELLIX_TEST_GL_FAIL";
const int kOnlyFormat = 1;
HGLRC const kStandInContext = reinterpret_cast<HGLRC>(static_cast<UINT_PTR>(0x5e11));

bool failing(const char* step)
{
    char value[32] = {0};
    const DWORD length = GetEnvironmentVariableA(kFailVariable, value, sizeof(value));
    return length > 0 && length < sizeof(value) && std::strcmp(value, step) == 0;
}

void logCall(const char* call, const void* argument)
{
    char line[96] = {0};
    std::snprintf(line, sizeof(line), "%s %s", call, argument != nullptr ? "handle" : "null");
    fakeLogLine(kLogVariable, line);
}

} // namespace

extern "C" {

__declspec(dllexport) int WINAPI wglChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR*)
{
    return kOnlyFormat;
}

__declspec(dllexport) int WINAPI wglDescribePixelFormat(HDC, int, UINT size, PIXELFORMATDESCRIPTOR* descriptor)
{
    if (descriptor != nullptr && size >= sizeof(PIXELFORMATDESCRIPTOR)) {
        ZeroMemory(descriptor, sizeof(PIXELFORMATDESCRIPTOR));
        descriptor->nSize = sizeof(PIXELFORMATDESCRIPTOR);
        descriptor->nVersion = 1;
        descriptor->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        descriptor->iPixelType = PFD_TYPE_RGBA;
        descriptor->cColorBits = 24;
    }
    return kOnlyFormat;
}

__declspec(dllexport) int WINAPI wglGetPixelFormat(HDC)
{
    return kOnlyFormat;
}

__declspec(dllexport) BOOL WINAPI wglSetPixelFormat(HDC, int, const PIXELFORMATDESCRIPTOR*)
{
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI wglSwapBuffers(HDC)
{
    return TRUE;
}

__declspec(dllexport) HGLRC WINAPI wglCreateContext(HDC dc)
{
    logCall("wglCreateContext", dc);
    return failing("create") ? nullptr : kStandInContext;
}

__declspec(dllexport) BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context)
{
    logCall("wglMakeCurrent", context);
    return (context == nullptr || !failing("current")) ? TRUE : FALSE;
}

__declspec(dllexport) BOOL WINAPI wglDeleteContext(HGLRC context)
{
    logCall("wglDeleteContext", context);
    return context == kStandInContext ? TRUE : FALSE;
}

// What the saver and Wine's GLU import besides; none is ever called here.
#define PELLIX_GL_STUB(name) \
    __declspec(dllexport) void WINAPI name() {}
PELLIX_GL_STUB(glBegin)
PELLIX_GL_STUB(glBindTexture)
PELLIX_GL_STUB(glBlendFunc)
PELLIX_GL_STUB(glClear)
PELLIX_GL_STUB(glClearColor)
PELLIX_GL_STUB(glClearDepth)
PELLIX_GL_STUB(glClipPlane)
PELLIX_GL_STUB(glColor3f)
PELLIX_GL_STUB(glColor4f)
PELLIX_GL_STUB(glCullFace)
PELLIX_GL_STUB(glDeleteTextures)
PELLIX_GL_STUB(glDepthFunc)
PELLIX_GL_STUB(glDisable)
PELLIX_GL_STUB(glDrawBuffer)
PELLIX_GL_STUB(glEnable)
PELLIX_GL_STUB(glEnd)
PELLIX_GL_STUB(glFlush)
PELLIX_GL_STUB(glFrontFace)
PELLIX_GL_STUB(glGenTextures)
PELLIX_GL_STUB(glGetIntegerv)
PELLIX_GL_STUB(glGetString)
PELLIX_GL_STUB(glGetTexLevelParameteriv)
PELLIX_GL_STUB(glHint)
PELLIX_GL_STUB(glLoadIdentity)
PELLIX_GL_STUB(glMatrixMode)
PELLIX_GL_STUB(glMultMatrixd)
PELLIX_GL_STUB(glMultMatrixf)
PELLIX_GL_STUB(glNormal3f)
PELLIX_GL_STUB(glOrtho)
PELLIX_GL_STUB(glPixelStorei)
PELLIX_GL_STUB(glPopMatrix)
PELLIX_GL_STUB(glPushMatrix)
PELLIX_GL_STUB(glRotatef)
PELLIX_GL_STUB(glScalef)
PELLIX_GL_STUB(glTexCoord2f)
PELLIX_GL_STUB(glTexEnvf)
PELLIX_GL_STUB(glTexImage1D)
PELLIX_GL_STUB(glTexImage2D)
PELLIX_GL_STUB(glTexParameteri)
PELLIX_GL_STUB(glTranslated)
PELLIX_GL_STUB(glTranslatef)
PELLIX_GL_STUB(glVertex3f)
PELLIX_GL_STUB(glViewport)
#undef PELLIX_GL_STUB

} // extern "C"
