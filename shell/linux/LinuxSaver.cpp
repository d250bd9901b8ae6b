#include "shell/linux/LinuxSaver.h"

#include "common/StartupTrace.h"
#include "platform/Platform.h"
#include "renderer/KaleidoRenderer.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>

const char* const kWindowTitle = "Pellix";

namespace {

volatile std::sig_atomic_t gStopRequested = 0;

// The X connection of the last run, open until the process ends.
Display* gOpenDisplay = nullptr;

void requestStop(int)
{
    gStopRequested = 1;
}

// Grabs can fail while the window is not yet viewable; they are retried once
// a frame for about two seconds, then the saver runs on without them.
const int32_t kMaxGrabAttempts = 48;

const char* const kScreenSaverWindowVariable = "XSCREENSAVER_WINDOW";

Window screenSaverWindow(Display* display)
{
    unsigned long id = 0;
    if (parseWindowId(std::getenv(kScreenSaverWindowVariable), &id)) {
        return static_cast<Window>(id);
    }
    return RootWindow(display, DefaultScreen(display));
}

}  // namespace

void installStopSignals()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

int LinuxSaver::run(const LinuxOptions& chosen)
{
    options = chosen;
    exitCode = kExitNormal;
    if (start()) {
        loop();
    }
    stop();
    return exitCode;
}

bool LinuxSaver::start()
{
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "pellix: cannot open the X display \"%s\"; set DISPLAY or use pellix-render\n",
                     name != nullptr ? name : "");
        exitCode = kExitFailure;
        return false;
    }
    installXErrorTrap();

    bool opened = false;
    switch (options.mode) {
    case LinuxMode::Window:
        opened = surface.openTopLevel(display, kWindowTitle, kWindowWidth, kWindowHeight, false);
        break;
    case LinuxMode::FullScreen:
        opened = surface.openTopLevel(display, kWindowTitle, kWindowWidth, kWindowHeight, true);
        if (opened) {
            // Movement counts from where the pointer was when the window appeared.
            Window rootReturn = 0;
            Window childReturn = 0;
            int rootX = 0;
            int rootY = 0;
            int windowX = 0;
            int windowY = 0;
            unsigned buttons = 0;
            XQueryPointer(display, RootWindow(display, DefaultScreen(display)), &rootReturn, &childReturn, &rootX,
                          &rootY, &windowX, &windowY, &buttons);
            pointer.start(rootX, rootY);
        }
        break;
    case LinuxMode::Root:
        opened = surface.openForeign(display, screenSaverWindow(display));
        break;
    case LinuxMode::WindowId:
        opened = surface.openForeign(display, static_cast<Window>(options.windowId));
        break;
    }
    if (!opened) {
        exitCode = kExitFailure;
        return false;
    }

    traceStartup("context");
    renderer = new (std::nothrow) KaleidoRenderer(surface.width, surface.height);
    if (renderer == nullptr) {
        std::fprintf(stderr, "pellix: out of memory\n");
        exitCode = kExitFailure;
        return false;
    }
    pendingWidth = surface.width;
    pendingHeight = surface.height;
    lastFpsReport = renderer->lastMeasureTime;
    surface.map();
    return true;
}

void LinuxSaver::loop()
{
    running = true;
    bool firstFrameTraced = false;
    const uint32_t flags = options.useMirrors ? FrameFlagMirrors : 0u;
    while (running) {
        while (running && XPending(display) > 0) {
            XEvent event{};
            XNextEvent(display, &event);
            handleEvent(event);
        }
        if (gStopRequested != 0) {
            running = false;
        }
        if (!running) {
            break;
        }
        if (options.mode == LinuxMode::FullScreen && (!keyboardGrabbed || !pointerGrabbed)) {
            tryGrabs();
        }
        if ((pendingWidth != surface.width || pendingHeight != surface.height) && pendingWidth > 0 &&
            pendingHeight > 0) {
            surface.followSize(pendingWidth, pendingHeight);
            renderer->resize(pendingWidth, pendingHeight);
        }
        if (renderer->drawFrame(flags)) {
            surface.swapBuffers();
            if (!firstFrameTraced) {
                firstFrameTraced = true;
                traceStartup("first-frame");
            }
        }
        if (options.showFps && renderer->lastMeasureTime != lastFpsReport) {
            lastFpsReport = renderer->lastMeasureTime;
            std::fprintf(stderr, "pellix: %.1f fps\n", static_cast<double>(renderer->fpsEstimate));
        }
        platformSleepMs(renderer->pauseMs);
    }
}

void LinuxSaver::stop()
{
    if (display == nullptr) {
        return;
    }
    if (keyboardGrabbed) {
        XUngrabKeyboard(display, CurrentTime);
    }
    if (pointerGrabbed) {
        XUngrabPointer(display, CurrentTime);
    }
    delete renderer;
    renderer = nullptr;
    gRenderer = nullptr;
    surface.close();
    // Everything sent has been handled (close() syncs); the connection itself
    // is left to the process end. XCloseDisplay would unload Mesa's GLX
    // driver, and what the driver still holds then reads as leaked.
    gOpenDisplay = display;
    display = nullptr;
}

void LinuxSaver::tryGrabs()
{
    if (grabAttempts >= kMaxGrabAttempts) {
        return;
    }
    ++grabAttempts;
    if (!keyboardGrabbed) {
        keyboardGrabbed = XGrabKeyboard(display, surface.window, True, GrabModeAsync, GrabModeAsync,
                                        CurrentTime) == GrabSuccess;
    }
    if (!pointerGrabbed) {
        const unsigned mask = ButtonPressMask | PointerMotionMask;
        pointerGrabbed = XGrabPointer(display, surface.window, True, mask, GrabModeAsync, GrabModeAsync, None,
                                      surface.blankCursor, CurrentTime) == GrabSuccess;
    }
}

void LinuxSaver::requestClose()
{
    running = false;
}

void LinuxSaver::handleKey(const XKeyEvent& key)
{
    XKeyEvent copy = key;
    const KeySym keysym = XLookupKeysym(&copy, 0);
    uint32_t code = virtualKeyForKeysym(keysym);
    if (code == kUnmappedKey) {
        // Layouts whose digits are shifted (AZERTY) still give the digit here.
        code = virtualKeyForKeysym(XLookupKeysym(&copy, 1));
    }
    if (options.mode == LinuxMode::Window) {
        if (keysym == XK_Escape || keysym == XK_q || keysym == XK_Q) {
            requestClose();
            return;
        }
        renderer->handleKey(code);
        return;
    }
    if (!renderer->handleKey(code)) {
        requestClose();
    }
}

void LinuxSaver::handleEvent(const XEvent& event)
{
    switch (event.type) {
    case KeyPress:
        if (options.mode == LinuxMode::Window || options.mode == LinuxMode::FullScreen) {
            handleKey(event.xkey);
        }
        break;
    case ButtonPress:
        if (options.mode == LinuxMode::FullScreen) {
            const uint32_t mask = buttonMaskForPress(event.xbutton.button, event.xbutton.state);
            if (mask != 0 && !renderer->handleKey(mask)) {
                requestClose();
            }
        }
        break;
    case MotionNotify:
        if (options.mode == LinuxMode::FullScreen && pointer.exceeded(event.xmotion.x_root, event.xmotion.y_root)) {
            requestClose();
        }
        break;
    case ConfigureNotify: {
        const Window sized = surface.followed != 0 ? surface.followed : surface.window;
        if (event.xconfigure.window == sized) {
            pendingWidth = event.xconfigure.width;
            pendingHeight = event.xconfigure.height;
        }
        break;
    }
    case DestroyNotify:
        if (event.xdestroywindow.window == surface.followed || event.xdestroywindow.window == surface.window) {
            // The window went away under us: nothing left to draw into.
            requestClose();
        }
        break;
    case ClientMessage:
        if (surface.deleteWindowAtom != 0 &&
            static_cast<Atom>(event.xclient.data.l[0]) == surface.deleteWindowAtom) {
            requestClose();
        }
        break;
    default:
        break;
    }
}
