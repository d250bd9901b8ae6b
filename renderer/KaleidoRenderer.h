#pragma once

#include "common/ClipPlane.h"

#include <cstdint>

struct SpriteScene;

// drawFrame flag: the "UseMirrors" setting is on.
const uint32_t FrameFlagMirrors = 0x10000u;

const int kTargetFps = 24;
const int kInitialPauseMs = 74;
const float kInitialWedgeAngle = 36.0f;
const float kInitialFpsEstimate = 50.0f;

// Turns the sprite scene into a kaleidoscope. One per saver window, created
// after the window's OpenGL context is current and destroyed before it is
// released. All calls come from the thread that owns that context.
struct KaleidoRenderer {
    float wedgeAngle = 0.0f;         // degrees, as last given to updateGeometry
    int32_t wedgeCount = 0;          // slots around the centre
    ClipPlane startPlane{};          // along the wedge's start ray (270 degrees)
    ClipPlane farPlane{};            // along the far ray (270 + wedgeAngle)
    ClipPlane remainderStartPlane{}; // partial last slot; valid while hasRemainder
    ClipPlane remainderFarPlane{};
    bool hasRemainder = false;
    SpriteScene* scene = nullptr;    // owned
    int32_t width = 0;               // client size in pixels
    int32_t height = 0;
    bool mirrorsOn = false;          // set at the start of every frame
    // Starts at the clock's initial estimate also for a renderer whose
    // startClock finds the process clock already running.
    float fpsEstimate = kInitialFpsEstimate; // frames per second at the last measurement
    float timeSeconds = 0.0f;        // since the clock started, whole milliseconds
    float transitionStart = 0.0f;    // wedge-angle transition, seconds and degrees
    float transitionDuration = 0.0f;
    float transitionFrom = 0.0f;
    float transitionTo = 0.0f;
    bool transitionActive = false;
    float lastMeasureTime = 0.0f;
    int32_t framesCounted = 0;
    int32_t targetFps = 0;
    int32_t pauseMs = 0;             // the frame loop sleeps this long; 1..1000 once adjusted
    bool mirrorsOff = false;         // toggled by M
    float currentAngle = 0.0f;       // wedge angle frames use, animated by transitions

    // Seeds the random generator from the calendar time, sets viewport and
    // projection, starts the clock, creates the scene. Sets gRenderer.
    KaleidoRenderer(int32_t clientWidth, int32_t clientHeight);
    // Destroys the scene; the context must still be current. Clears
    // gRenderer when it points here.
    ~KaleidoRenderer();
    KaleidoRenderer(const KaleidoRenderer&) = delete;
    KaleidoRenderer& operator=(const KaleidoRenderer&) = delete;

    // Draws one frame into the back buffer; flags bit 16 = mirrors setting.
    // True when a frame waits to be presented (every frame).
    bool drawFrame(uint32_t flags);
    // True when `code` (a virtual-key code, or a button mask) is a command.
    bool handleKey(uint32_t code);
    // Takes a new client size without rebuilding the scene: viewport and
    // projection follow, the backdrop reads the new size.
    void resize(int32_t clientWidth, int32_t clientHeight);

    // The frame's state without drawing: clock, scene step, wedge-angle
    // transition, geometry. drawFrame runs it between the camera and the
    // wedges; long simulations run it alone. Needs no OpenGL call.
    void advanceFrame();
    void drawWedges();
    // Slot count and clip planes for `angle` degrees (360/46 .. 36 in use;
    // the planes cut one slot for angles up to 180). An angle that is not a
    // finite positive number, or so small that the slots could not be
    // counted, leaves every geometry field unchanged.
    void updateGeometry(float angle);
    // First call in the process: fixes the clock's origin and frequency (the
    // millisecond tick when the counter has no frequency) and resets the
    // measurement fields. Later calls, from any renderer, change nothing.
    void startClock();
    // Reads the clock into timeSeconds (whole milliseconds since the origin)
    // and, once a second or more has passed since the last measurement,
    // measures the frame rate and moves pauseMs (kept within 1..1000).
    void updateClock();
    void toggleMirrors();
    void setProjection();
};

// The one renderer, null when there is none.
extern KaleidoRenderer* gRenderer;

// Tests and the offline renderer fix the random seed: when it is 0 or more,
// set-up seeds with it instead of the calendar time modulo 256. -1 by default.
extern int32_t gFixedRandomSeed;

// The clock's origin, shared by every renderer of the process.
extern bool gClockStarted;
extern int64_t gClockOrigin;
extern int64_t gClockFrequency;
