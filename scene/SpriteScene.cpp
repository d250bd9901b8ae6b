#include "scene/SpriteScene.h"

#include "common/Gl.h"
#include "common/RandomUnit.h"
#include "images/JpegLoader.h"
#include "renderer/KaleidoRenderer.h"

#include <cstdlib>

SpriteScene* gCurrentScene = nullptr;

namespace {

const uint32_t kKeyUp = 38;
// About half a degree per press, in radians.
const float kSpinImpulse = 0.00872664f;
const double kHalf = 0.5;

// A loader that fails after decoding leaves its buffer behind; nobody
// uploads it any more, so it is released here.
void releaseLeftoverPixels(TextureImage& image)
{
    if (image.pixels != nullptr) {
        std::free(image.pixels);
        image.pixels = nullptr;
    }
}

}  // namespace

SpriteScene::SpriteScene(KaleidoRenderer* ownerRenderer)
    : sprites(nullptr),
      owner(ownerRenderer),
      spinAngle(0.0f),
      scheduleStep(0),
      transitionLength(0),
      uniformMode(false),
      uniformPicture(0),
      pictureCount(kPictureCount),
      textures(nullptr)
{
    gCurrentScene = this;
    uniformMode = randomUnit() < kHalf;
}

SpriteScene::~SpriteScene()
{
    if (textures != nullptr) {
        // Names of textures that never loaded are 0, which OpenGL ignores.
        const GLuint names[] = {textures->spriteSheet.textureName, textures->clouds.textureName,
                                textures->logo.textureName};
        glDeleteTextures(3, names);
        releaseLeftoverPixels(textures->spriteSheet);
        releaseLeftoverPixels(textures->clouds);
        releaseLeftoverPixels(textures->logo);
        std::free(textures);
        textures = nullptr;
    }
    if (sprites != nullptr) {
        delete[] sprites;
        sprites = nullptr;
    }
}

void SpriteScene::init()
{
    uniformPicture = static_cast<int32_t>(randomUnit() * pictureCount);
    sprites = new Sprite[kSpriteCount];
    loadTextures();
    spawnAll();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void SpriteScene::loadTextures()
{
    textures = static_cast<SceneTextures*>(std::calloc(1, sizeof(SceneTextures)));
    if (textures == nullptr) {
        return;
    }
    LoadJpegTextureWithMask(textures->spriteSheet, "JPEG_PELLIX_RGB", "JPEG_PELLIX_MASK");
    releaseLeftoverPixels(textures->spriteSheet);
    LoadJpegTexture(textures->clouds, "CLOUDS_MASK");
    releaseLeftoverPixels(textures->clouds);
    LoadJpegTexture(textures->logo, "LOGO_MASK");
    releaseLeftoverPixels(textures->logo);
    glDisable(GL_LIGHTING);
}

void SpriteScene::spawnAll()
{
    for (int32_t i = 0; i < kSpriteCount; ++i) {
        sprites[i].spawn(i);
    }
}

void SpriteScene::spinKey(uint32_t code)
{
    if (code == kKeyUp) {
        spinAngle += kSpinImpulse;
    }
}
