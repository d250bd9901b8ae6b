#pragma once

// OpenGL 1.1 and GLU for the portable core. mingw-w64's headers need the
// calling-convention macros that <windows.h> would otherwise define; the
// portable folders get them here without including it.
#if defined(_WIN32)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#endif

#include <GL/gl.h>
#include <GL/glu.h>
