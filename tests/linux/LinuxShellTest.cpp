#include <gtest/gtest.h>

#include "renderer/KaleidoRenderer.h"
#include "shell/linux/InputRules.h"
#include "shell/linux/LinuxOptions.h"
#include "tests/support/GlContext.h"

#include <string>
#include <vector>

// Xlib's headers define None and friends as macros: after GoogleTest.
#include <X11/X.h>
#include <X11/keysym.h>

namespace {

struct OptionsCase {
    std::vector<const char*> arguments;  // after the program name
    bool accepted;
    LinuxMode mode;
    unsigned long windowId;
    bool useMirrors;
    bool showFps;
};

TEST(LinuxOptions, ReadsEveryModeAndSwitch)
{
    const OptionsCase cases[] = {
        {{}, true, LinuxMode::Window, 0, true, false},
        {{"-fullscreen"}, true, LinuxMode::FullScreen, 0, true, false},
        {{"--fullscreen"}, true, LinuxMode::FullScreen, 0, true, false},
        {{"-root"}, true, LinuxMode::Root, 0, true, false},
        {{"-root", "-no-mirrors", "-fps"}, true, LinuxMode::Root, 0, false, true},
        {{"-window-id", "0x1a00007"}, true, LinuxMode::WindowId, 0x1a00007ul, true, false},
        {{"-window-id", "4194311"}, true, LinuxMode::WindowId, 4194311ul, true, false},
        {{"-no-mirrors", "--window-id", "0X2A"}, true, LinuxMode::WindowId, 0x2aul, false, false},
        {{"-bogus"}, false, LinuxMode::Window, 0, true, false},
        {{"fullscreen"}, false, LinuxMode::Window, 0, true, false},
        {{"-window-id"}, false, LinuxMode::Window, 0, true, false},
        {{"-window-id", "0"}, false, LinuxMode::Window, 0, true, false},
        {{"-window-id", "zz"}, false, LinuxMode::Window, 0, true, false},
        {{"-root", "-fullscreen"}, false, LinuxMode::Window, 0, true, false},
        {{"-root", "-window-id", "5"}, false, LinuxMode::Window, 0, true, false},
        {{"---root"}, false, LinuxMode::Window, 0, true, false},
        {{"-"}, false, LinuxMode::Window, 0, true, false},
    };
    for (const OptionsCase& c : cases) {
        std::vector<const char*> argv = {"pellix"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        std::string shown;
        for (const char* a : c.arguments) {
            shown += std::string(a) + " ";
        }
        LinuxOptions options;
        options.showFps = true;  // a marker: a refused line leaves it as it was
        const bool accepted = parseLinuxOptions(static_cast<int>(argv.size()), argv.data(), &options);
        EXPECT_EQ(accepted, c.accepted) << shown;
        if (!accepted) {
            EXPECT_TRUE(options.showFps) << shown;
            continue;
        }
        EXPECT_EQ(options.mode, c.mode) << shown;
        EXPECT_EQ(options.windowId, c.windowId) << shown;
        EXPECT_EQ(options.useMirrors, c.useMirrors) << shown;
        EXPECT_EQ(options.showFps, c.showFps) << shown;
    }
}

TEST(LinuxOptions, WindowIdsInHexOrDecimal)
{
    struct IdCase {
        const char* text;
        bool accepted;
        unsigned long id;
    };
    const IdCase cases[] = {
        {"0x1", true, 1},          {"0xffffffff", true, 0xfffffffful}, {"12", true, 12},
        {"0012", true, 12},        {"0x100000000", false, 0},          {"4294967296", false, 0},
        {nullptr, false, 0},       {"", false, 0},                     {"0x", false, 0},
        {"-5", false, 0},          {"+5", false, 0},                   {" 5", false, 0},
        {"5 ", false, 0},          {"0x1g", false, 0},                 {"12a", false, 0},
        {"0", false, 0},           {"0x0", false, 0},
    };
    for (const IdCase& c : cases) {
        unsigned long id = 77;
        EXPECT_EQ(parseWindowId(c.text, &id), c.accepted) << (c.text != nullptr ? c.text : "(null)");
        EXPECT_EQ(id, c.accepted ? c.id : 77ul) << (c.text != nullptr ? c.text : "(null)");
    }
}

// The mapping is judged by what the real renderer does with the code: the
// command keys steer it, everything else is left to close the saver.
TEST(LinuxInput, KeysymsReachTheRendererAsItsCommands)
{
    TestGlContext context(64, 64);
    ASSERT_TRUE(context.ready);
    gFixedRandomSeed = 1;
    KaleidoRenderer renderer(64, 64);

    struct KeyCase {
        unsigned long keysym;
        uint32_t code;
        bool consumed;
    };
    const KeyCase cases[] = {
        {XK_0, 48, true},      {XK_1, 49, true},        {XK_9, 57, true},      {XK_m, 77, true},
        {XK_M, 77, true},      {XK_s, 83, true},        {XK_S, 83, true},      {XK_space, 32, true},
        {XK_Left, 37, true},   {XK_Up, 38, true},       {XK_Right, 39, true},  {XK_Down, 40, true},
        {XK_KP_0, 96, false},  {XK_KP_9, 105, false},   {XK_Escape, 27, false}, {XK_q, 81, false},
        {XK_a, 65, false},     {XK_Return, 13, false},  {XK_F1, 112, false},   {XK_Shift_L, 16, false},
        {XK_eacute, kUnmappedKey, false},               {XK_KP_Up, kUnmappedKey, false},
    };
    for (const KeyCase& c : cases) {
        const uint32_t code = virtualKeyForKeysym(c.keysym);
        EXPECT_EQ(code, c.code) << "keysym 0x" << std::hex << c.keysym;
        EXPECT_EQ(renderer.handleKey(code), c.consumed) << "keysym 0x" << std::hex << c.keysym;
    }
}

TEST(LinuxInput, ClicksGiveTheWindowsButtonMasksAndNoneIsACommand)
{
    TestGlContext context(64, 64);
    ASSERT_TRUE(context.ready);
    gFixedRandomSeed = 1;
    KaleidoRenderer renderer(64, 64);

    struct ButtonCase {
        unsigned button;
        unsigned state;
        uint32_t mask;
    };
    const ButtonCase cases[] = {
        {Button1, 0, 0x01},
        {Button3, 0, 0x02},
        {Button2, 0, 0x10},
        {Button1, ShiftMask, 0x05},
        {Button3, ControlMask | Button1Mask, 0x0b},
        {Button2, Button1Mask | Button3Mask | ShiftMask | ControlMask, 0x1f},
        {Button4, 0, 0},  // the wheel is not a click
        {Button5, Button1Mask, 0},
        {8, 0, 0},
    };
    for (const ButtonCase& c : cases) {
        const uint32_t mask = buttonMaskForPress(c.button, c.state);
        EXPECT_EQ(mask, c.mask) << "button " << c.button << " state " << c.state;
        if (mask != 0) {
            EXPECT_FALSE(renderer.handleKey(mask)) << "button " << c.button << " state " << c.state;
        }
    }
}

TEST(LinuxInput, PointerMustTravelBeyondTheThresholdAlongOneAxis)
{
    struct TravelCase {
        int32_t dx;
        int32_t dy;
        bool exceeded;
    };
    const TravelCase cases[] = {
        {0, 0, false},   {50, 0, false},  {0, 50, false},  {50, 50, false}, {-50, -50, false},
        {51, 0, true},   {0, 51, true},   {-51, 0, true},  {0, -51, true},  {51, 51, true},
        {50, -51, true}, {1000, 0, true},
    };
    PointerTravel travel;
    travel.start(640, 360);
    EXPECT_EQ(travel.threshold, 50);
    for (const TravelCase& c : cases) {
        EXPECT_EQ(travel.exceeded(640 + c.dx, 360 + c.dy), c.exceeded) << c.dx << ", " << c.dy;
    }
    // Far corners of the 32-bit range neither wrap nor overflow.
    travel.start(INT32_MIN, INT32_MAX);
    EXPECT_TRUE(travel.exceeded(INT32_MAX, INT32_MIN));
    EXPECT_FALSE(travel.exceeded(INT32_MIN + 50, INT32_MAX - 50));
}

}  // namespace
