// What a frame of the kaleidoscope costs at 1280 x 720 on Mesa, with the
// fewest and the most slots the keys can choose, and what rebuilding the
// wedge geometry costs. Each frame is waited for with glFinish, so the time
// is the drawing's, not just the submission's.

#include "tests/renderer/RendererHarness.h"

#include "common/Gl.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const int kWidth = 1280;
const int kHeight = 720;
// The clock advances as at the paced rate, so sprites age and renew as in
// the running saver.
const int64_t kFrameMs = 41;
const float kFewestSlotsAngle = 36.0f;
const float kMostSlotsAngle = 360.0f / 46;

struct FrameClock {
    int64_t nowMs = 0;
};

void drawOneFrame(RendererHarness& harness, FrameClock& clock)
{
    clock.nowMs += kFrameMs;
    harness.frameAtMs(clock.nowMs, FrameFlagMirrors);
    glFinish();
}

void showAngle(KaleidoRenderer& renderer, float angle)
{
    renderer.transitionActive = false;
    renderer.currentAngle = angle;
}

void BM_DrawFrame(benchmark::State& state)
{
    RendererHarness harness(kWidth, kHeight);
    if (harness.renderer == nullptr) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    const int slots = static_cast<int>(state.range(0));
    showAngle(*harness.renderer, 360.0f / static_cast<float>(slots));
    FrameClock clock;
    drawOneFrame(harness, clock);
    for (auto _ : state) {
        drawOneFrame(harness, clock);
    }
    state.counters["slots"] = harness.renderer->wedgeCount;
}
BENCHMARK(BM_DrawFrame)->Arg(10)->Arg(46)->UseRealTime()->Unit(benchmark::kMillisecond);

// Both slot counts in one run, alternating, so the ratio compares frames
// drawn under the same load of the machine.
void BM_FrameRatio46To10(benchmark::State& state)
{
    RendererHarness harness(kWidth, kHeight);
    if (harness.renderer == nullptr) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    KaleidoRenderer& renderer = *harness.renderer;
    FrameClock clock;
    drawOneFrame(harness, clock);
    double fewSeconds = 0.0;
    double manySeconds = 0.0;
    for (auto _ : state) {
        showAngle(renderer, kFewestSlotsAngle);
        auto start = std::chrono::steady_clock::now();
        drawOneFrame(harness, clock);
        auto middle = std::chrono::steady_clock::now();
        showAngle(renderer, kMostSlotsAngle);
        drawOneFrame(harness, clock);
        auto end = std::chrono::steady_clock::now();
        const double few = std::chrono::duration<double>(middle - start).count();
        const double many = std::chrono::duration<double>(end - middle).count();
        fewSeconds += few;
        manySeconds += many;
        state.SetIterationTime(few + many);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["ms_10_slots"] = 1000.0 * fewSeconds / iterations;
    state.counters["ms_46_slots"] = 1000.0 * manySeconds / iterations;
    state.counters["ratio_46_to_10"] = fewSeconds > 0.0 ? manySeconds / fewSeconds : 0.0;
}
BENCHMARK(BM_FrameRatio46To10)->UseManualTime()->Unit(benchmark::kMillisecond);

// A transition's worth of angles, from the start angle to the smallest.
void BM_UpdateGeometry(benchmark::State& state)
{
    RendererHarness harness(64, 64);
    if (harness.renderer == nullptr) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    KaleidoRenderer& renderer = *harness.renderer;
    const int kSteps = 256;
    int step = 0;
    for (auto _ : state) {
        const float angle = kFewestSlotsAngle + (kMostSlotsAngle - kFewestSlotsAngle) * step / kSteps;
        renderer.updateGeometry(angle);
        benchmark::DoNotOptimize(renderer.wedgeCount);
        benchmark::DoNotOptimize(renderer.remainderFarPlane);
        step = (step + 1) % (kSteps + 1);
    }
}
BENCHMARK(BM_UpdateGeometry);

}  // namespace
