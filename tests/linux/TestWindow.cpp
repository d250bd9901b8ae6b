// pellix-test-window WIDTH HEIGHT [default|single-buffered]
// pellix-test-window close WINDOW
//
// A plain X window for the end-to-end tests to hand to `pellix -window-id`,
// standing in for XScreenSaver's. It prints its id in hex on standard
// output, stays mapped until standard input is closed, and then ends with 0.
// "single-buffered" makes it on a visual that GLX can only draw into without
// a back buffer, so the saver has to put a window of its own on top.
//
// "close" asks WINDOW (hex or decimal) to close the way a window manager's
// close button does: a WM_DELETE_WINDOW client message.

#include <X11/Xlib.h>
#include <GL/glx.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kUsageExit = 2;
const int kFailureExit = 1;
const int kPollForever = -1;

int askToClose(const char* windowText)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "pellix-test-window: no display\n");
        return kFailureExit;
    }
    const Window window = static_cast<Window>(std::strtoul(windowText, nullptr, 0));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
        return askToClose(argv[2]);
    }
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: pellix-test-window WIDTH HEIGHT [default|single-buffered] | close WINDOW\n");
        return kUsageExit;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    const bool singleBuffered = argc == 4 && std::strcmp(argv[3], "single-buffered") == 0;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr || width <= 0 || height <= 0) {
        std::fprintf(stderr, "pellix-test-window: no display or bad size\n");
        return kFailureExit;
    }
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    Visual* visual = DefaultVisual(display, screen);
    int depth = DefaultDepth(display, screen);
    XVisualInfo* chosen = nullptr;
    if (singleBuffered) {
        int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
        chosen = glXChooseVisual(display, screen, attributes);
        if (chosen == nullptr) {
            std::fprintf(stderr, "pellix-test-window: no single-buffered visual\n");
            return kFailureExit;
        }
        visual = chosen->visual;
        depth = chosen->depth;
    }
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(display, root, visual, AllocNone);
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.event_mask = StructureNotifyMask;
    const Window window = XCreateWindow(display, root, 0, 0, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, depth, InputOutput, visual,
                                        CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XStoreName(display, window, "pellix-test-window");
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);

    pollfd watched[2] = {};
    watched[0].fd = STDIN_FILENO;
    watched[0].events = POLLIN;
    watched[1].fd = ConnectionNumber(display);
    watched[1].events = POLLIN;
    bool open = true;
    while (open) {
        while (XPending(display) > 0) {
            XEvent event{};
            XNextEvent(display, &event);
        }
        if (poll(watched, 2, kPollForever) < 0) {
            break;
        }
        if ((watched[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[64];
            open = read(STDIN_FILENO, buffer, sizeof(buffer)) > 0;
        }
        if ((watched[1].revents & (POLLHUP | POLLERR)) != 0) {
            open = false;
        }
    }
    if (chosen != nullptr) {
        XFree(chosen);
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return 0;
}
