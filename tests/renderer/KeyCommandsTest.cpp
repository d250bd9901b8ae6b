// Key commands and the wedge-angle transition they start, on the real
// renderer and scene, with whole frames drawn at times the test sets.

#include "tests/renderer/RendererHarness.h"

#include "scene/SpriteScene.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

const int kSmall = 64;
const uint32_t kKeyUp = 38;
const uint32_t kKeyM = 77;
const uint32_t kKeyDigit0 = 48;
const float kSpinPerPress = 0.00872664f;

uint32_t digitKey(int digit)
{
    return kKeyDigit0 + static_cast<uint32_t>(digit);
}

// What handleKey may change, to compare before and after a key.
struct KeyState {
    float currentAngle;
    float transitionStart;
    float transitionFrom;
    float transitionTo;
    float transitionDuration;
    bool transitionActive;
    bool mirrorsOff;
    float spinAngle;

    explicit KeyState(const KaleidoRenderer& r)
        : currentAngle(r.currentAngle),
          transitionStart(r.transitionStart),
          transitionFrom(r.transitionFrom),
          transitionTo(r.transitionTo),
          transitionDuration(r.transitionDuration),
          transitionActive(r.transitionActive),
          mirrorsOff(r.mirrorsOff),
          spinAngle(r.scene->spinAngle)
    {
    }
    bool sameTransition(const KeyState& o) const
    {
        return currentAngle == o.currentAngle && transitionStart == o.transitionStart &&
               transitionFrom == o.transitionFrom && transitionTo == o.transitionTo &&
               transitionDuration == o.transitionDuration && transitionActive == o.transitionActive;
    }
};

TEST(KeyCommandsTest, ExactlyTheCommandKeysAreConsumedAndEachDoesItsOwnThing)
{
    enum Effect { None, Transition, Mirrors, Spin };
    struct Command {
        uint32_t code;
        Effect effect;
    };
    const Command commands[] = {
        {32, None},        {37, None},        {38, Spin},        {39, None},        {40, None},
        {48, Transition},  {49, Transition},  {50, Transition},  {51, Transition},  {52, Transition},
        {53, Transition},  {54, Transition},  {55, Transition},  {56, Transition},  {57, Transition},
        {77, Mirrors},     {83, None},
    };
    // Every code up to 511, then a few that only a button mask or a broken
    // message could give.
    std::vector<uint32_t> codes;
    for (uint32_t code = 0; code < 512; ++code) {
        codes.push_back(code);
    }
    const uint32_t extremes[] = {0x10000u, 0x10026u, 0x7fffffffu, 0x80000026u, 0xffffffffu};
    codes.insert(codes.end(), std::begin(extremes), std::end(extremes));

    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    harness.frameAtMs(250);
    for (uint32_t code : codes) {
        SCOPED_TRACE(testing::Message() << "code " << code);
        Effect effect = None;
        bool command = false;
        for (const Command& c : commands) {
            if (c.code == code) {
                command = true;
                effect = c.effect;
            }
        }
        const KeyState before(r);
        EXPECT_EQ(r.handleKey(code), command);
        const KeyState after(r);
        EXPECT_EQ(after.mirrorsOff, effect == Mirrors ? !before.mirrorsOff : before.mirrorsOff);
        EXPECT_FLOAT_EQ(after.spinAngle, before.spinAngle + (effect == Spin ? kSpinPerPress : 0.0f));
        if (effect == Transition) {
            EXPECT_TRUE(after.transitionActive);
            EXPECT_EQ(after.transitionStart, r.timeSeconds);
            EXPECT_EQ(after.transitionFrom, before.currentAngle);
            EXPECT_EQ(after.transitionDuration, 2.0f);
            EXPECT_EQ(after.currentAngle, after.transitionTo);
        } else {
            EXPECT_TRUE(after.sameTransition(before));
        }
    }
}

TEST(KeyCommandsTest, KeysThatCloseTheSaver)
{
    // Numeric-keypad digits, letters other than M and S, Escape, Enter,
    // function keys, and the masks of mouse-button presses.
    std::vector<uint32_t> codes = {1, 2, 8, 9, 13, 16, 27, 112, 123};
    for (uint32_t numpad = 96; numpad <= 105; ++numpad) {
        codes.push_back(numpad);
    }
    for (uint32_t letter = 'A'; letter <= 'Z'; ++letter) {
        if (letter != 'M' && letter != 'S') {
            codes.push_back(letter);
        }
    }
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    for (uint32_t code : codes) {
        EXPECT_FALSE(r.handleKey(code)) << "code " << code;
    }
    harness.frameAtMs(100);
    EXPECT_FALSE(r.transitionActive);
    EXPECT_EQ(r.currentAngle, 36.0f);
    EXPECT_EQ(r.wedgeCount, 10);
    EXPECT_FALSE(r.mirrorsOff);
}

// Smoothstep fractions at a quarter, half and three quarters of the way.
const float kQuarter = 0.15625f;
const float kThreeQuarters = 0.84375f;

TEST(KeyCommandsTest, EachDigitGlidesToItsSlotCountInTwoSeconds)
{
    struct Case {
        int digit;
        int32_t slots;
        float degrees;
    };
    // The first row asks for the angle already shown: nothing moves.
    const Case cases[] = {{1, 10, 36.0f},      {2, 14, 25.714286f}, {3, 18, 20.0f},      {4, 22, 16.363636f},
                          {5, 26, 13.846154f}, {6, 30, 12.0f},      {7, 34, 10.588235f}, {8, 38, 9.473684f},
                          {9, 42, 8.571429f},  {0, 46, 7.826087f},  {1, 10, 36.0f}};
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    int64_t nowMs = 40;
    harness.frameAtMs(nowMs);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "digit " << c.digit);
        const float from = r.currentAngle;
        ASSERT_TRUE(r.handleKey(digitKey(c.digit)));
        EXPECT_NEAR(r.transitionTo, c.degrees, 1e-5);

        const struct {
            int64_t afterMs;
            float fraction;
        } frames[] = {{500, kQuarter}, {1000, 0.5f}, {1500, kThreeQuarters}};
        for (const auto& frame : frames) {
            harness.frameAtMs(nowMs + frame.afterMs);
            EXPECT_TRUE(r.transitionActive);
            EXPECT_NEAR(r.currentAngle, from + (c.degrees - from) * frame.fraction, 1e-4) << frame.afterMs << " ms";
            EXPECT_EQ(r.wedgeAngle, r.currentAngle);
        }
        // A frame exactly 2000 ms on can fall a float rounding step short of
        // t = 1; the next millisecond ends the transition.
        nowMs += 2001;
        harness.frameAtMs(nowMs);
        EXPECT_FALSE(r.transitionActive);
        EXPECT_EQ(r.currentAngle, r.transitionTo);
        EXPECT_EQ(r.wedgeCount, c.slots);
        EXPECT_FALSE(r.hasRemainder);
    }
}

TEST(KeyCommandsTest, TwoDigitsBeforeOneFrameGlideFromTheFirstTarget)
{
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    harness.frameAtMs(100);
    ASSERT_TRUE(r.handleKey(digitKey(3)));
    ASSERT_TRUE(r.handleKey(digitKey(5)));
    EXPECT_EQ(r.transitionFrom, 360.0f / 18);
    EXPECT_EQ(r.transitionTo, 360.0f / 26);
    harness.frameAtMs(1100);
    EXPECT_NEAR(r.currentAngle, (20.0f + 13.846154f) / 2, 1e-4);
    harness.frameAtMs(2101);
    EXPECT_EQ(r.currentAngle, 360.0f / 26);
    EXPECT_EQ(r.wedgeCount, 26);
}

TEST(KeyCommandsTest, ADigitDuringATransitionStartsAgainFromTheAngleShown)
{
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    harness.frameAtMs(0);
    ASSERT_TRUE(r.handleKey(digitKey(0)));
    harness.frameAtMs(1000);
    const float shown = r.currentAngle;
    EXPECT_NEAR(shown, (36.0f + 7.826087f) / 2, 1e-4);

    ASSERT_TRUE(r.handleKey(digitKey(2)));
    EXPECT_EQ(r.transitionFrom, shown);
    EXPECT_EQ(r.transitionStart, 1.0f);
    // When the first transition would have ended, the second is halfway.
    harness.frameAtMs(2000);
    EXPECT_TRUE(r.transitionActive);
    EXPECT_NEAR(r.currentAngle, shown + (25.714286f - shown) * 0.5f, 1e-4);
    harness.frameAtMs(3001);
    EXPECT_FALSE(r.transitionActive);
    EXPECT_EQ(r.currentAngle, 360.0f / 14);
    EXPECT_EQ(r.wedgeCount, 14);
}

TEST(KeyCommandsTest, ATransitionEndsOnExactlyItsTarget)
{
    // The frame at 1999 ms is one millisecond short; the ending frame comes
    // on time or long after.
    const int64_t endings[] = {2000, 2001, 7000};
    for (int64_t endMs : endings) {
        SCOPED_TRACE(testing::Message() << "ending frame at " << endMs << " ms");
        RendererHarness harness(kSmall, kSmall);
        ASSERT_NE(harness.renderer, nullptr);
        KaleidoRenderer& r = *harness.renderer;
        harness.frameAtMs(0);
        ASSERT_TRUE(r.handleKey(digitKey(7)));
        harness.frameAtMs(1999);
        EXPECT_TRUE(r.transitionActive);
        EXPECT_NE(r.currentAngle, r.transitionTo);
        EXPECT_NEAR(r.currentAngle, 360.0f / 34, 1e-3);
        harness.frameAtMs(endMs);
        EXPECT_FALSE(r.transitionActive);
        EXPECT_EQ(r.currentAngle, 360.0f / 34);
        EXPECT_EQ(r.wedgeCount, 34);
        EXPECT_FALSE(r.hasRemainder);
    }
}

TEST(KeyCommandsTest, MirrorsAreOnWhenTheSettingIsOnAndMHasNotSwitchedThemOff)
{
    struct Case {
        uint32_t flags;
        int mPresses;
        bool mirrorsOn;
    };
    const Case cases[] = {
        {FrameFlagMirrors, 0, true},  {FrameFlagMirrors, 1, false}, {FrameFlagMirrors, 2, true},
        {0, 0, false},                {0, 1, false},                {0, 2, false},
        {0xffffffffu, 0, true},       {0xffffffffu & ~FrameFlagMirrors, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << std::hex << c.flags << std::dec << ", M " << c.mPresses);
        RendererHarness harness(kSmall, kSmall);
        ASSERT_NE(harness.renderer, nullptr);
        KaleidoRenderer& r = *harness.renderer;
        for (int i = 0; i < c.mPresses; ++i) {
            ASSERT_TRUE(r.handleKey(kKeyM));
        }
        EXPECT_EQ(r.mirrorsOff, c.mPresses % 2 == 1);
        harness.frameAtMs(50, c.flags);
        EXPECT_EQ(r.mirrorsOn, c.mirrorsOn);
    }
}

TEST(KeyCommandsTest, UpArrowPressesAddUpAndTheSpinDiesAway)
{
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    ASSERT_TRUE(r.handleKey(kKeyUp));
    ASSERT_TRUE(r.handleKey(kKeyUp));
    EXPECT_FLOAT_EQ(r.scene->spinAngle, 2 * kSpinPerPress);
    const int kFramesToFade = 44;
    for (int frame = 1; frame <= kFramesToFade; ++frame) {
        harness.frameAtMs(frame * 40);
    }
    EXPECT_LT(r.scene->spinAngle, 0.01f * 2 * kSpinPerPress);
    EXPECT_GT(r.scene->spinAngle, 0.0f);
}

}  // namespace
