#pragma once

// The Linux saver's command line. XScreenSaver starts a hack with -root (and
// XSCREENSAVER_WINDOW in the environment) or, for its settings preview, with
// -window-id; run by hand it opens a window of its own.

enum class LinuxMode {
    Window,      // a 1280 x 720 top-level window titled "Pellix"
    FullScreen,  // covers the screen and closes on input like the Windows saver
    Root,        // XSCREENSAVER_WINDOW, else the root window
    WindowId,    // the window given on the command line
};

struct LinuxOptions {
    LinuxMode mode = LinuxMode::Window;
    unsigned long windowId = 0;  // WindowId mode only; never 0 there
    bool useMirrors = true;      // -no-mirrors clears it
    bool showFps = false;        // -fps: measured rate on standard error once a second
    bool showHelp = false;       // -help: print kLinuxUsage and end with 0
};

// One line, no trailing newline.
extern const char* const kLinuxUsage;

// Reads argv[1..argc-1]. Options take one or two leading dashes. More than
// one of -fullscreen, -root and -window-id, an unknown option, or a missing
// or malformed window id give false and leave *options unchanged.
bool parseLinuxOptions(int argc, const char* const* argv, LinuxOptions* options);

// An X window id written in hex with 0x/0X or in decimal, as XScreenSaver
// and xwininfo print them. False (and *id unchanged) for null, empty text,
// signs, other characters, 0, or a value above 32 bits.
bool parseWindowId(const char* text, unsigned long* id);
