#pragma once

#include "shell/linux/GlxWindow.h"
#include "shell/linux/InputRules.h"
#include "shell/linux/LinuxOptions.h"

#include <X11/Xlib.h>

#include <cstdint>

struct KaleidoRenderer;

// Exit codes of the Linux saver.
const int kExitNormal = 0;
const int kExitFailure = 1;  // no display, no GL, no such window
const int kExitUsage = 2;

const int32_t kWindowWidth = 1280;
const int32_t kWindowHeight = 720;
extern const char* const kWindowTitle;  // "Pellix"

// One run of the Linux saver: the window of the chosen mode, its GLX
// context, the one renderer, and the frame loop of the Windows saver (drain
// the events, draw, present, sleep pauseMs). Teardown is the reverse order,
// the renderer while its context is current.
struct LinuxSaver {
    LinuxOptions options;
    Display* display = nullptr;      // opened by start(); left open for the process end
    GlxWindow surface;
    KaleidoRenderer* renderer = nullptr;  // owned
    PointerTravel pointer;           // full screen: where the pointer started
    bool running = false;
    int exitCode = kExitNormal;
    int32_t pendingWidth = 0;        // latest size reported for the drawing window
    int32_t pendingHeight = 0;
    bool keyboardGrabbed = false;    // full screen: grabs are retried until they hold
    bool pointerGrabbed = false;
    int32_t grabAttempts = 0;
    float lastFpsReport = 0.0f;      // renderer's lastMeasureTime when -fps last printed

    // Sets everything up, runs the loop until the mode's end, tears down.
    // Returns the process exit code.
    int run(const LinuxOptions& chosen);

    bool start();
    void loop();
    void stop();
    void handleEvent(const XEvent& event);
    void handleKey(const XKeyEvent& key);
    void requestClose();
    void tryGrabs();
};

// SIGTERM, SIGINT and SIGHUP end the loop after the current frame instead of
// killing the process, so the context is torn down in order.
void installStopSignals();
