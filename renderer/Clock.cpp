#include "renderer/KaleidoRenderer.h"

#include "platform/Platform.h"

bool gClockStarted = false;
int64_t gClockOrigin = 0;
int64_t gClockFrequency = 0;

namespace {

const float kMillisecondsToSeconds = 0.001f;
const int64_t kMillisecondsPerSecond = 1000;
const int32_t kMinPauseMs = 1;
const int32_t kMaxPauseMs = 1000;

// Without a high-resolution counter the clock runs on the millisecond tick.
bool gClockOnMilliseconds = false;

int64_t clockCounter()
{
    if (gClockOnMilliseconds) {
        // Unsigned difference from the origin keeps the clock right across
        // the 49.7-day wrap of the tick.
        return gClockOrigin + static_cast<uint32_t>(platformMilliseconds() - static_cast<uint32_t>(gClockOrigin));
    }
    return platformCounterValue();
}

}  // namespace

void KaleidoRenderer::startClock()
{
    if (gClockStarted) {
        return;
    }
    gClockStarted = true;
    gClockFrequency = platformCounterFrequency();
    if (gClockFrequency > 0) {
        gClockOnMilliseconds = false;
        gClockOrigin = platformCounterValue();
    } else {
        gClockOnMilliseconds = true;
        gClockFrequency = kMillisecondsPerSecond;
        gClockOrigin = platformMilliseconds();
    }
    framesCounted = 0;
    fpsEstimate = kInitialFpsEstimate;
    timeSeconds = 0.0f;
    lastMeasureTime = 0.0f;
}

void KaleidoRenderer::updateClock()
{
    // Whole seconds and the rest apart: the same truncated milliseconds as
    // (counts * 1000) / frequency, without that product overflowing once a
    // nanosecond counter has run for about 106 days.
    const int64_t counts = clockCounter() - gClockOrigin;
    const int64_t ms = (counts / gClockFrequency) * kMillisecondsPerSecond +
                       ((counts % gClockFrequency) * kMillisecondsPerSecond) / gClockFrequency;
    timeSeconds = static_cast<float>(ms) * kMillisecondsToSeconds;

    const float elapsed = timeSeconds - lastMeasureTime;
    if (elapsed < 1.0f) {
        framesCounted += 1;
        return;
    }

    const int32_t previous = static_cast<int32_t>(fpsEstimate);
    fpsEstimate = static_cast<float>(framesCounted) / elapsed;
    framesCounted = 0;
    lastMeasureTime = timeSeconds;
    if (previous > 0) {
        pauseMs += (1000 / targetFps - 1000 / previous) / 2;
    }
    if (pauseMs < kMinPauseMs) {
        pauseMs = kMinPauseMs;
    }
    if (pauseMs > kMaxPauseMs) {
        pauseMs = kMaxPauseMs;
    }
}
