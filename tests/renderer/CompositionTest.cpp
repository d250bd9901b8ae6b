// Frame composition on real OpenGL with the real scene: one sprite is
// placed in the wedge and the frame drawn with it is compared with the same
// frame drawn without it. What differs is the sprite's copies, and where they
// lie and which way they face shows how the slots were rotated, mirrored and
// clipped.

#include "tests/renderer/MarkerSheet.h"
#include "tests/renderer/RendererHarness.h"
#include "tests/renderer/SpriteLayer.h"

#include "common/Gl.h"
#include "scene/SpriteScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

const int kWidth = 800;
const int kHeight = 600;
// Sprites lie in the plane z = 1, 4.5 units in front of the camera, whose
// 90-degree view then spans 9 units from top to bottom.
const double kPixelsPerUnit = kHeight / 9.0;
const double kPi = 3.14159265358979323846;
const float kFarAway = 100.0f;
// Inside the ring (4 less the sprite's diameter), inside the view.
const double kPlacementRadius = 3.2;
const float kLargestSize = 0.35f;
// The F reaches 0.95 sizes from the sprite's centre (cell corners 28, 36
// pixels from the cell's middle, of 48).
const double kMarkerReach = 0.95;
const int kDifferenceThreshold = 60;
const int kMinBlobPixels = 30;
const int kTolerancePixels = 2;
const double kMostUnmatched = 0.01;
const double kFewestUnmatchedWhenWrong = 0.2;
const uint32_t kKeyM = 77;
const uint32_t kKeyDigit2 = 50;

double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// All sprites far outside the view, at rest; sprite 0, upright, at (x, y)
// when `shown`. The scene's step moves the far ones about, but never into
// view, and the shown one by less than a pixel.
void placeSprites(SpriteScene& scene, double x, double y, float size, bool shown)
{
    for (int i = 0; i < kSpriteCount; ++i) {
        scene.sprites[i].position = Vec3(kFarAway, kFarAway, 0.0f);
        scene.sprites[i].velocity = Vec3();
        scene.sprites[i].force = Vec3();
    }
    Sprite& marker = scene.sprites[0];
    marker.size = size;
    marker.rotation = 0.0f;
    if (shown) {
        marker.position = Vec3(static_cast<float>(x), static_cast<float>(y), 0.0f);
    }
}

// After drawWedges: planes off, front face counter-clockwise, the matrix
// stack back at the camera.
void expectStateAfterFrame()
{
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE1));
    GLint value = 0;
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CCW);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &value);
    EXPECT_EQ(value, 1);
    GLfloat matrix[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    // The camera of gluLookAt(0, 0, 5.5, 0, 0, 0, 0, 1, 0): a move 5.5 back.
    for (int i = 0; i < 16; ++i) {
        const float expected = i == 14 ? -5.5f : (i % 5 == 0 ? 1.0f : 0.0f);
        EXPECT_NEAR(matrix[i], expected, 1e-6) << "modelview element " << i;
    }
}

struct Frames {
    std::vector<uint8_t> with;
    std::vector<uint8_t> without;
};

Frames drawWithAndWithout(RendererHarness& harness, double x, double y, float size, int64_t ms, uint32_t flags)
{
    Frames frames;
    SpriteScene& scene = *harness.renderer->scene;
    placeSprites(scene, x, y, size, true);
    harness.frameAtMs(ms, flags);
    expectStateAfterFrame();
    frames.with = harness.context.readPixels();
    placeSprites(scene, x, y, size, false);
    harness.frameAtMs(ms, flags);
    frames.without = harness.context.readPixels();
    return frames;
}

void keepForLooking(const Frames& frames, const std::string& name)
{
    if (::testing::Test::HasFailure()) {
        writePpm(("renderer-" + name + "-with.ppm").c_str(), frames.with, kWidth, kHeight);
        writePpm(("renderer-" + name + "-without.ppm").c_str(), frames.without, kWidth, kHeight);
    }
}

// Slot k (0 .. count - 1) is the sector from 270 + (k - 1) a to 270 + k a.
// Slot 1 holds the wedge itself; odd slots hold it turned by (k - 1) a, even
// slots mirrored across the line at 270 + k a / 2.
ViewMap slotMap(int slot, double angle)
{
    return slot % 2 == 1 ? ViewMap::turn((slot - 1) * angle) : ViewMap::reflection(270.0 + slot * angle / 2.0);
}

const Blob* nearestBlob(const std::vector<Blob>& blobs, double x, double y, double& distance)
{
    const Blob* nearest = nullptr;
    distance = 1e9;
    for (const Blob& blob : blobs) {
        const double d = std::hypot(blob.centreX - x, blob.centreY - y);
        if (d < distance) {
            distance = d;
            nearest = &blob;
        }
    }
    return nearest;
}

struct MirrorCase {
    const char* name;
    bool glideToFourteen;  // digit 2 pressed before the first frame
    int64_t frameMs;
    bool oddCount;
    bool remainder;
};

// Draws the sprite at `direction` (degrees, wedge coordinates) with `room`
// degrees to the nearest edge of its part of the wedge, and checks that
// slots 0 .. shownSlots - 1 each hold one copy turned or mirrored into place,
// and nothing else is drawn.
void expectCopiesInSlots(RendererHarness& harness, const MirrorCase& c, double direction, double room,
                         int shownSlots, const std::string& name)
{
    const KaleidoRenderer& r = *harness.renderer;
    const double angle = r.wedgeAngle;
    const int count = r.wedgeCount;
    const float size = static_cast<float>(
        std::fmin(kLargestSize, 0.8 * kPlacementRadius * std::sin(radians(room)) / kMarkerReach));
    const double x = kPlacementRadius * std::cos(radians(direction));
    const double y = kPlacementRadius * std::sin(radians(direction));
    const Frames frames = drawWithAndWithout(harness, x, y, size, c.frameMs, FrameFlagMirrors);
    const SpriteLayer layer(frames.with, frames.without, kWidth, kHeight, kDifferenceThreshold);
    const std::vector<Blob> blobs = layer.blobs(kMinBlobPixels);
    EXPECT_EQ(static_cast<int>(blobs.size()), shownSlots);

    // The copy in slot 1 is the sprite as placed.
    double distance = 0.0;
    const Blob* original = nearestBlob(blobs, x * kPixelsPerUnit, y * kPixelsPerUnit, distance);
    ASSERT_NE(original, nullptr);
    ASSERT_LT(distance, size * kPixelsPerUnit);
    for (int slot = 0; slot < shownSlots; ++slot) {
        SCOPED_TRACE(testing::Message() << "slot " << slot << " of " << count);
        const ViewMap map = slotMap(slot, angle);
        double px = 0.0;
        double py = 0.0;
        map.apply(original->centreX, original->centreY, px, py);
        const Blob* copy = nearestBlob(blobs, px, py, distance);
        ASSERT_NE(copy, nullptr);
        EXPECT_LT(distance, kTolerancePixels);
        // The same shape, facing the same way, both ways round.
        EXPECT_LT(layer.unmatchedUnder(original->points, map, kTolerancePixels), kMostUnmatched);
        EXPECT_LT(layer.unmatchedUnder(copy->points, map.inverse(), kTolerancePixels), kMostUnmatched);
    }

    const std::vector<LayerPoint> all = layer.allPoints();
    if (!c.oddCount && !c.remainder) {
        // Reflected across every slot boundary, all the way round.
        for (int boundary = 0; boundary < count; ++boundary) {
            EXPECT_LT(layer.unmatchedUnder(all, ViewMap::reflection(270.0 + boundary * angle), kTolerancePixels),
                      kMostUnmatched)
                << "boundary " << boundary;
        }
    } else {
        // The seam at the start of slot 0 is no mirror line.
        EXPECT_GT(layer.unmatchedUnder(all, ViewMap::reflection(270.0 - angle), kTolerancePixels),
                  kFewestUnmatchedWhenWrong);
    }
    // A slot's middle line is never one: the F would face the wrong way.
    EXPECT_GT(layer.unmatchedUnder(all, ViewMap::reflection(270.0 + angle / 2.0), kTolerancePixels),
              kFewestUnmatchedWhenWrong);
    keepForLooking(frames, name);
}

TEST(CompositionTest, EverySlotHoldsOneCopyTurnedOrMirroredIntoPlace)
{
    const MirrorCase cases[] = {
        {"start", false, 0, false, false},
        {"odd-partial", true, 514, true, true},
        {"even-partial", true, 916, false, true},
        {"fourteen", true, 2001, false, false},
    };
    ASSERT_TRUE(installMarkerSheet());
    for (const MirrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        RendererHarness harness(kWidth, kHeight);
        ASSERT_NE(harness.renderer, nullptr);
        KaleidoRenderer& r = *harness.renderer;
        if (c.glideToFourteen) {
            ASSERT_TRUE(r.handleKey(kKeyDigit2));
        }
        placeSprites(*r.scene, 0, 0, kLargestSize, false);
        harness.frameAtMs(c.frameMs);
        const int count = r.wedgeCount;
        const double angle = r.wedgeAngle;
        ASSERT_EQ(count % 2 == 1, c.oddCount) << count << " slots";
        ASSERT_EQ(r.hasRemainder, c.remainder) << angle << " degrees";
        if (!c.remainder) {
            expectCopiesInSlots(harness, c, 270.0 + 0.4 * angle, 0.4 * angle, count, c.name);
            continue;
        }
        // The partial slot keeps the part of the wedge next to its
        // neighbour: by the far ray for an odd count (a lone mirrored copy),
        // by the start ray for an even one (an unmirrored copy).
        const double partial = 360.0 - (count - 1) * angle;
        const double kept = c.oddCount ? 270.0 + angle - partial / 2.0 : 270.0 + partial / 2.0;
        const double cut = c.oddCount ? 270.0 + (angle - partial) / 2.0 : 270.0 + (angle + partial) / 2.0;
        {
            SCOPED_TRACE("in the part every slot shows");
            expectCopiesInSlots(harness, c, kept, partial / 2.0, count, std::string(c.name) + "-kept");
        }
        {
            SCOPED_TRACE("in the part the partial slot cuts away");
            expectCopiesInSlots(harness, c, cut, (angle - partial) / 2.0, count - 1, std::string(c.name) + "-cut");
        }
    }
    removeMarkerSheet();
}

struct SingleCopyCase {
    const char* name;
    uint32_t flags;
    bool pressM;
    bool copyShown;
};

TEST(CompositionTest, WithoutMirrorsOneUnclippedCopyOfTheWholeScene)
{
    // The sprite lies wholly outside the wedge: no slot shows it, but the
    // single copy does, where it is and at its full size.
    const SingleCopyCase cases[] = {
        {"mirrors", FrameFlagMirrors, false, false},
        {"m-key", FrameFlagMirrors, true, true},
        {"setting-off", 0, false, true},
        {"setting-off-m-key", 0, true, true},
    };
    const double x = -2.0;
    const double y = 1.5;
    const float size = 0.5f;
    ASSERT_TRUE(installMarkerSheet());
    for (const SingleCopyCase& c : cases) {
        SCOPED_TRACE(c.name);
        RendererHarness harness(kWidth, kHeight);
        ASSERT_NE(harness.renderer, nullptr);
        if (c.pressM) {
            ASSERT_TRUE(harness.renderer->handleKey(kKeyM));
        }
        const Frames frames = drawWithAndWithout(harness, x, y, size, 0, c.flags);
        const SpriteLayer layer(frames.with, frames.without, kWidth, kHeight, kDifferenceThreshold);
        if (!c.copyShown) {
            EXPECT_EQ(layer.count(), 0);
            keepForLooking(frames, c.name);
            continue;
        }
        const std::vector<Blob> blobs = layer.blobs(kMinBlobPixels);
        ASSERT_EQ(blobs.size(), 1u);
        const double side = 2.0 * size * kPixelsPerUnit;
        EXPECT_NEAR(static_cast<double>(layer.count()), markerCellCoverage() * side * side,
                    0.15 * markerCellCoverage() * side * side);
        // Every marked pixel lies within the sprite's square.
        for (const LayerPoint& p : blobs[0].points) {
            ASSERT_LE(std::fabs(p.x - x * kPixelsPerUnit), side / 2 + kTolerancePixels);
            ASSERT_LE(std::fabs(p.y - y * kPixelsPerUnit), side / 2 + kTolerancePixels);
        }
        // Upright and unmirrored: the F's stem is on the left, its bars
        // reach to the right.
        double stemSide = 0.0;
        for (const LayerPoint& p : blobs[0].points) {
            stemSide += p.x < x * kPixelsPerUnit ? 1.0 : -1.0;
        }
        EXPECT_GT(stemSide, 0.0);
        keepForLooking(frames, c.name);
    }
    removeMarkerSheet();
}

}  // namespace
