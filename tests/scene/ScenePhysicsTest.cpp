#include "tests/scene/SceneRig.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kTolerance = 1e-6f;
const float kHalfPi = 1.5707964f;
const uint32_t kKeyUp = 38;
const float kSpinImpulse = 0.00872664f;

struct PlacedSprite {
    Vec3 position;
    Vec3 velocity;
    float size;
};

struct Outcome {
    Vec3 force;
    Vec3 velocity;
    Vec3 position;
};

struct PhysicsCase {
    const char* name;
    float spinAngle;
    int count;
    PlacedSprite placed[2];
    Outcome expected[2];
    float expectedSpinAngle;
};

// Forces and motion of one step for sprites that meet only each other.
const PhysicsCase kPhysicsCases[] = {
    {"lone sprite at rest falls under gravity", 0.0f, 1,
     {{Vec3(0.0f, 0.0f, 0.0f), Vec3(), 0.3f}},
     {{Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f)}},
     0.0f},
    {"ring pulls a sprite near its edge back", 0.0f, 1,
     {{Vec3(0.0f, -3.5f, 0.0f), Vec3(), 0.5f}},
     {{Vec3(0.0f, 0.07f, 0.0f), Vec3(0.0f, 0.0595f, 0.0f), Vec3(0.0f, -3.4405f, 0.0f)}},
     0.0f},
    {"ring pull looks one velocity ahead", 0.0f, 1,
     {{Vec3(0.0f, -3.0f, 0.0f), Vec3(0.0f, -0.5f, 0.0f), 0.5f}},
     // p = (0, -3.5): the same pull as above, plus the velocity carried on.
     {{Vec3(0.0f, 0.07f, 0.0f), Vec3(0.0f, -0.3655f, 0.0f), Vec3(0.0f, -3.3655f, 0.0f)}},
     0.0f},
    {"no ring pull at the very centre even for a huge sprite", 0.0f, 1,
     {{Vec3(0.0f, 0.0f, 0.0f), Vec3(), 2.5f}},
     {{Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f)}},
     0.0f},
    {"coincident sprites do not push", 0.0f, 2,
     {{Vec3(1.0f, 0.0f, 0.0f), Vec3(), 0.4f}, {Vec3(1.0f, 0.0f, 0.0f), Vec3(), 0.4f}},
     {{Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(1.0f, -0.00425f, 0.0f)},
      {Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(1.0f, -0.00425f, 0.0f)}},
     0.0f},
    {"squares touching side by side do not push", 0.0f, 2,
     {{Vec3(0.0f, 0.0f, 0.0f), Vec3(), 0.25f}, {Vec3(0.75f, 0.0f, 0.0f), Vec3(), 0.5f}},
     {{Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f)},
      {Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.75f, -0.00425f, 0.0f)}},
     0.0f},
    {"squares touching one above the other do not push", 0.0f, 2,
     {{Vec3(0.0f, 0.0f, 0.0f), Vec3(), 0.25f}, {Vec3(0.0f, -0.75f, 0.0f), Vec3(), 0.5f}},
     {{Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f)},
      {Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.0f, -0.75425f, 0.0f)}},
     0.0f},
    {"overlapping squares with separate discs do not push", 0.0f, 2,
     {{Vec3(0.0f, 0.0f, 0.0f), Vec3(), 0.3f}, {Vec3(0.5f, 0.5f, 0.0f), Vec3(), 0.3f}},
     {{Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f)},
      {Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.5f, 0.49575f, 0.0f)}},
     0.0f},
    {"overlapping discs push each other apart equally", 0.0f, 2,
     // d = 0.5, S = 1: each push is 0.3 * 0.25 = 0.075 along the line of centres.
     {{Vec3(0.0f, 0.0f, 0.0f), Vec3(), 0.5f}, {Vec3(0.5f, 0.0f, 0.0f), Vec3(), 0.5f}},
     {{Vec3(-0.075f, -0.005f, 0.0f), Vec3(-0.06375f, -0.00425f, 0.0f), Vec3(-0.06375f, -0.00425f, 0.0f)},
      {Vec3(0.075f, -0.005f, 0.0f), Vec3(0.06375f, -0.00425f, 0.0f), Vec3(0.56375f, -0.00425f, 0.0f)}},
     0.0f},
    {"spin turns positions before the forces", kHalfPi, 1,
     {{Vec3(1.0f, 0.0f, 0.0f), Vec3(), 0.2f}},
     {{Vec3(0.0f, -0.005f, 0.0f), Vec3(0.0f, -0.00425f, 0.0f), Vec3(0.0f, 0.99575f, 0.0f)}},
     kHalfPi * 0.9f},
    {"spin leaves the velocity unturned", kHalfPi, 1,
     {{Vec3(2.0f, 0.0f, 0.0f), Vec3(0.1f, 0.0f, 0.0f), 0.2f}},
     {{Vec3(0.0f, -0.005f, 0.0f), Vec3(0.085f, -0.00425f, 0.0f), Vec3(0.085f, 1.99575f, 0.0f)}},
     kHalfPi * 0.9f},
};

void expectVec3Near(const Vec3& actual, const Vec3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, kTolerance) << what << " x";
    EXPECT_NEAR(actual.y, expected.y, kTolerance) << what << " y";
    EXPECT_EQ(actual.z, expected.z) << what << " z";
}

class ScenePhysics : public ::testing::Test {
protected:
    static void SetUpTestSuite() { pictures = plainScenePictures(); }
    void SetUp() override
    {
        pictures.install();
        rig = new SceneRig(32, 32, 1);
        ASSERT_TRUE(rig->context.ready);
    }
    void TearDown() override
    {
        delete rig;
        platformClearResourceOverrides();
    }

    static ScenePictureSet pictures;
    SceneRig* rig = nullptr;
};

ScenePictureSet ScenePhysics::pictures;

}  // namespace

TEST_F(ScenePhysics, OneStepMatchesTheForceRules)
{
    for (const PhysicsCase& c : kPhysicsCases) {
        SCOPED_TRACE(c.name);
        rig->parkAllSprites();
        rig->scene->spinAngle = c.spinAngle;
        // The placed sprites take indices far apart, so neither index order
        // nor index sums matter.
        const int indices[2] = {3, 57};
        for (int k = 0; k < c.count; ++k) {
            Sprite& s = rig->scene->sprites[indices[k]];
            s.position = c.placed[k].position;
            s.velocity = c.placed[k].velocity;
            s.size = c.placed[k].size;
        }
        rig->scene->step();
        for (int k = 0; k < c.count; ++k) {
            const Sprite& s = rig->scene->sprites[indices[k]];
            expectVec3Near(s.force, c.expected[k].force, "force");
            expectVec3Near(s.velocity, c.expected[k].velocity, "velocity");
            expectVec3Near(s.position, c.expected[k].position, "position");
        }
        EXPECT_NEAR(rig->scene->spinAngle, c.expectedSpinAngle, kTolerance);
    }
}

// Whatever their indices, two overlapping sprites push each other apart with
// pushes of equal length.
TEST_F(ScenePhysics, EveryOverlappingPairPushesApart)
{
    const Vec3 gravity(0.0f, -0.005f, 0.0f);
    for (int i = 0; i < kSpriteCount; ++i) {
        for (int j = 0; j < kSpriteCount; ++j) {
            if (i == j) {
                continue;
            }
            rig->parkAllSprites();
            Sprite& a = rig->scene->sprites[i];
            Sprite& b = rig->scene->sprites[j];
            a.position = Vec3(0.5f, -1.0f, 0.0f);
            a.size = 0.4f;
            b.position = Vec3(0.8f, -0.6f, 0.0f);
            b.size = 0.3f;
            rig->scene->step();
            const float ax = a.force.x - gravity.x;
            const float ay = a.force.y - gravity.y;
            const float bx = b.force.x - gravity.x;
            const float by = b.force.y - gravity.y;
            // Away from the other along the line of centres (-0.3, -0.4).
            ASSERT_LT(ax, 0.0f) << i << " against " << j;
            ASSERT_NEAR(ax * 0.4f, ay * 0.3f, kTolerance) << i << " against " << j;
            ASSERT_NEAR(bx, -ax, kTolerance) << i << " against " << j;
            ASSERT_NEAR(by, -ay, kTolerance) << i << " against " << j;
        }
    }
}

TEST_F(ScenePhysics, SpinKeyTakesOnlyTheUpArrow)
{
    const uint32_t ignored[] = {0, 37, 39, 40, 'A', 0xFFFFFFFFu, 38 + 256};
    for (uint32_t code : ignored) {
        rig->scene->spinKey(code);
        EXPECT_EQ(rig->scene->spinAngle, 0.0f) << code;
    }
    rig->scene->spinKey(kKeyUp);
    EXPECT_EQ(rig->scene->spinAngle, kSpinImpulse);
    rig->scene->spinKey(kKeyUp);
    EXPECT_EQ(rig->scene->spinAngle, 2.0f * kSpinImpulse);
}

TEST_F(ScenePhysics, SpinDecaysAfterOnePress)
{
    for (int step = 0; step < 20; ++step) {
        rig->scene->step();
        ASSERT_EQ(rig->scene->spinAngle, 0.0f) << "no key, no spin";
    }

    rig->scene->spinKey(kKeyUp);
    double totalTurn = 0.0;
    for (int step = 1; step <= 200; ++step) {
        totalTurn += rig->scene->spinAngle;
        rig->scene->step();
        if (step == 43) {
            EXPECT_GT(rig->scene->spinAngle, 0.01f * kSpinImpulse);
        }
        if (step == 44) {
            EXPECT_LT(rig->scene->spinAngle, 0.01f * kSpinImpulse);
        }
    }
    const double fiveDegrees = 10.0 * kSpinImpulse;
    EXPECT_NEAR(totalTurn, fiveDegrees, 1e-6);
}

// The whole cloud turns with the spin: distances from the centre survive
// the turn, angles grow by the spin angle.
TEST_F(ScenePhysics, SpinTurnsEverySpriteAboutTheCentre)
{
    rig->parkAllSprites();
    Sprite& s = rig->scene->sprites[10];
    s.position = Vec3(1.5f, -2.0f, 0.0f);
    s.size = 0.2f;
    rig->scene->spinAngle = 0.5f;
    rig->scene->step();
    const double radius = std::hypot(s.position.x, s.position.y + 0.00425);
    const double angle = std::atan2(s.position.y + 0.00425, s.position.x);
    EXPECT_NEAR(radius, 2.5, 1e-5);
    EXPECT_NEAR(angle, std::atan2(-2.0, 1.5) + 0.5, 1e-5);
}
