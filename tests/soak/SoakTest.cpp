// Hours of simulated running of the real scene and renderer: the state that
// a frame advances (clock, physics, aging, picture schedule, wedge
// transitions) must stay finite, bounded and alive however long it runs.

#include "tests/renderer/RendererHarness.h"
#include "tests/soak/ProcessMemory.h"

#include "scene/SpriteScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

const double kDefaultSoakHours = 0.5;
const double kMaxSoakHours = 1000.0;
const int64_t kFramesPerSecond = 24;
const int64_t kSecondsPerHour = 3600;
const int64_t kMillisecondsPerSecond = 1000;
// Frames run before the heap is first read: the scene and every code path a
// key can take have allocated whatever they keep by then.
const int64_t kWarmUpFrames = 2400;
// The picture schedule must flip at least once in every window this long.
const int64_t kScheduleWindowFrames = 10 * 60 * kFramesPerSecond;
// On average one command key every five seconds; a spin press comes in a
// burst, as when the key is held.
const int kKeyChanceDenominator = 120;
const int kSpinBurstPresses = 12;
const uint32_t kKeyUp = 38;
const uint32_t kCommandKeys[] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'M', kKeyUp};
const uint32_t kKeyStreamSeed = 20240601u;
const int kPixels = 64;
// Centres spawn strictly inside radius 4 and the ring pull sets in at
// 4 - 2 * size; no centre may reach the ring itself.
const float kRingRadius = 4.0f;
const int kSlotsAtMost = 46;
const int kSlotsAtLeast = 10;
#if defined(_WIN32)
const uint64_t kHeapSlackBytes = 64 * 1024;  // commit charge moves in pages
#else
const uint64_t kHeapSlackBytes = 16 * 1024;
#endif

double soakHours()
{
    const char* text = std::getenv("PELLIX_SOAK_HOURS");
    if (text == nullptr || *text == '\0') {
        return kDefaultSoakHours;
    }
    char* end = nullptr;
    const double hours = std::strtod(text, &end);
    if (end == text || !(hours > 0.0) || hours > kMaxSoakHours) {
        return kDefaultSoakHours;
    }
    return hours;
}

bool finite(float value)
{
    return std::isfinite(value);
}

bool finite(const Vec3& v)
{
    return finite(v.x) && finite(v.y) && finite(v.z);
}

bool spriteFinite(const Sprite& s)
{
    return finite(s.position) && finite(s.velocity) && finite(s.force) && finite(s.age) &&
           finite(s.birthTime) && finite(s.size) && finite(s.rotation) && finite(s.cellU) &&
           finite(s.cellV) && finite(s.cellWidth) && finite(s.cellHeight);
}

bool planeFinite(const ClipPlane& p)
{
    return std::isfinite(p.a) && std::isfinite(p.b) && std::isfinite(p.c) && std::isfinite(p.d);
}

struct SoakReport {
    int64_t frames = 0;
    int64_t keysPressed = 0;
    int64_t scheduleFlips = 0;
    int64_t quietScheduleWindows = 0;
    float largestCentreDistance = 0.0f;
    float smallestTimeStep = 1.0e9f;
    float lastTimeSeconds = 0.0f;
    uint64_t heapAfterWarmUp = 0;
    uint64_t heapAtEnd = 0;

    void print(double hours) const
    {
        std::printf("soak: %.2f simulated hours, %lld frames, %lld command keys\n", hours,
                    static_cast<long long>(frames), static_cast<long long>(keysPressed));
        std::printf("soak: largest sprite centre distance %.4f (ring %.1f)\n", largestCentreDistance,
                    kRingRadius);
        std::printf("soak: picture schedule flips %lld, 10-minute windows without one %lld\n",
                    static_cast<long long>(scheduleFlips), static_cast<long long>(quietScheduleWindows));
        std::printf("soak: final timeSeconds %.3f, smallest step between frames %.4f s\n", lastTimeSeconds,
                    smallestTimeStep);
        std::printf("soak: heap after warm-up %llu bytes, at the end %llu bytes\n",
                    static_cast<unsigned long long>(heapAfterWarmUp), static_cast<unsigned long long>(heapAtEnd));
    }
};

TEST(Soak, TheSceneStaysFiniteBoundedAndAliveForHours)
{
    const double hours = soakHours();
    const int64_t frameCount = static_cast<int64_t>(hours * kSecondsPerHour * kFramesPerSecond);
    RendererHarness harness(kPixels, kPixels);
    ASSERT_NE(harness.renderer, nullptr) << "no OpenGL context";
    KaleidoRenderer& renderer = *harness.renderer;
    SpriteScene& scene = *renderer.scene;
    ASSERT_NE(scene.sprites, nullptr);

    std::mt19937 keyStream(kKeyStreamSeed);
    std::uniform_int_distribution<int> chance(0, kKeyChanceDenominator - 1);
    std::uniform_int_distribution<size_t> pick(0, sizeof(kCommandKeys) / sizeof(kCommandKeys[0]) - 1);

    SoakReport report;
    bool previousUniform = scene.uniformMode;
    int64_t flipsInWindow = 0;
    float previousTime = -1.0f;

    for (int64_t frame = 0; frame < frameCount; ++frame) {
        harness.setTimeMs(frame * kMillisecondsPerSecond / kFramesPerSecond);
        renderer.advanceFrame();
        report.frames = frame + 1;

        // Whole-frame checks stop at the first failure: one bad frame is the
        // story, millions of repeats of it are noise.
        const float step = renderer.timeSeconds - previousTime;
        ASSERT_GT(renderer.timeSeconds, previousTime) << "frame " << frame;
        if (frame > 0 && step < report.smallestTimeStep) {
            report.smallestTimeStep = step;
        }
        previousTime = renderer.timeSeconds;

        for (int32_t i = 0; i < kSpriteCount; ++i) {
            const Sprite& s = scene.sprites[i];
            ASSERT_TRUE(spriteFinite(s)) << "sprite " << i << " at frame " << frame;
            const float distance = std::sqrt(s.position.x * s.position.x + s.position.y * s.position.y);
            if (distance > report.largestCentreDistance) {
                report.largestCentreDistance = distance;
            }
            ASSERT_GE(s.picture, 0);
            ASSERT_LT(s.picture, kPictureCount);
        }
        ASSERT_LT(report.largestCentreDistance, kRingRadius) << "frame " << frame;
        ASSERT_TRUE(finite(scene.spinAngle)) << "frame " << frame;
        ASSERT_TRUE(finite(renderer.currentAngle) && finite(renderer.wedgeAngle)) << "frame " << frame;
        ASSERT_TRUE(planeFinite(renderer.startPlane) && planeFinite(renderer.farPlane)) << "frame " << frame;
        ASSERT_GE(renderer.wedgeCount, kSlotsAtLeast) << "frame " << frame;
        ASSERT_LE(renderer.wedgeCount, kSlotsAtMost) << "frame " << frame;

        if (scene.uniformMode != previousUniform) {
            previousUniform = scene.uniformMode;
            ++report.scheduleFlips;
            ++flipsInWindow;
        }
        if ((frame + 1) % kScheduleWindowFrames == 0) {
            if (flipsInWindow == 0) {
                ++report.quietScheduleWindows;
            }
            flipsInWindow = 0;
        }

        if (chance(keyStream) == 0) {
            const uint32_t key = kCommandKeys[pick(keyStream)];
            const int presses = key == kKeyUp ? kSpinBurstPresses : 1;
            for (int p = 0; p < presses; ++p) {
                EXPECT_TRUE(renderer.handleKey(key));
                ++report.keysPressed;
            }
        }

        if (frame + 1 == kWarmUpFrames) {
            report.heapAfterWarmUp = processHeapBytes();
        }
    }
    report.heapAtEnd = processHeapBytes();
    report.lastTimeSeconds = renderer.timeSeconds;
    report.print(hours);

    EXPECT_EQ(report.quietScheduleWindows, 0);
    EXPECT_GT(report.scheduleFlips, 0);
    if (frameCount > kWarmUpFrames && report.heapAfterWarmUp > 0) {
        const uint64_t grown = report.heapAtEnd > report.heapAfterWarmUp ? report.heapAtEnd - report.heapAfterWarmUp : 0;
        EXPECT_LE(grown, kHeapSlackBytes) << "the heap grew while nothing should allocate";
    }
}

}  // namespace
