#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <cstdint>

// The X window that the saver draws into and its GLX context. Either a
// top-level window made here (a normal window, or an override-redirect one
// covering the screen), or a window that someone else owns (XScreenSaver's,
// the root window, one named on the command line), whose size it follows.
// A foreign window whose visual cannot take a double-buffered GL context
// gets a child window of ours on top, kept at the parent's size.
//
// The display stays the caller's. Every open... call reports its failure on
// standard error as one line and returns false; close() then tidies up
// whatever was made.
struct GlxWindow {
    Display* display = nullptr;   // not owned
    Window window = 0;            // GL draws here
    Window followed = 0;          // foreign window whose size is followed; 0 for our top-level
    bool ownsWindow = false;      // `window` was created here and is destroyed by close()
    Colormap colormap = 0;        // created here for our window's visual; 0 when none
    Cursor blankCursor = 0;       // full screen: hides the pointer
    GLXContext context = nullptr;
    Atom deleteWindowAtom = 0;    // WM_DELETE_WINDOW, for our top-level window
    int32_t width = 0;            // size of `window` in pixels
    int32_t height = 0;

    // A top-level window titled `title`: `fullScreen` covers the screen from
    // (0, 0), bypasses the window manager and hides the pointer; otherwise a
    // managed window of the given size that the user may resize and close.
    // Not mapped yet: map() shows it.
    bool openTopLevel(Display* x, const char* title, int32_t pixelWidth, int32_t pixelHeight, bool fullScreen);
    // Draws into `target` (or a child of ours over it). Selects only
    // StructureNotify on `target`, so its owner keeps all input.
    bool openForeign(Display* x, Window target);

    void map();
    // The followed window is now pixelWidth x pixelHeight: our child follows.
    void followSize(int32_t pixelWidth, int32_t pixelHeight);
    void swapBuffers();
    // Context released and destroyed, our windows, colormap and cursor freed.
    // Safe to call more than once and after a failed open.
    void close();

    bool createContext(XVisualInfo* visual);
    bool createOwnWindow(Window parent, XVisualInfo* visual, int32_t x, int32_t y, int32_t pixelWidth,
                         int32_t pixelHeight, bool overrideRedirect, long eventMask);
};

// X errors no longer end the process: each one is counted here, and the
// failed request's code kept, so callers can test what they asked for.
void installXErrorTrap();
// Errors seen since the last reset (the request stream is synced first).
int xErrorsSince(Display* x);
void resetXErrors(Display* x);
