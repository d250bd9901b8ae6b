// What the scene costs per frame: one swirl step of the 60 sprites, one
// pass of the sprites at 1280 x 720 on Mesa (waited for with glFinish, so
// the time is the drawing's), and the heap allocations of a thousand frames,
// which should be none.

#include "bench/scene/AllocationCounter.h"
#include "tests/scene/SceneRig.h"

#include "common/Gl.h"
#include "platform/Platform.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const int kWidth = 1280;
const int kHeight = 720;
const int32_t kSeed = 7;
// The clock advances as at the paced rate, so sprites age and renew as in
// the running saver.
const float kFrameSeconds = 0.041f;
const int kCountedFrames = 1000;
// Steps before measuring, so the sprites have settled from their spawn.
const int kSettlingSteps = 240;
const double kCameraDistance = 5.5;

void advance(SceneRig& rig)
{
    rig.renderer->timeSeconds += kFrameSeconds;
    rig.scene->step();
}

void setCamera()
{
    glLoadIdentity();
    gluLookAt(0.0, 0.0, kCameraDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
}

void BM_SceneStep(benchmark::State& state)
{
    SceneRig rig(64, 64, kSeed);
    if (rig.scene == nullptr) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    for (int i = 0; i < kSettlingSteps; ++i) {
        advance(rig);
    }
    for (auto _ : state) {
        advance(rig);
        benchmark::DoNotOptimize(rig.scene->sprites[0].position);
    }
}
BENCHMARK(BM_SceneStep)->Unit(benchmark::kMicrosecond);

// One drawSprites call, timed from after the backdrop has finished to the
// end of the sprites' rasterisation.
void BM_DrawSprites(benchmark::State& state)
{
    SceneRig rig(kWidth, kHeight, kSeed);
    if (rig.scene == nullptr) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    for (int i = 0; i < kSettlingSteps; ++i) {
        advance(rig);
    }
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        setCamera();
        rig.scene->beginDraw();
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        rig.scene->drawSprites();
        glFinish();
        const auto end = std::chrono::steady_clock::now();
        rig.scene->endDraw();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_DrawSprites)->UseManualTime()->Unit(benchmark::kMillisecond);

// The backdrop alone: gradient, two cloud layers and the logo.
void BM_DrawBackdrop(benchmark::State& state)
{
    SceneRig rig(kWidth, kHeight, kSeed);
    if (rig.scene == nullptr) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    for (auto _ : state) {
        rig.renderer->timeSeconds += kFrameSeconds;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        setCamera();
        rig.scene->beginDraw();
        rig.scene->endDraw();
        glFinish();
    }
}
BENCHMARK(BM_DrawBackdrop)->Unit(benchmark::kMillisecond);

// A thousand frames of the scene's work, counting the allocations made on
// this thread by the step and by the drawing calls: all of them (Mesa takes
// some to record immediate-mode quads) and those made by the core's own
// code. The picture is small: the counts do not depend on its size.
void BM_AllocationsInThousandFrames(benchmark::State& state)
{
    SceneRig rig(160, 90, kSeed);
    if (rig.scene == nullptr) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    // One frame first, so that Mesa's lazily made state is in place.
    advance(rig);
    rig.drawScene(true);
    AllocationCount step;
    AllocationCount draw;
    for (auto _ : state) {
        for (int frame = 0; frame < kCountedFrames; ++frame) {
            rig.renderer->timeSeconds += kFrameSeconds;
            startCountingAllocations();
            rig.scene->step();
            const AllocationCount stepFrame = stopCountingAllocations();

            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            setCamera();
            startCountingAllocations();
            rig.scene->beginDraw();
            rig.scene->drawSprites();
            rig.scene->endDraw();
            const AllocationCount drawFrame = stopCountingAllocations();
            glFinish();

            step.all += stepFrame.all;
            step.own += stepFrame.own;
            draw.all += drawFrame.all;
            draw.own += drawFrame.own;
        }
    }
    state.counters["frames"] = static_cast<double>(kCountedFrames * state.iterations());
    state.counters["step_allocs"] = static_cast<double>(step.all);
    state.counters["draw_allocs_own"] = static_cast<double>(draw.own);
    state.counters["draw_allocs_in_mesa"] = static_cast<double>(draw.all - draw.own);
    if (step.all != 0 || draw.own != 0) {
        state.SetLabel("the scene allocated while running");
    }
}
BENCHMARK(BM_AllocationsInThousandFrames)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
