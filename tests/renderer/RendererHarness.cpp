#include "tests/renderer/RendererHarness.h"

#include "platform/Platform.h"

#include <cstring>

#if !defined(_WIN32)
#include <dlfcn.h>
#include <link.h>
#endif

namespace {

#if !defined(_WIN32)
int pinDriverModule(dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr) {
        // A second reference that is never dropped, to a module already
        // loaded: it only marks the module as not to be unloaded.
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}
#endif

// Mesa's driver module keeps a few blocks for the life of the process,
// reachable from its own statics. Tearing down the last context unloads the
// module, and the leak checker then sees those blocks unreferenced without
// being able to name their allocator; a module that stays loaded keeps them
// reachable. Needs a context current, so that the driver is loaded.
void keepGlDriverLoaded()
{
#if !defined(_WIN32)
    static bool pinned = false;
    if (!pinned) {
        pinned = true;
        dl_iterate_phdr(pinDriverModule, nullptr);
    }
#endif
}

}  // namespace

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
    keepGlDriverLoaded();
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
