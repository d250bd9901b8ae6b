// The real full-screen saver window and frame loop, in this process under
// Wine, flooded with messages once it is drawing: the loop must handle every
// queued message before it draws again, and only input the closing rules name
// may end it.

#include "shell/win32/SaverState.h"

#include "platform/Platform.h"
#include "renderer/KaleidoRenderer.h"
#include "tests/renderer/RendererHarness.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

RunMode gRunMode = RunMode::None;
SaverState* gSaverState = nullptr;
HWND gSaverWindow = nullptr;

namespace {

const int kFloodMessages = 10000;
// Frames drawn before the flood and after it, so that the window is up and
// activated first and the loop is seen drawing again afterwards.
const int32_t kFramesBeforeFlood = 3;
const int32_t kFramesAfterFlood = 3;
const UINT kPollMs = 20;
const DWORD kGiveUpMs = 120000;
// Carried in lParam, which none of the handlers below reads, to tell the
// flood from the messages the system sends on its own.
const LPARAM kFloodTag = 0x13572468;
const int32_t kLongGraceSeconds = 600;
const int32_t kMouseThreshold = 50;
const int64_t kCountsPerSecond = 1000;
const int64_t kFrozenCounter = 1000000;

struct FloodMessage {
    UINT message;
    WPARAM wParam;
};

// What the closing rules let pass: command keys, a cursor that has not moved,
// a close nobody asked for, the system's screen-saver and close commands,
// activation, cursor and idle messages.
const FloodMessage kFloodCycle[] = {
    {WM_KEYDOWN, '1'},        {WM_KEYDOWN, '5'},      {WM_KEYDOWN, '0'},       {WM_KEYDOWN, 'M'},
    {WM_KEYDOWN, VK_UP},      {WM_KEYDOWN, VK_LEFT},  {WM_KEYDOWN, VK_SPACE},  {WM_KEYDOWN, 'S'},
    {WM_MOUSEMOVE, 0},        {WM_CLOSE, 0},          {WM_SYSCOMMAND, SC_SCREENSAVE},
    {WM_SYSCOMMAND, SC_CLOSE}, {WM_ACTIVATE, WA_ACTIVE}, {WM_SETCURSOR, 0},   {WM_NULL, 0},
};
const int kCycleLength = sizeof(kFloodCycle) / sizeof(kFloodCycle[0]);

struct FloodRun {
    HHOOK hook = nullptr;
    DWORD startTick = 0;
    bool flooded = false;
    int posted = 0;
    int postFailures = 0;
    int handled = 0;
    int handledAfterAFrame = 0;
    int32_t framesAtFlood = 0;
    int32_t framesAfterHandling = -1;
    int mirrorKeys = 0;
    bool mirrorsOffBefore = false;
    bool mirrorsOffAfter = false;
    bool openAfterFlood = false;
    bool closeSent = false;
    bool gaveUp = false;
};

FloodRun gRun;

void postFlood()
{
    gRun.flooded = true;
    gRun.framesAtFlood = gRenderer->framesCounted;
    gRun.mirrorsOffBefore = gRenderer->mirrorsOff;
    for (int i = 0; i < kFloodMessages; ++i) {
        const FloodMessage& m = kFloodCycle[i % kCycleLength];
        if (PostMessageA(gSaverWindow, m.message, m.wParam, kFloodTag)) {
            ++gRun.posted;
            if (m.message == WM_KEYDOWN && m.wParam == 'M') {
                ++gRun.mirrorKeys;
            }
        } else {
            ++gRun.postFailures;
        }
    }
}

// Runs inside the frame loop's PeekMessage, for every message it takes.
LRESULT CALLBACK watchMessages(int code, WPARAM removal, LPARAM data)
{
    const MSG* message = reinterpret_cast<const MSG*>(data);
    if (code == HC_ACTION && removal == PM_REMOVE && gRenderer != nullptr && gSaverWindow != nullptr) {
        // TranslateMessage turns the character keys into WM_CHAR with the
        // same lParam; those are the loop's own, not the flood's.
        if (message->hwnd == gSaverWindow && message->lParam == kFloodTag && message->message != WM_CHAR) {
            ++gRun.handled;
            if (gRenderer->framesCounted != gRun.framesAtFlood) {
                ++gRun.handledAfterAFrame;
            }
        } else if (message->hwnd == nullptr && message->message == WM_TIMER) {
            const int32_t frames = gRenderer->framesCounted;
            if (!gRun.flooded && frames >= kFramesBeforeFlood) {
                postFlood();
            } else if (gRun.flooded && gRun.framesAfterHandling < 0 && gRun.handled == gRun.posted) {
                gRun.framesAfterHandling = frames;
                gRun.mirrorsOffAfter = gRenderer->mirrorsOff;
            } else if (gRun.framesAfterHandling >= 0 && !gRun.closeSent &&
                       frames >= gRun.framesAfterHandling + kFramesAfterFlood) {
                // Any key that is not a command still closes it.
                gRun.openAfterFlood = IsWindow(gSaverWindow) != FALSE;
                gRun.closeSent = true;
                PostMessageA(gSaverWindow, WM_KEYDOWN, 'Q', 0);
            }
            if (!gRun.closeSent && GetTickCount() - gRun.startTick > kGiveUpMs) {
                gRun.gaveUp = true;
                gRun.closeSent = true;
                DestroyWindow(gSaverWindow);
            }
        }
    }
    return CallNextHookEx(gRun.hook, code, removal, data);
}

TEST(MessageFlood, EveryMessageIsHandledBeforeTheNextFrameAndNoneCloses)
{
    gInstance = GetModuleHandleA(nullptr);
    gRunMode = RunMode::FullScreen;
    SaverState state;
    state.passwordDelay = kLongGraceSeconds;
    state.mouseThreshold = kMouseThreshold;
    state.useMirrors = 1;
    gSaverState = &state;
    // A clock that stands still: the frame counter then counts every frame
    // drawn, with no once-a-second measurement resetting it.
    resetProcessClock(kCountsPerSecond, kFrozenCounter);

    gRun = FloodRun();
    gRun.startTick = GetTickCount();
    gRun.hook = SetWindowsHookExA(WH_GETMESSAGE, watchMessages, nullptr, GetCurrentThreadId());
    ASSERT_NE(gRun.hook, nullptr);
    const UINT_PTR timer = SetTimer(nullptr, 0, kPollMs, nullptr);
    ASSERT_NE(timer, 0u);

    runSaverWindow(nullptr, SW_SHOWNORMAL);

    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(gRun.hook);
    platformUseRealCounter();
    gSaverState = nullptr;

    ASSERT_TRUE(gRun.flooded) << "the saver never drew " << kFramesBeforeFlood << " frames";
    EXPECT_FALSE(gRun.gaveUp) << "the flood was not handled in time";
    EXPECT_EQ(gRun.postFailures, 0);
    EXPECT_EQ(gRun.posted, kFloodMessages);
    EXPECT_EQ(gRun.handled, gRun.posted);
    EXPECT_EQ(gRun.handledAfterAFrame, 0) << "a frame was drawn while flood messages waited";
    EXPECT_TRUE(gRun.openAfterFlood) << "the flood closed the saver";
    EXPECT_TRUE(gRun.closeSent);
    // Each M reached the renderer: the mirror switch flipped once per press.
    EXPECT_EQ(gRun.mirrorsOffAfter, gRun.mirrorsOffBefore != (gRun.mirrorKeys % 2 == 1));
    EXPECT_EQ(gSaverWindow != nullptr && IsWindow(gSaverWindow), false);
    EXPECT_EQ(gRenderer, nullptr);
}

}  // namespace
