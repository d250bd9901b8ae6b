// The renderer's clock and frame pacing, on the real renderer with a counter
// the test drives.

#include "tests/renderer/RendererHarness.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const int kSmall = 64;
// pauseMs after the first measurement: 74 + (41 - 1000 / 50) / 2.
const int32_t kPauseAfterFirstMeasurement = 84;

// Feeds `frames` frames spread over [startMs, startMs + 998]: with the last
// measurement at or before startMs, none of them measures.
void countedFrames(RendererHarness& harness, int64_t startMs, int frames)
{
    const int64_t kSpanMs = 998;
    for (int i = 0; i < frames; ++i) {
        harness.clockAtMs(startMs + (i * kSpanMs) / (frames > 1 ? frames - 1 : 1));
    }
}

TEST(ClockTest, TimeIsWholeMillisecondsSinceTheOriginForAnyCounterRate)
{
    const int64_t kNanosecondsIn200Days = 200LL * 86400 * 1000000000;
    struct Case {
        int64_t frequency;
        int64_t countsSinceOrigin;
        double expectedSeconds;
    };
    const Case cases[] = {
        {1000, 0, 0.0},
        {1000, 1234, 1.234},
        {3579545, 4418948, 1.234},         // 1.23449.. s: truncated, not rounded
        {10000000, 12349999, 1.234},       // a typical performance counter
        {1000000000, 999999, 0.0},         // just under a millisecond
        {1000000000, 86400000000000, 86400.0},
        // A nanosecond counter 200 days in: counts x 1000 does not fit in 64 bits.
        {1000000000, kNanosecondsIn200Days + 999999, 17280000.0},
        {10000000, -15000, -0.001},        // a counter behind the origin
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "frequency " << c.frequency << ", counts " << c.countsSinceOrigin);
        RendererHarness harness(kSmall, kSmall, c.frequency);
        ASSERT_NE(harness.renderer, nullptr);
        EXPECT_EQ(gClockFrequency, c.frequency);
        EXPECT_EQ(gClockOrigin, kHarnessOrigin);
        platformSetTestCounterValue(kHarnessOrigin + c.countsSinceOrigin);
        harness.renderer->updateClock();
        EXPECT_NEAR(harness.renderer->timeSeconds, c.expectedSeconds, 1e-5 + 1e-7 * std::fabs(c.expectedSeconds));
    }
}

TEST(ClockTest, FirstMeasurementAtOneSecondMovesThePauseFrom74To84WhateverItMeasures)
{
    const int frameCounts[] = {0, 1, 23, 240};
    for (int frames : frameCounts) {
        SCOPED_TRACE(testing::Message() << frames << " frames in the first second");
        RendererHarness harness(kSmall, kSmall);
        ASSERT_NE(harness.renderer, nullptr);
        KaleidoRenderer& r = *harness.renderer;
        EXPECT_EQ(r.pauseMs, kInitialPauseMs);
        EXPECT_EQ(r.fpsEstimate, kInitialFpsEstimate);

        countedFrames(harness, 0, frames);
        EXPECT_EQ(r.framesCounted, frames);
        EXPECT_EQ(r.pauseMs, kInitialPauseMs);

        harness.clockAtMs(1000);
        EXPECT_EQ(r.pauseMs, kPauseAfterFirstMeasurement);
        EXPECT_FLOAT_EQ(r.fpsEstimate, static_cast<float>(frames));
        EXPECT_EQ(r.framesCounted, 0);
        EXPECT_FLOAT_EQ(r.lastMeasureTime, 1.0f);
    }
}

TEST(ClockTest, FirstMeasurementHappensInsideDrawFrame)
{
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    harness.frameAtMs(500);
    harness.frameAtMs(999);
    EXPECT_EQ(harness.renderer->pauseMs, kInitialPauseMs);
    EXPECT_EQ(harness.renderer->framesCounted, 2);
    harness.frameAtMs(1000);
    EXPECT_EQ(harness.renderer->pauseMs, kPauseAfterFirstMeasurement);
    EXPECT_FLOAT_EQ(harness.renderer->timeSeconds, 1.0f);
}

TEST(ClockTest, EachStepFollowsTheEstimateOfTheMeasurementBefore)
{
    struct Case {
        int previousEstimate;
        int32_t step;
    };
    const Case cases[] = {{22, -2}, {23, -1}, {24, 0}, {25, 0}, {26, 1}, {27, 2}, {50, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "previous estimate " << c.previousEstimate);
        RendererHarness harness(kSmall, kSmall);
        ASSERT_NE(harness.renderer, nullptr);
        KaleidoRenderer& r = *harness.renderer;

        // 2n + 1 frames over two seconds: an estimate of n + 0.5, which
        // truncates to n however the float division rounds.
        countedFrames(harness, 0, 2 * c.previousEstimate + 1);
        harness.clockAtMs(2000);
        ASSERT_EQ(static_cast<int>(r.fpsEstimate), c.previousEstimate);
        ASSERT_EQ(r.pauseMs, kPauseAfterFirstMeasurement);

        // This measurement counts no frames; its step uses the estimate above.
        harness.clockAtMs(3000);
        EXPECT_EQ(r.pauseMs, kPauseAfterFirstMeasurement + c.step);
    }
}

TEST(ClockTest, AMeasurementWithoutFramesMakesTheNextOneAdjustNothing)
{
    // Measuring frames come a little over a second apart: timeSeconds is a
    // float, and a frame exactly 1000 ms after the last measurement can fall
    // a rounding step short of it.
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    countedFrames(harness, 0, 30);
    harness.clockAtMs(1000);
    countedFrames(harness, 1001, 30);
    harness.clockAtMs(2001);

    // The frame after the measuring one comes more than a second later.
    harness.clockAtMs(3600);
    EXPECT_EQ(r.fpsEstimate, 0.0f);
    const int32_t pause = r.pauseMs;
    // 61 frames over two seconds: an estimate of 30.5.
    countedFrames(harness, 3601, 61);
    harness.clockAtMs(5600);
    EXPECT_EQ(r.pauseMs, pause);
    EXPECT_FLOAT_EQ(r.fpsEstimate, 30.5f);

    // The estimate is back, so the measurement after makes its step again.
    harness.clockAtMs(6700);
    EXPECT_EQ(r.pauseMs, pause + (41 - 1000 / 30) / 2);
}

TEST(ClockTest, PauseStaysWithinOneAndAThousandHoweverTheEstimateSwings)
{
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;

    // Phases of measured rates, one measurement every 1001 ms: two frames a
    // second (an estimate of 1) ask for far shorter pauses, 1500 frames a
    // second for longer ones, at most 20 ms more per measurement.
    struct Phase {
        int framesPerSecond;
        int seconds;
        int32_t pauseAtEnd;
    };
    const Phase phases[] = {{2, 3, 1}, {1500, 60, 1000}, {2, 4, 1}, {1500, 3, 41}};
    const int64_t kMeasureEveryMs = 1001;
    int64_t nowMs = 0;
    for (const Phase& phase : phases) {
        for (int second = 0; second < phase.seconds; ++second) {
            countedFrames(harness, nowMs, phase.framesPerSecond);
            nowMs += kMeasureEveryMs;
            harness.clockAtMs(nowMs);
            ASSERT_EQ(r.framesCounted, 0) << "no measurement at " << nowMs << " ms";
            ASSERT_GE(r.pauseMs, 1) << "at " << nowMs << " ms";
            ASSERT_LE(r.pauseMs, 1000) << "at " << nowMs << " ms";
        }
        EXPECT_EQ(r.pauseMs, phase.pauseAtEnd) << "after " << phase.seconds << " s at " << phase.framesPerSecond
                                               << " frames a second";
    }
}

TEST(ClockTest, ASecondStartChangesNothing)
{
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    countedFrames(harness, 0, 10);
    harness.clockAtMs(1000);
    countedFrames(harness, 1001, 3);
    const float time = r.timeSeconds;
    const float estimate = r.fpsEstimate;
    const float measured = r.lastMeasureTime;
    const int32_t counted = r.framesCounted;
    const int32_t pause = r.pauseMs;

    // Another start, with the counter somewhere else and a different rate.
    platformUseTestCounter(kHarnessCountsPerSecond * 3, kHarnessOrigin + 777777);
    r.startClock();
    EXPECT_EQ(gClockOrigin, kHarnessOrigin);
    EXPECT_EQ(gClockFrequency, kHarnessCountsPerSecond);
    EXPECT_EQ(r.timeSeconds, time);
    EXPECT_EQ(r.fpsEstimate, estimate);
    EXPECT_EQ(r.lastMeasureTime, measured);
    EXPECT_EQ(r.framesCounted, counted);
    EXPECT_EQ(r.pauseMs, pause);

    // A second renderer of the same process reads the same clock.
    platformUseTestCounter(kHarnessCountsPerSecond, kHarnessOrigin + 7500);
    KaleidoRenderer* second = new KaleidoRenderer(kSmall, kSmall);
    EXPECT_EQ(gClockOrigin, kHarnessOrigin);
    second->updateClock();
    EXPECT_FLOAT_EQ(second->timeSeconds, 7.5f);
    delete second;
    EXPECT_EQ(gRenderer, nullptr);
}

TEST(ClockTest, WithoutACounterFrequencyTheMillisecondTickRunsTheClock)
{
    const int64_t frequencies[] = {0, -1};
    for (int64_t frequency : frequencies) {
        SCOPED_TRACE(testing::Message() << "frequency " << frequency);
        RendererHarness harness(kSmall, kSmall, frequency, 123456789);
        ASSERT_NE(harness.renderer, nullptr);
        KaleidoRenderer& r = *harness.renderer;
        EXPECT_EQ(gClockFrequency, kHarnessCountsPerSecond);

        // Time comes from the real tick, not from the frozen counter.
        const float kEnoughSeconds = 0.05f;
        const int kPatienceMs = 20000;
        int waitedMs = 0;
        r.updateClock();
        while (r.timeSeconds < kEnoughSeconds && waitedMs < kPatienceMs) {
            platformSleepMs(1);
            ++waitedMs;
            r.updateClock();
            ASSERT_GE(r.timeSeconds, 0.0f);
        }
        EXPECT_GE(r.timeSeconds, kEnoughSeconds);
        EXPECT_LT(r.timeSeconds, 1000.0f);
    }
}

}  // namespace
