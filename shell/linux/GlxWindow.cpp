#include "shell/linux/GlxWindow.h"

#include <X11/Xutil.h>

#include <cstdio>

namespace {

int gXErrorCount = 0;

int countXError(Display*, XErrorEvent*)
{
    ++gXErrorCount;
    return 0;
}

const char* const kWindowClassName = "pellix";
const char* const kWindowClassGroup = "Pellix";

// Double-buffered RGBA with 8 bits a channel and no depth buffer, like the
// Windows saver's pixel format request.
XVisualInfo* chooseGlVisual(Display* x)
{
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
    return glXChooseVisual(x, DefaultScreen(x), attributes);
}

bool takesDoubleBufferedGl(Display* x, XVisualInfo* visual)
{
    int useGl = 0;
    int rgba = 0;
    int doubleBuffer = 0;
    return glXGetConfig(x, visual, GLX_USE_GL, &useGl) == 0 && useGl != 0 &&
           glXGetConfig(x, visual, GLX_RGBA, &rgba) == 0 && rgba != 0 &&
           glXGetConfig(x, visual, GLX_DOUBLEBUFFER, &doubleBuffer) == 0 && doubleBuffer != 0;
}

XVisualInfo* visualInfoOf(Display* x, Visual* visual)
{
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(visual);
    int count = 0;
    return XGetVisualInfo(x, VisualIDMask, &wanted, &count);
}

}  // namespace

void installXErrorTrap()
{
    XSetErrorHandler(countXError);
}

int xErrorsSince(Display* x)
{
    XSync(x, False);
    return gXErrorCount;
}

void resetXErrors(Display* x)
{
    XSync(x, False);
    gXErrorCount = 0;
}

bool GlxWindow::createOwnWindow(Window parent, XVisualInfo* visual, int32_t x, int32_t y, int32_t pixelWidth,
                                int32_t pixelHeight, bool overrideRedirect, long eventMask)
{
    colormap = XCreateColormap(display, parent, visual->visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap;
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    attributes.border_pixel = 0;
    attributes.event_mask = eventMask;
    attributes.override_redirect = overrideRedirect ? True : False;
    const unsigned long mask = CWColormap | CWBackPixel | CWBorderPixel | CWEventMask | CWOverrideRedirect;
    resetXErrors(display);
    window = XCreateWindow(display, parent, x, y, static_cast<unsigned>(pixelWidth),
                           static_cast<unsigned>(pixelHeight), 0, visual->depth, InputOutput, visual->visual, mask,
                           &attributes);
    if (window == 0 || xErrorsSince(display) != 0) {
        window = 0;
        std::fprintf(stderr, "pellix: cannot create a window\n");
        return false;
    }
    ownsWindow = true;
    width = pixelWidth;
    height = pixelHeight;
    return true;
}

bool GlxWindow::createContext(XVisualInfo* visual)
{
    context = glXCreateContext(display, visual, nullptr, True);
    if (context == nullptr) {
        std::fprintf(stderr, "pellix: cannot create an OpenGL context\n");
        return false;
    }
    if (!glXMakeCurrent(display, window, context)) {
        std::fprintf(stderr, "pellix: cannot make the OpenGL context current\n");
        return false;
    }
    return true;
}

bool GlxWindow::openTopLevel(Display* x, const char* title, int32_t pixelWidth, int32_t pixelHeight,
                             bool fullScreen)
{
    display = x;
    int glxError = 0;
    int glxEvent = 0;
    if (!glXQueryExtension(display, &glxError, &glxEvent)) {
        std::fprintf(stderr, "pellix: the X server has no GLX extension\n");
        return false;
    }
    XVisualInfo* visual = chooseGlVisual(display);
    if (visual == nullptr) {
        std::fprintf(stderr, "pellix: no double-buffered RGBA visual for OpenGL\n");
        return false;
    }
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    if (fullScreen) {
        pixelWidth = DisplayWidth(display, screen);
        pixelHeight = DisplayHeight(display, screen);
    }
    const long eventMask = fullScreen ? (KeyPressMask | ButtonPressMask | PointerMotionMask | StructureNotifyMask)
                                      : (KeyPressMask | StructureNotifyMask);
    const bool made = createOwnWindow(root, visual, 0, 0, pixelWidth, pixelHeight, fullScreen, eventMask);
    if (made) {
        XStoreName(display, window, title);
        XClassHint classHint{};
        classHint.res_name = const_cast<char*>(kWindowClassName);
        classHint.res_class = const_cast<char*>(kWindowClassGroup);
        XSetClassHint(display, window, &classHint);
        if (fullScreen) {
            // A 1 x 1 bitmap of zeros, drawn with itself as the mask: nothing shows.
            const char blank[1] = {0};
            Pixmap pixmap = XCreateBitmapFromData(display, window, blank, 1, 1);
            XColor black{};
            blankCursor = XCreatePixmapCursor(display, pixmap, pixmap, &black, &black, 0, 0);
            XFreePixmap(display, pixmap);
            XDefineCursor(display, window, blankCursor);
        } else {
            deleteWindowAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
            XSetWMProtocols(display, window, &deleteWindowAtom, 1);
        }
    }
    const bool ready = made && createContext(visual);
    XFree(visual);
    return ready;
}

bool GlxWindow::openForeign(Display* x, Window target)
{
    display = x;
    int glxError = 0;
    int glxEvent = 0;
    if (!glXQueryExtension(display, &glxError, &glxEvent)) {
        std::fprintf(stderr, "pellix: the X server has no GLX extension\n");
        return false;
    }
    XWindowAttributes attributes{};
    resetXErrors(display);
    const Status found = XGetWindowAttributes(display, target, &attributes);
    if (found == 0 || xErrorsSince(display) != 0) {
        std::fprintf(stderr, "pellix: there is no window 0x%lx\n", target);
        return false;
    }
    followed = target;
    XSelectInput(display, target, StructureNotifyMask);

    XVisualInfo* visual = visualInfoOf(display, attributes.visual);
    if (visual != nullptr && takesDoubleBufferedGl(display, visual)) {
        window = target;
        width = attributes.width;
        height = attributes.height;
    } else {
        if (visual != nullptr) {
            XFree(visual);
        }
        visual = chooseGlVisual(display);
        if (visual == nullptr) {
            std::fprintf(stderr, "pellix: no double-buffered RGBA visual for OpenGL\n");
            return false;
        }
        // No input selected on the child: clicks and keys go on to the parent's owner.
        if (!createOwnWindow(target, visual, 0, 0, attributes.width, attributes.height, false, NoEventMask)) {
            XFree(visual);
            return false;
        }
        XMapWindow(display, window);
    }
    const bool ready = createContext(visual);
    XFree(visual);
    return ready;
}

void GlxWindow::map()
{
    if (ownsWindow && followed == 0) {
        XMapRaised(display, window);
    }
    XFlush(display);
}

void GlxWindow::followSize(int32_t pixelWidth, int32_t pixelHeight)
{
    if (ownsWindow && followed != 0) {
        XResizeWindow(display, window, static_cast<unsigned>(pixelWidth), static_cast<unsigned>(pixelHeight));
    }
    width = pixelWidth;
    height = pixelHeight;
}

void GlxWindow::swapBuffers()
{
    glXSwapBuffers(display, window);
}

void GlxWindow::close()
{
    if (display == nullptr) {
        return;
    }
    if (context != nullptr) {
        glXMakeCurrent(display, None, nullptr);
        glXDestroyContext(display, context);
        context = nullptr;
    }
    if (ownsWindow && window != 0) {
        XDestroyWindow(display, window);
    }
    window = 0;
    ownsWindow = false;
    if (blankCursor != 0) {
        XFreeCursor(display, blankCursor);
        blankCursor = 0;
    }
    if (colormap != 0) {
        XFreeColormap(display, colormap);
        colormap = 0;
    }
    XSync(display, False);
    display = nullptr;
}
