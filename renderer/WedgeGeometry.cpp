#include "renderer/KaleidoRenderer.h"

#include <cmath>

namespace {

const float kDegreesToRadians = 0.01745328f;
const double kFullCircle = 360.0;
const double kSlotFractionTolerance = 0.001;
const float kStartRayDegrees = 270.0f;
const float kQuarterTurn = 90.0f;
// More slots than this cannot be drawn in any useful time; the limit also
// keeps the quotient far inside the range of int32.
const double kMaxSlotQuotient = 100000.0;

ClipPlane planeFacing(float degrees)
{
    const float radians = degrees * kDegreesToRadians;
    return ClipPlane{std::cos(static_cast<double>(radians)), std::sin(static_cast<double>(radians)), 0.0, 0.0};
}

}  // namespace

void KaleidoRenderer::updateGeometry(float angle)
{
    const double quotient = kFullCircle / static_cast<double>(angle);
    if (!std::isfinite(angle) || !(angle > 0.0f) || !(quotient <= kMaxSlotQuotient)) {
        return;
    }
    wedgeAngle = angle;

    const int32_t whole = static_cast<int32_t>(quotient);
    wedgeCount = quotient - whole > kSlotFractionTolerance ? whole + 1 : whole;

    startPlane = ClipPlane{1.0, 0.0, 0.0, 0.0};
    farPlane = planeFacing(angle + kStartRayDegrees - kQuarterTurn);

    const float singleQuotient = static_cast<float>(quotient);
    const float fraction = singleQuotient - static_cast<float>(static_cast<int32_t>(singleQuotient));
    hasRemainder = fraction > kSlotFractionTolerance;
    if (!hasRemainder) {
        return;
    }

    const float remainder = fraction * angle;
    if (wedgeCount % 2 == 0) {
        remainderStartPlane = startPlane;
        remainderFarPlane = planeFacing(remainder + kStartRayDegrees - kQuarterTurn);
    } else {
        remainderStartPlane = planeFacing(angle - remainder + static_cast<float>(kFullCircle));
        remainderFarPlane = farPlane;
    }
}
