#include "renderer/KaleidoRenderer.h"

#include "scene/SpriteScene.h"

namespace {

const uint32_t kKeySpace = 32;
const uint32_t kKeyLeft = 37;
const uint32_t kKeyDown = 40;
const uint32_t kKeyZero = 48;
const uint32_t kKeyNine = 57;
const uint32_t kKeyM = 77;
const uint32_t kKeyS = 83;
// 0 counts as the key after 9; n = 4k - 186 gives 10, 14, ..., 46 slots.
const int32_t kZeroAsAfterNine = 58;
const int32_t kSlotsPerKeyStep = 4;
const int32_t kSlotsOffset = 186;
const float kDigitTransitionSeconds = 2.0f;
const float kFullCircleDegrees = 360.0f;

}  // namespace

bool KaleidoRenderer::handleKey(uint32_t code)
{
    if (code == kKeySpace || code == kKeyS) {
        return true;
    }
    if (code >= kKeyLeft && code <= kKeyDown) {
        scene->spinKey(code);
        return true;
    }
    if (code >= kKeyZero && code <= kKeyNine) {
        const int32_t key = code == kKeyZero ? kZeroAsAfterNine : static_cast<int32_t>(code);
        const int32_t slots = kSlotsPerKeyStep * key - kSlotsOffset;
        transitionStart = timeSeconds;
        transitionFrom = currentAngle;
        transitionDuration = kDigitTransitionSeconds;
        transitionActive = true;
        const float target = kFullCircleDegrees / static_cast<float>(slots);
        transitionTo = target;
        currentAngle = target;
        return true;
    }
    if (code == kKeyM) {
        toggleMirrors();
        return true;
    }
    scene->spinKey(code);
    return false;
}

void KaleidoRenderer::toggleMirrors()
{
    mirrorsOff = !mirrorsOff;
}
