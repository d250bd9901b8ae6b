// saverWindowProc on real windows with real messages and the real cursor,
// Wine reporting its default NT-family version.
#include "ShellTestSupport.h"

#include "renderer/KaleidoRenderer.h"
#include "tests/support/GlContext.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const int kStartX = 400;
const int kStartY = 300;
const int kRendererSize = 64;
const WPARAM kCloseCommand = 0xF060;       // SC_CLOSE
const WPARAM kScreenSaveCommand = 0xF140;  // SC_SCREENSAVE
const WPARAM kLowCommandBits = 0x0003;     // set by the system for some menu sources
const LPARAM kFarMessageCoordinates = 0;   // the message's position is not the one used

HCURSOR arrowCursor()
{
    return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
}

// A renderer on a context of its own, so that handleKey can take keys.
struct RendererForKeys {
    TestGlContext context{kRendererSize, kRendererSize};
    std::unique_ptr<KaleidoRenderer> renderer;
    RendererForKeys()
    {
        gFixedRandomSeed = 1;
        renderer.reset(new KaleidoRenderer(kRendererSize, kRendererSize));
    }
    ~RendererForKeys()
    {
        renderer.reset();
        gRenderer = nullptr;
        gFixedRandomSeed = -1;
    }
};

struct WindowProcTest : testing::Test {
    void SetUp() override
    {
        removeSaverSettings();
        ASSERT_TRUE(placePasswordPanel(PasswordPanel::Missing));
        ASSERT_TRUE(moveCursorTo(kStartX, kStartY));
    }
    void TearDown() override
    {
        placePasswordPanel(PasswordPanel::Missing);
        removeSaverSettings();
    }
};

struct Input {
    const char* title;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

TEST_F(WindowProcTest, PreviewNeverClosesAndShowsTheArrow)
{
    TestSaverWindow saver(RunMode::Preview);
    ASSERT_TRUE(saver.isOpen());
    EXPECT_EQ(saver.state.window, saver.window);
    const Input inputs[] = {
        {"key", WM_KEYDOWN, 'Q', 0},
        {"escape", WM_KEYDOWN, VK_ESCAPE, 0},
        {"left click", WM_LBUTTONDOWN, MK_LBUTTON, 0},
        {"right click", WM_RBUTTONDOWN, MK_RBUTTON, 0},
        {"middle click", WM_MBUTTONDOWN, MK_MBUTTON, 0},
        {"deactivate", WM_ACTIVATE, WA_INACTIVE, 0},
        {"application deactivated", WM_ACTIVATEAPP, FALSE, 0},
        {"caption deactivated", WM_NCACTIVATE, FALSE, 0},
        {"screen saver command", WM_SYSCOMMAND, kScreenSaveCommand, 0},
    };
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.title);
        saver.post(input.message, input.wParam, input.lParam);
        EXPECT_TRUE(saver.isOpen());
        EXPECT_EQ(saver.state.closeRequested, 0);
    }

    ASSERT_TRUE(moveCursorTo(kStartX + 300, kStartY + 200));
    saver.post(WM_MOUSEMOVE, 0, kFarMessageCoordinates);
    OtherWindow other;
    ASSERT_TRUE(other.activate());
    saver.pump();
    EXPECT_TRUE(saver.isOpen());
    EXPECT_EQ(saver.state.closeRequested, 0);

    SetCursor(nullptr);
    SendMessageA(saver.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(saver.window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), arrowCursor());
    EXPECT_FALSE(saver.quitPosted());
}

TEST_F(WindowProcTest, PreviewEndsItsLoopWhenItsHostGoes)
{
    TestSaverWindow saver(RunMode::Preview);
    ASSERT_TRUE(saver.isOpen());
    DestroyWindow(saver.host);
    saver.pump();
    EXPECT_FALSE(saver.isOpen());
    EXPECT_TRUE(saver.quitPosted());
}

struct KeyCase {
    const char* title;
    UINT message;
    WPARAM code;
    bool keepsOpen;
};

TEST_F(WindowProcTest, FullScreenKeepsOpenOnlyForKeysTheRendererTakes)
{
    const KeyCase cases[] = {
        {"space", WM_KEYDOWN, VK_SPACE, true},
        {"up arrow", WM_KEYDOWN, VK_UP, true},
        {"left arrow", WM_KEYDOWN, VK_LEFT, true},
        {"digit 5", WM_KEYDOWN, '5', true},
        {"M", WM_KEYDOWN, 'M', true},
        {"S", WM_KEYDOWN, 'S', true},
        {"Q", WM_KEYDOWN, 'Q', false},
        {"escape", WM_KEYDOWN, VK_ESCAPE, false},
        {"enter", WM_KEYDOWN, VK_RETURN, false},
        {"keypad 5", WM_KEYDOWN, VK_NUMPAD5, false},
        {"left click", WM_LBUTTONDOWN, MK_LBUTTON, false},
        {"right click", WM_RBUTTONDOWN, MK_RBUTTON, false},
        {"middle click", WM_MBUTTONDOWN, MK_MBUTTON, false},
    };
    RendererForKeys keys;
    ASSERT_NE(gRenderer, nullptr);
    for (const KeyCase& testCase : cases) {
        SCOPED_TRACE(testCase.title);
        TestSaverWindow saver(RunMode::FullScreen);
        ASSERT_TRUE(saver.isOpen());
        saver.post(testCase.message, testCase.code, 0);
        EXPECT_EQ(saver.isOpen(), testCase.keepsOpen);
        EXPECT_EQ(saver.quitPosted(), !testCase.keepsOpen);
        EXPECT_EQ(saver.state.closeRequested, testCase.keepsOpen ? 0 : 1);
    }
}

TEST_F(WindowProcTest, WithoutARendererEveryKeyCloses)
{
    ASSERT_EQ(gRenderer, nullptr);
    TestSaverWindow saver(RunMode::FullScreen);
    saver.post(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(saver.isOpen());
    EXPECT_TRUE(saver.quitPosted());
}

struct MoveCase {
    int threshold;  // 0: nothing stored, the default of 50 applies
    int dx;
    int dy;
    bool closes;
};

TEST_F(WindowProcTest, MouseClosesOnlyBeyondTheThresholdOnEitherAxis)
{
    const MoveCase cases[] = {
        {0, 50, 0, false}, {0, 0, 50, false}, {0, -50, 0, false}, {0, 0, -50, false},
        {0, 50, 50, false}, {0, -50, 50, false}, {0, 51, 0, true}, {0, 0, 51, true},
        {0, -51, 0, true}, {0, 0, -51, true}, {0, 51, 51, true}, {0, 50, -51, true},
        {10, 10, 10, false}, {10, 11, 0, true}, {10, 0, -11, true},
    };
    for (const MoveCase& testCase : cases) {
        SCOPED_TRACE(testing::Message() << "threshold " << testCase.threshold << " move " << testCase.dx << ","
                                        << testCase.dy);
        removeSaverSettings();
        if (testCase.threshold != 0) {
            ASSERT_TRUE(writeRegistryDword(kScreenSaversKey, "Mouse Threshold", testCase.threshold));
        }
        ASSERT_TRUE(moveCursorTo(kStartX, kStartY));
        TestSaverWindow saver(RunMode::FullScreen);
        ASSERT_TRUE(saver.isOpen());
        EXPECT_EQ(saver.state.startCursor.x, kStartX);
        EXPECT_EQ(saver.state.startCursor.y, kStartY);

        ASSERT_TRUE(moveCursorTo(kStartX + testCase.dx, kStartY + testCase.dy));
        saver.post(WM_MOUSEMOVE, 0, kFarMessageCoordinates);
        EXPECT_EQ(saver.isOpen(), !testCase.closes);
        EXPECT_EQ(saver.quitPosted(), testCase.closes);
    }
}

TEST_F(WindowProcTest, LosingActivationCloses)
{
    {
        TestSaverWindow saver(RunMode::FullScreen);
        ASSERT_TRUE(saver.isOpen());
        OtherWindow other;
        ASSERT_TRUE(other.activate());
        ASSERT_TRUE(pumpUntil([&] { return !saver.isOpen(); }, kGenerousWaitMs));
        saver.pump();
        EXPECT_TRUE(saver.quitPosted());
    }
    const Input inputs[] = {
        {"deactivate", WM_ACTIVATE, WA_INACTIVE, 0},
        {"application deactivated", WM_ACTIVATEAPP, FALSE, 0},
        {"caption deactivated", WM_NCACTIVATE, FALSE, 0},
    };
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.title);
        TestSaverWindow saver(RunMode::FullScreen);
        saver.post(input.message, input.wParam, input.lParam);
        EXPECT_FALSE(saver.isOpen());
    }
    TestSaverWindow activated(RunMode::FullScreen);
    activated.post(WM_ACTIVATE, WA_ACTIVE, 0);
    activated.post(WM_ACTIVATE, WA_CLICKACTIVE, 0);
    activated.post(WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(activated.isOpen());
}

// Run after a close request whose WM_CLOSE was refused, so that anything
// reaching the default handling as a close would end the saver.
TEST_F(WindowProcTest, SystemKeysAndCommandsDoNotClose)
{
    const Input inputs[] = {
        {"Alt+F4", WM_SYSKEYDOWN, VK_F4, kAltHeldKeyData},
        {"Alt+X", WM_SYSKEYDOWN, 'X', kAltHeldKeyData},
        {"F10", WM_SYSKEYDOWN, VK_F10, 0},
        {"close command", WM_SYSCOMMAND, kCloseCommand, 0},
        {"screen saver command", WM_SYSCOMMAND, kScreenSaveCommand, 0},
    };
    TestSaverWindow saver(RunMode::FullScreen);
    saver.state.closeRequested = 1;
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.title);
        saver.post(input.message, input.wParam, input.lParam);
        EXPECT_TRUE(saver.isOpen());
    }
    EXPECT_EQ(SendMessageA(saver.window, WM_SYSCOMMAND, kScreenSaveCommand, 0), 0);

    // Only the exact command is refused: with its low bits set it takes the
    // default way, which closes.
    saver.post(WM_SYSCOMMAND, kCloseCommand | kLowCommandBits, 0);
    EXPECT_FALSE(saver.isOpen());
}

TEST_F(WindowProcTest, AWindowCloseFromElsewhereCountsOnlyAfterARequest)
{
    TestSaverWindow saver(RunMode::FullScreen);
    ASSERT_TRUE(sendFromAnotherProcess(saver.window, WM_CLOSE, 0, 0));
    saver.pump();
    EXPECT_TRUE(saver.isOpen());
    EXPECT_EQ(saver.state.closeRequested, 0);

    saver.state.closeRequested = 1;
    ASSERT_TRUE(sendFromAnotherProcess(saver.window, WM_CLOSE, 0, 0));
    saver.pump();
    EXPECT_FALSE(saver.isOpen());
}

TEST_F(WindowProcTest, FullScreenHidesTheCursorExceptDuringACheck)
{
    TestSaverWindow saver(RunMode::FullScreen);
    SetCursor(arrowCursor());
    SendMessageA(saver.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(saver.window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), nullptr);

    saver.state.beginPasswordCheck();
    EXPECT_EQ(saver.state.checkingPassword, 1);
    EXPECT_EQ(GetCursor(), arrowCursor());

    ASSERT_TRUE(moveCursorTo(kStartX + 123, kStartY - 45));
    saver.state.endPasswordCheck();
    EXPECT_EQ(saver.state.checkingPassword, 0);
    EXPECT_EQ(GetCursor(), nullptr);
    EXPECT_EQ(saver.state.startCursor.x, kStartX + 123);
    EXPECT_EQ(saver.state.startCursor.y, kStartY - 45);
}

TEST_F(WindowProcTest, OnNtThePasswordCheckPassesWithoutLoadingAnything)
{
    const std::string log = freshTempPath("pwd");
    SetEnvironmentVariableA("PELLIX_TEST_PASSWORD_LOG", log.c_str());
    SetEnvironmentVariableA("PELLIX_TEST_PASSWORD_ANSWER", "0");
    ASSERT_TRUE(placePasswordPanel(PasswordPanel::Answering));
    ASSERT_TRUE(writeRegistryDword(kScreenSaversKey, "Password Delay", 0));

    TestSaverWindow saver(RunMode::FullScreen);
    ASSERT_EQ(saver.state.passwordDelay, 0);
    ASSERT_TRUE(saver.waitPastStartTick());
    EXPECT_TRUE(verifyPassword(saver.window));
    saver.post(WM_KEYDOWN, 'Q', 0);
    EXPECT_FALSE(saver.isOpen());
    EXPECT_TRUE(saver.quitPosted());
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
    EXPECT_TRUE(readLines(log).empty());

    SetEnvironmentVariableA("PELLIX_TEST_PASSWORD_LOG", nullptr);
    SetEnvironmentVariableA("PELLIX_TEST_PASSWORD_ANSWER", nullptr);
    DeleteFileA(log.c_str());
}

} // namespace
