#include "scene/SpriteScene.h"

#include <cmath>

namespace {

const float kGravityY = -0.005f;
const float kRepulsionStrength = 0.3f;
const float kRingRadius = 4.0f;
const float kRingStrength = 0.3f;
const float kDamping = 0.85f;
const float kSpinDecay = 0.9f;

// Turns (x, y) counter-clockwise about the centre by `angle` radians. Done
// through polar form even for a zero angle, so every build rounds alike.
void spinAboutCentre(Vec3& position, float angle)
{
    const double x = position.x;
    const double y = position.y;
    const double radius = std::sqrt(x * x + y * y);
    const double theta = std::atan2(y, x) + static_cast<double>(angle);
    position.x = static_cast<float>(radius * std::cos(theta));
    position.y = static_cast<float>(radius * std::sin(theta));
}

// The axis-aligned square of a sprite, kept for the step's pair tests.
struct SquareBounds {
    float left;
    float right;
    float bottom;
    float top;
};

// Adds to a's force the push away from b where their discs intersect; the
// caller has found that their squares overlap. b is left alone (it gets its
// own turn).
void addRepulsion(Sprite& a, const Sprite& b)
{
    const float dx = a.position.x - b.position.x;
    const float dy = a.position.y - b.position.y;
    const float distance = std::sqrt(dx * dx + dy * dy);
    const float reach = a.size + b.size;
    const float overlap = reach - distance;
    if (overlap > 0.0f && distance > 0.0f) {
        const float ratio = overlap / reach;
        const float f = ratio * ratio / distance * kRepulsionStrength;
        a.force.x += dx * f;
        a.force.y += dy * f;
    }
}

// All four comparisons strict: squares that only touch do not interact.
bool squaresOverlap(const SquareBounds& a, const SquareBounds& b)
{
    return a.right > b.left && b.right > a.left && b.bottom < a.top && b.top > a.bottom;
}

// Pulls a sprite that will be near the ring one velocity from now back
// towards the centre.
void addRingPull(Sprite& a)
{
    const float px = a.position.x + a.velocity.x;
    const float py = a.position.y + a.velocity.y;
    const float distance = std::sqrt(px * px + py * py);
    const float diameter = 2.0f * a.size;
    const float beyond = distance - (kRingRadius - diameter);
    if (beyond > 0.0f && distance > 0.0f) {
        const float ratio = beyond / diameter;
        const float f = ratio * ratio / distance * kRingStrength;
        a.force.x += -px * f;
        a.force.y += -py * f;
    }
}

}  // namespace

void SpriteScene::step()
{
    if (sprites == nullptr) {
        return;
    }
    for (int32_t i = 0; i < kSpriteCount; ++i) {
        spinAboutCentre(sprites[i].position, spinAngle);
        sprites[i].force = Vec3(0.0f, kGravityY, 0.0f);
    }

    // Every overlapping pair pushes apart: each sprite is tested against all
    // the others, against the positions the spin left.
    SquareBounds squares[kSpriteCount];
    for (int32_t i = 0; i < kSpriteCount; ++i) {
        const Sprite& s = sprites[i];
        squares[i] = SquareBounds{s.position.x - s.size, s.position.x + s.size, s.position.y - s.size,
                                  s.position.y + s.size};
    }
    for (int32_t i = 0; i < kSpriteCount; ++i) {
        Sprite& a = sprites[i];
        const SquareBounds square = squares[i];
        for (int32_t j = 0; j < kSpriteCount; ++j) {
            if (j != i && squaresOverlap(square, squares[j])) {
                addRepulsion(a, sprites[j]);
            }
        }
        addRingPull(a);
    }

    for (int32_t i = 0; i < kSpriteCount; ++i) {
        Sprite& s = sprites[i];
        s.velocity = Vec3((s.velocity.x + s.force.x) * kDamping, (s.velocity.y + s.force.y) * kDamping,
                          (s.velocity.z + s.force.z) * kDamping);
        s.position = Vec3(s.position.x + s.velocity.x, s.position.y + s.velocity.y,
                          s.position.z + s.velocity.z);
        s.updateAge();
    }

    spinAngle *= kSpinDecay;
}
