#include "tests/scene/SceneRig.h"

#include "common/Gl.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const int kFrameMilliseconds = 41;

std::vector<GLuint> textureNames(const SpriteScene& scene)
{
    return {scene.textures->spriteSheet.textureName, scene.textures->clouds.textureName,
            scene.textures->logo.textureName};
}

// Drives the renderer's own frames on a counter that advances one frame
// time per call, from wherever the process-wide clock started.
void runFrames(KaleidoRenderer& renderer, int frames)
{
    const int64_t origin = gClockOrigin;
    const int64_t frequency = gClockFrequency;
    for (int frame = 1; frame <= frames; ++frame) {
        platformUseTestCounter(frequency, origin + frequency * kFrameMilliseconds * frame / 1000);
        renderer.drawFrame(FrameFlagMirrors);
    }
    platformUseRealCounter();
}

class SceneLifecycle : public ::testing::Test {
protected:
    void TearDown() override { platformClearResourceOverrides(); }
};

}  // namespace

// Destruction gives back every texture name, whether or not the scene ran.
TEST_F(SceneLifecycle, DestructionDeletesAllTextures)
{
    const ScenePictureSet pictures = plainScenePictures();
    for (int frames : {0, 700}) {
        SCOPED_TRACE(frames);
        pictures.install();
        SceneRig rig(64, 64, 3);
        ASSERT_TRUE(rig.context.ready);
        const std::vector<GLuint> names = textureNames(*rig.scene);
        for (GLuint name : names) {
            ASSERT_NE(name, 0u);
            EXPECT_TRUE(glIsTexture(name));
        }
        if (frames > 0) {
            runFrames(*rig.renderer, frames);
            EXPECT_GT(rig.renderer->timeSeconds, 28.0f) << "every sprite lived more than one life";
            for (int i = 0; i < kSpriteCount; ++i) {
                const Sprite& s = rig.scene->sprites[i];
                ASSERT_TRUE(std::isfinite(s.position.x) && std::isfinite(s.position.y)) << i;
                ASSERT_LT(std::hypot(s.position.x, s.position.y), 4.5f) << "held by the ring: " << i;
            }
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        delete rig.renderer;
        rig.renderer = nullptr;
        for (GLuint name : names) {
            EXPECT_FALSE(glIsTexture(name)) << name;
        }
    }
}

// Pictures that cannot be had leave their texture names 0; the scene still
// spawns finite sprites, draws and goes away cleanly, and no decoded buffer
// is left behind.
TEST_F(SceneLifecycle, UnloadablePicturesLeaveTexturesEmpty)
{
    const ScenePictureSet good = plainScenePictures();
    const std::vector<unsigned char> garbage(600, 0x5A);
    const std::vector<unsigned char> smallMask = TestPicture(64, 32, 1, 255).encodeJpeg();

    struct BadCase {
        const char* name;
        ScenePictureSet pictures;
        bool sheetLoads;
        bool cloudsLoad;
        bool logoLoads;
    };
    BadCase cases[] = {
        {"all missing", ScenePictureSet{}, false, false, false},
        {"mask of another size", good, false, true, true},
        {"garbage streams", good, false, false, true},
        {"colour missing", good, false, true, true},
    };
    cases[1].pictures.sheetMask = smallMask;
    cases[2].pictures.sheetMask = garbage;
    cases[2].pictures.clouds = garbage;
    cases[3].pictures.sheetColour.clear();

    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        c.pictures.install();
        SceneRig rig(64, 64, 5);
        ASSERT_TRUE(rig.context.ready);
        const SceneTextures& textures = *rig.scene->textures;
        EXPECT_EQ(textures.spriteSheet.textureName != 0, c.sheetLoads);
        EXPECT_EQ(textures.clouds.textureName != 0, c.cloudsLoad);
        EXPECT_EQ(textures.logo.textureName != 0, c.logoLoads);
        EXPECT_EQ(textures.spriteSheet.pixels, nullptr);
        EXPECT_EQ(textures.clouds.pixels, nullptr);
        EXPECT_EQ(textures.logo.pixels, nullptr);
        for (int i = 0; i < kSpriteCount; ++i) {
            const Sprite& s = rig.scene->sprites[i];
            ASSERT_TRUE(std::isfinite(s.cellU) && std::isfinite(s.cellV) && std::isfinite(s.cellWidth) &&
                        std::isfinite(s.cellHeight))
                << i;
        }
        runFrames(*rig.renderer, 30);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

// Cells are measured on the sheet that was actually loaded.
TEST_F(SceneLifecycle, CellsFollowTheSheetSize)
{
    ScenePictureSet pictures = plainScenePictures();
    pictures.sheetColour = TestPicture(512, 256, 3, 0).encodeJpeg();
    pictures.sheetMask = TestPicture(512, 256, 1, 255).encodeJpeg();
    pictures.install();
    SceneRig rig(32, 32, 2);
    ASSERT_TRUE(rig.context.ready);
    for (int i = 0; i < kSpriteCount; ++i) {
        const Sprite& s = rig.scene->sprites[i];
        EXPECT_EQ(s.cellWidth, 0.1875f);
        EXPECT_EQ(s.cellHeight, 0.375f);
        EXPECT_FLOAT_EQ(s.cellU, static_cast<float>(s.picture % kCellsPerRow) * 0.1875f);
        EXPECT_FLOAT_EQ(s.cellV, static_cast<float>(s.picture / kCellsPerRow) * 0.375f);
    }
}
