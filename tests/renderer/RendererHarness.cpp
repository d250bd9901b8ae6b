#include "tests/renderer/RendererHarness.h"

#include "platform/Platform.h"

void resetProcessClock(int64_t frequency, int64_t counts)
{
    gClockStarted = false;
    gClockOrigin = 0;
    gClockFrequency = 0;
    platformUseTestCounter(frequency, counts);
}

RendererHarness::RendererHarness(int pixelWidth, int pixelHeight, int64_t frequency, int64_t origin)
    : context(pixelWidth, pixelHeight), originCounts(origin), countsPerSecond(frequency)
{
    resetProcessClock(frequency, origin);
    if (!context.ready) {
        return;
    }
    gFixedRandomSeed = kHarnessRandomSeed;
    renderer = new KaleidoRenderer(pixelWidth, pixelHeight);
}

RendererHarness::~RendererHarness()
{
    delete renderer;
    renderer = nullptr;
    gFixedRandomSeed = -1;
    platformUseRealCounter();
}

void RendererHarness::setTimeMs(int64_t milliseconds)
{
    platformSetTestCounterValue(originCounts + milliseconds * countsPerSecond / kHarnessCountsPerSecond);
}

void RendererHarness::clockAtMs(int64_t milliseconds)
{
    setTimeMs(milliseconds);
    renderer->updateClock();
}

void RendererHarness::frameAtMs(int64_t milliseconds, uint32_t flags)
{
    setTimeMs(milliseconds);
    renderer->drawFrame(flags);
}
