#pragma once

// A real renderer, with its real scene, on a real OpenGL context, driven by a
// counter the test sets. The clock's process-wide values are put back to
// "never started" first, so every harness sees the first startClock of the
// process, with its origin at `originCounts`.

#include "renderer/KaleidoRenderer.h"
#include "tests/support/GlContext.h"

#include <cstdint>

// A millisecond counter: counts and milliseconds are the same numbers.
const int64_t kHarnessCountsPerSecond = 1000;
// An origin far from 0, so that a clock that forgets it shows at once.
const int64_t kHarnessOrigin = 5000000007;
// The scene's random choices are the same in every run.
const int32_t kHarnessRandomSeed = 7;

struct RendererHarness {
    TestGlContext context;
    KaleidoRenderer* renderer = nullptr;  // owned; null when no context could be made
    int64_t originCounts = 0;
    int64_t countsPerSecond = 0;

    RendererHarness(int pixelWidth, int pixelHeight, int64_t frequency = kHarnessCountsPerSecond,
                    int64_t origin = kHarnessOrigin);
    ~RendererHarness();
    RendererHarness(const RendererHarness&) = delete;
    RendererHarness& operator=(const RendererHarness&) = delete;

    // Sets the counter to `milliseconds` after the origin (the counter's own
    // frequency taken into account).
    void setTimeMs(int64_t milliseconds);
    // Sets the counter, then runs the clock alone (no scene step, no drawing).
    void clockAtMs(int64_t milliseconds);
    // Sets the counter, then draws one whole frame with the given flags.
    void frameAtMs(int64_t milliseconds, uint32_t flags = FrameFlagMirrors);
};

// Forgets that the process clock was started and hands the counter to the
// test, with the given frequency and current value.
void resetProcessClock(int64_t frequency, int64_t counts);
