#include "scene/Sprite.h"

#include "common/RandomUnit.h"
#include "renderer/KaleidoRenderer.h"
#include "scene/SpriteScene.h"

#include <cmath>

namespace {

// Single-precision constants: the same values on every build keep the same
// seed spawning the same sprites.
const float kFullTurnRadians = 6.28318f;
const float kSpawnRadius = 4.0f;
const float kMinSize = 0.2f;
const float kSizeRange = 0.40000004f;
const float kAgePerIndex = 0.016666668f;
const float kInverseLifeSeconds = 0.0625f;
const float kFullTurnDegrees = 360.0f;
const float kRotationPerSpeed = 100.0f;
const float kCellPixelsF = static_cast<float>(kCellPixels);
// The sheet's designed size, for cell coordinates when it failed to decode
// and reported no size: the cells must stay finite.
const uint32_t kNominalSheetWidth = 1024;
const uint32_t kNominalSheetHeight = 512;

float sceneNow()
{
    return gCurrentScene->owner->timeSeconds;
}

}  // namespace

void Sprite::spawn(int32_t index)
{
    const float angle = static_cast<float>(randomUnit() * kFullTurnRadians);
    const float radius = static_cast<float>(randomUnit() * kSpawnRadius);
    position = Vec3(static_cast<float>(radius * std::cos(static_cast<double>(angle))),
                    static_cast<float>(radius * std::sin(static_cast<double>(angle))), 0.0f);
    velocity = Vec3();
    force = Vec3();
    size = static_cast<float>(kMinSize + kSizeRange * randomUnit());
    age = static_cast<float>(index) * kAgePerIndex;
    renew();
}

void Sprite::renew()
{
    const SpriteScene* scene = gCurrentScene;
    birthTime = sceneNow() - age * kLifeSeconds;
    picture = scene->uniformMode ? scene->uniformPicture
                                 : static_cast<int32_t>(randomUnit() * scene->pictureCount);

    uint32_t sheetWidth = kNominalSheetWidth;
    uint32_t sheetHeight = kNominalSheetHeight;
    if (scene->textures != nullptr && scene->textures->spriteSheet.width > 0 &&
        scene->textures->spriteSheet.height > 0) {
        sheetWidth = scene->textures->spriteSheet.width;
        sheetHeight = scene->textures->spriteSheet.height;
    }
    const float column = static_cast<float>(picture % kCellsPerRow);
    const float row = static_cast<float>(picture / kCellsPerRow);
    const float w = static_cast<float>(sheetWidth);
    const float h = static_cast<float>(sheetHeight);
    cellU = column * kCellPixelsF / w;
    cellV = row * kCellPixelsF / h;
    cellWidth = kCellPixelsF / w;
    cellHeight = kCellPixelsF / h;

    rotation = static_cast<float>(randomUnit() * kFullTurnDegrees);
}

void Sprite::updateAge()
{
    age = (sceneNow() - birthTime) * kInverseLifeSeconds;
    if (age > 1.0f) {
        age = age - std::trunc(age);
        gCurrentScene->advanceSchedule();
        // Renewed only outside the quadrant x >= 0, y <= 0 that holds the
        // visible wedge, so that with mirrors on the change is never seen.
        if (position.x + size < 0.0f || position.y - size > 0.0f) {
            renew();
        }
    }
    const float speed =
        std::sqrt(velocity.x * velocity.x + velocity.y * velocity.y + velocity.z * velocity.z);
    rotation += kRotationPerSpeed * speed;
}

void SpriteScene::advanceSchedule()
{
    ++scheduleStep;
    if (scheduleStep > transitionLength) {
        const float kMinTransitionSeconds = 1.0f;
        const float kTransitionSecondsRange = 16.0f;
        startTransition(static_cast<float>(kMinTransitionSeconds + kTransitionSecondsRange * randomUnit()));
    }
}

void SpriteScene::startTransition(float seconds)
{
    const float kStepsPerSecond = 60.0f;
    transitionLength = static_cast<int32_t>(seconds * kStepsPerSecond * kInverseLifeSeconds);
    scheduleStep = 0;
    uniformMode = !uniformMode;
    uniformPicture = static_cast<int32_t>(randomUnit() * pictureCount);
}
