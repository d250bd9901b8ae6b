#include "shell/linux/InputRules.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace {

const uint32_t kVkBack = 8;
const uint32_t kVkTab = 9;
const uint32_t kVkReturn = 13;
const uint32_t kVkShift = 16;
const uint32_t kVkControl = 17;
const uint32_t kVkMenu = 18;
const uint32_t kVkEscape = 27;
const uint32_t kVkSpace = 32;
const uint32_t kVkLeft = 37;
const uint32_t kVkUp = 38;
const uint32_t kVkRight = 39;
const uint32_t kVkDown = 40;
const uint32_t kVkDelete = 46;
const uint32_t kVkDigit0 = 48;
const uint32_t kVkLetterA = 65;
const uint32_t kVkNumpad0 = 96;
const uint32_t kVkF1 = 112;
const uint32_t kFunctionKeyCount = 12;

const uint32_t kMkLeftButton = 0x0001;
const uint32_t kMkRightButton = 0x0002;
const uint32_t kMkShift = 0x0004;
const uint32_t kMkControl = 0x0008;
const uint32_t kMkMiddleButton = 0x0010;

struct NamedKey {
    unsigned long keysym;
    uint32_t code;
};

const NamedKey kNamedKeys[] = {
    {XK_space, kVkSpace},       {XK_Left, kVkLeft},         {XK_Up, kVkUp},
    {XK_Right, kVkRight},       {XK_Down, kVkDown},         {XK_Escape, kVkEscape},
    {XK_Return, kVkReturn},     {XK_KP_Enter, kVkReturn},   {XK_Tab, kVkTab},
    {XK_BackSpace, kVkBack},    {XK_Delete, kVkDelete},     {XK_Shift_L, kVkShift},
    {XK_Shift_R, kVkShift},     {XK_Control_L, kVkControl}, {XK_Control_R, kVkControl},
    {XK_Alt_L, kVkMenu},        {XK_Alt_R, kVkMenu},
};

}  // namespace

uint32_t virtualKeyForKeysym(unsigned long keysym)
{
    if (keysym >= XK_0 && keysym <= XK_9) {
        return kVkDigit0 + static_cast<uint32_t>(keysym - XK_0);
    }
    if (keysym >= XK_a && keysym <= XK_z) {
        return kVkLetterA + static_cast<uint32_t>(keysym - XK_a);
    }
    if (keysym >= XK_A && keysym <= XK_Z) {
        return kVkLetterA + static_cast<uint32_t>(keysym - XK_A);
    }
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
        return kVkNumpad0 + static_cast<uint32_t>(keysym - XK_KP_0);
    }
    if (keysym >= XK_F1 && keysym < XK_F1 + kFunctionKeyCount) {
        return kVkF1 + static_cast<uint32_t>(keysym - XK_F1);
    }
    for (const NamedKey& named : kNamedKeys) {
        if (named.keysym == keysym) {
            return named.code;
        }
    }
    return kUnmappedKey;
}

uint32_t buttonMaskForPress(unsigned button, unsigned state)
{
    uint32_t pressed = 0;
    switch (button) {
    case Button1:
        pressed = kMkLeftButton;
        break;
    case Button2:
        pressed = kMkMiddleButton;
        break;
    case Button3:
        pressed = kMkRightButton;
        break;
    default:
        return 0;
    }
    // Like wParam of WM_xBUTTONDOWN: the pressed button plus whatever else is held.
    uint32_t mask = pressed;
    if ((state & Button1Mask) != 0) {
        mask |= kMkLeftButton;
    }
    if ((state & Button2Mask) != 0) {
        mask |= kMkMiddleButton;
    }
    if ((state & Button3Mask) != 0) {
        mask |= kMkRightButton;
    }
    if ((state & ShiftMask) != 0) {
        mask |= kMkShift;
    }
    if ((state & ControlMask) != 0) {
        mask |= kMkControl;
    }
    return mask;
}

void PointerTravel::start(int32_t x, int32_t y)
{
    startX = x;
    startY = y;
}

bool PointerTravel::exceeded(int32_t x, int32_t y) const
{
    const int64_t dx = static_cast<int64_t>(x) - startX;
    const int64_t dy = static_cast<int64_t>(y) - startY;
    const int64_t limit = threshold;
    return dx > limit || -dx > limit || dy > limit || -dy > limit;
}
