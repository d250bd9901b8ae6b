// The password gate with Wine reporting Windows 98 for this program (see
// ShellTestMain.cpp) and a stand-in PASSWORD.CPL beside it whose answer each
// case chooses.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const int kStartX = 500;
const int kStartY = 350;
const int kFarMove = 200;
const WPARAM kCloseCommand = 0xF060;  // SC_CLOSE
const char* const kLogVariable = "PELLIX_TEST_PASSWORD_LOG";
const char* const kAnswerVariable = "PELLIX_TEST_PASSWORD_ANSWER";

// What the test wants done while a check is in progress; see the export below.
std::function<void(HWND)> gDuringCheck;

HCURSOR arrowCursor()
{
    return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
}

std::string windowText(HWND window)
{
    return "window=" + std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
}

struct PasswordGateTest : testing::Test {
    std::string log;

    void SetUp() override
    {
        removeSaverSettings();
        log = freshTempPath("pwd");
        SetEnvironmentVariableA(kLogVariable, log.c_str());
        answer(false);
        ASSERT_TRUE(placePasswordPanel(PasswordPanel::Answering));
        ASSERT_TRUE(moveCursorTo(kStartX, kStartY));
    }
    void TearDown() override
    {
        gDuringCheck = nullptr;
        placePasswordPanel(PasswordPanel::Missing);
        SetEnvironmentVariableA(kLogVariable, nullptr);
        SetEnvironmentVariableA(kAnswerVariable, nullptr);
        DeleteFileA(log.c_str());
        removeSaverSettings();
    }

    static void answer(bool right) { SetEnvironmentVariableA(kAnswerVariable, right ? "1" : "0"); }
    size_t checks() const { return countLinesStartingWith(readLines(log), "verify "); }
    size_t loads() const { return countLinesStartingWith(readLines(log), "attach"); }
    size_t unloads() const { return countLinesStartingWith(readLines(log), "detach"); }

    // A saver past a grace period of 0 seconds.
    static void startWithoutGrace(TestSaverWindow& saver)
    {
        saver.state.passwordDelay = 0;
        ASSERT_TRUE(saver.waitPastStartTick());
    }
};

struct GraceCase {
    const char* title;
    int32_t delaySeconds;
    uint32_t secondsAgo;  // how long before now the window counts as created
    bool asks;
};

TEST_F(PasswordGateTest, AsksOnlyOnceTheGracePeriodIsOver)
{
    const GraceCase cases[] = {
        {"default grace, just started", 15, 0, false},
        {"default grace, 10 s ago", 15, 10, false},
        {"default grace, 20 s ago", 15, 20, true},
        {"no grace", 0, 0, true},
        {"grace of minus one, started long ago", -1, 3600, false},
    };
    for (const GraceCase& testCase : cases) {
        SCOPED_TRACE(testCase.title);
        DeleteFileA(log.c_str());
        TestSaverWindow saver(RunMode::FullScreen);
        saver.state.passwordDelay = testCase.delaySeconds;
        saver.state.startTick -= testCase.secondsAgo * 1000u;
        ASSERT_TRUE(saver.waitPastStartTick());
        saver.post(WM_KEYDOWN, 'Q', 0);
        EXPECT_EQ(saver.isOpen(), testCase.asks);
        EXPECT_EQ(checks(), testCase.asks ? 1u : 0u);
        EXPECT_EQ(loads(), testCase.asks ? 1u : 0u);
    }
}

TEST_F(PasswordGateTest, AWrongPasswordKeepsTheSaverAndTheNextInputAsksAgain)
{
    TestSaverWindow saver(RunMode::FullScreen);
    startWithoutGrace(saver);

    saver.post(WM_KEYDOWN, 'Q', 0);
    ASSERT_TRUE(saver.isOpen());
    EXPECT_FALSE(saver.quitPosted());
    std::vector<std::string> lines = readLines(log);
    ASSERT_EQ(countLinesStartingWith(lines, "verify "), 1u);
    EXPECT_NE(lines[1].find(windowText(saver.window)), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("arrow=1"), std::string::npos) << lines[1];
    EXPECT_EQ(saver.state.checkingPassword, 0);
    EXPECT_EQ(GetCursor(), nullptr);
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
    EXPECT_EQ(loads(), 1u);
    EXPECT_EQ(unloads(), 1u);

    saver.post(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(saver.isOpen());
    EXPECT_EQ(checks(), 2u);
    EXPECT_EQ(loads(), 2u);

    answer(true);
    saver.post(WM_KEYDOWN, 'Q', 0);
    EXPECT_FALSE(saver.isOpen());
    EXPECT_TRUE(saver.quitPosted());
    EXPECT_EQ(checks(), 3u);
    EXPECT_EQ(unloads(), 3u);
}

TEST_F(PasswordGateTest, WithoutAVerifierTheSaverCloses)
{
    struct PanelCase {
        const char* title;
        PasswordPanel panel;
        size_t loads;
    };
    const PanelCase cases[] = {
        {"no PASSWORD.CPL", PasswordPanel::Missing, 0},
        {"no VerifyScreenSavePwd in it", PasswordPanel::WithoutVerify, 1},
    };
    for (const PanelCase& testCase : cases) {
        SCOPED_TRACE(testCase.title);
        DeleteFileA(log.c_str());
        ASSERT_TRUE(placePasswordPanel(testCase.panel));
        TestSaverWindow saver(RunMode::FullScreen);
        startWithoutGrace(saver);
        EXPECT_TRUE(verifyPassword(saver.window));
        saver.post(WM_KEYDOWN, 'Q', 0);
        EXPECT_FALSE(saver.isOpen());
        EXPECT_EQ(loads(), 2 * testCase.loads);
        EXPECT_EQ(unloads(), 2 * testCase.loads);
        EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
    }
}

// Every way there is to ask the full-screen saver to close, one after the
// other on the same saver, while the check keeps saying no.
TEST_F(PasswordGateTest, NothingEndsTheSaverWhileTheCheckSaysNo)
{
    TestSaverWindow saver(RunMode::FullScreen);
    startWithoutGrace(saver);
    OtherWindow other;

    struct Way {
        const char* title;
        std::function<void()> ask;
        size_t newChecks;
    };
    const Way ways[] = {
        {"WM_CLOSE from another program before any request",
            [&] { ASSERT_TRUE(sendFromAnotherProcess(saver.window, WM_CLOSE, 0, 0)); }, 0},
        {"key", [&] { saver.post(WM_KEYDOWN, 'Q', 0); }, 1},
        {"escape", [&] { saver.post(WM_KEYDOWN, VK_ESCAPE, 0); }, 1},
        {"left click", [&] { saver.post(WM_LBUTTONDOWN, MK_LBUTTON, 0); }, 1},
        {"right click", [&] { saver.post(WM_RBUTTONDOWN, MK_RBUTTON, 0); }, 1},
        {"middle click", [&] { saver.post(WM_MBUTTONDOWN, MK_MBUTTON, 0); }, 1},
        {"Alt+F4", [&] { saver.post(WM_SYSKEYDOWN, VK_F4, kAltHeldKeyData); }, 0},
        {"SC_CLOSE", [&] { saver.post(WM_SYSCOMMAND, kCloseCommand, 0); }, 0},
        {"WM_CLOSE from another program after a request",
            [&] { ASSERT_TRUE(sendFromAnotherProcess(saver.window, WM_CLOSE, 0, 0)); }, 1},
        {"WM_CLOSE posted", [&] { saver.post(WM_CLOSE, 0, 0); }, 1},
        {"losing activation",
            [&] {
                ASSERT_TRUE(other.activate());
                saver.pump();
            },
            1},
        {"mouse movement",
            [&] {
                POINT cursor = {};
                GetCursorPos(&cursor);
                ASSERT_TRUE(moveCursorTo(cursor.x - kFarMove, cursor.y + kFarMove / 2));
                saver.post(WM_MOUSEMOVE, 0, 0);
            },
            1},
    };
    size_t expectedChecks = 0;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.title);
        way.ask();
        saver.pump();
        expectedChecks += way.newChecks;
        EXPECT_TRUE(saver.isOpen());
        EXPECT_FALSE(saver.quitPosted());
        EXPECT_EQ(checks(), expectedChecks);
    }

    // A burst of all of them while a check is in progress: each comes in
    // nested, as it would while the password dialog runs, and none counts.
    gDuringCheck = [&](HWND window) {
        EXPECT_EQ(saver.state.checkingPassword, 1);
        PostMessageA(window, WM_KEYDOWN, 'Q', 0);
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
        PostMessageA(window, WM_MBUTTONDOWN, MK_MBUTTON, 0);
        PostMessageA(window, WM_SYSKEYDOWN, VK_F4, kAltHeldKeyData);
        PostMessageA(window, WM_SYSCOMMAND, kCloseCommand, 0);
        PostMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
        PostMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
        PostMessageA(window, WM_NCACTIVATE, FALSE, 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
        POINT cursor = {};
        GetCursorPos(&cursor);
        moveCursorTo(cursor.x + kFarMove, cursor.y - kFarMove);
        PostMessageA(window, WM_MOUSEMOVE, 0, 0);
        SetForegroundWindow(window);
        other.activate();
        EXPECT_TRUE(sendFromAnotherProcess(window, WM_CLOSE, 0, 0));
        pumpMessages();
        EXPECT_TRUE(IsWindow(window));
    };
    SetForegroundWindow(saver.window);
    saver.post(WM_KEYDOWN, 'Q', 0);
    gDuringCheck = nullptr;
    saver.pump();
    EXPECT_TRUE(saver.isOpen());
    EXPECT_FALSE(saver.quitPosted());
    EXPECT_EQ(checks(), expectedChecks + 1);

    // The same saver still closes once the password is right.
    answer(true);
    saver.post(WM_KEYDOWN, 'Q', 0);
    EXPECT_FALSE(saver.isOpen());
}

} // namespace

// Called by the stand-in PASSWORD.CPL from inside VerifyScreenSavePwd.
extern "C" __declspec(dllexport) void pellixTestDuringPasswordCheck(HWND window)
{
    if (gDuringCheck) {
        gDuringCheck(window);
    }
}
