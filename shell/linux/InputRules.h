#pragma once

#include <cstdint>

// How X input reaches the portable core: key symbols become the Windows
// virtual-key codes that KaleidoRenderer::handleKey knows, clicks become the
// button masks the Windows saver offers it, and the full-screen saver's
// pointer rule is the Windows one (per axis, strictly beyond the threshold).

const int32_t kMouseThresholdPixels = 50;

// Windows virtual-key code for an X key symbol (as XLookupKeysym gives it):
// '0'..'9' 48..57, letters 65..90 in either case, space 32, the arrows 37..40,
// keypad digits 96..105, Escape 27, Return 13, and a few others. Symbols
// with no counterpart give kUnmappedKey, which no command consumes.
const uint32_t kUnmappedKey = 0;
uint32_t virtualKeyForKeysym(unsigned long keysym);

// The MK_ mask of a press of X button 1 (left), 2 (middle) or 3 (right) with
// the X modifier/button `state` of the event; 0 for any other button (the
// wheel and side buttons), which the saver does not treat as a click.
uint32_t buttonMaskForPress(unsigned button, unsigned state);

// The start position and the per-axis test against it, in root-window pixels.
struct PointerTravel {
    int32_t startX = 0;
    int32_t startY = 0;
    int32_t threshold = kMouseThresholdPixels;

    void start(int32_t x, int32_t y);
    // True when x or y lies more than `threshold` pixels from the start.
    bool exceeded(int32_t x, int32_t y) const;
};
