#include "tests/scene/SceneRig.h"

#include "common/Gl.h"
#include "platform/Platform.h"
#include "tests/support/JpegEncode.h"

#include <cstring>

namespace {

const int kFullQuality = 100;
const float kParkingX = 1000.0f;
const float kParkingSpacing = 10.0f;
const float kParkedSize = 0.2f;
const double kCameraDistance = 5.5;

}  // namespace

TestPicture::TestPicture(int pictureWidth, int pictureHeight, int sampleComponents, unsigned char fill)
    : width(pictureWidth),
      height(pictureHeight),
      components(sampleComponents),
      samples(static_cast<size_t>(pictureWidth) * pictureHeight * sampleComponents, fill)
{
}

void TestPicture::fillRect(int left, int top, int rectWidth, int rectHeight, const unsigned char* value)
{
    for (int y = top; y < top + rectHeight && y < height; ++y) {
        for (int x = left; x < left + rectWidth && x < width; ++x) {
            std::memcpy(&samples[(static_cast<size_t>(y) * width + x) * components], value, components);
        }
    }
}

std::vector<unsigned char> TestPicture::encodeJpeg() const
{
    return encodeTestJpeg(samples.data(), width, height, components, kFullQuality);
}

void ScenePictureSet::install() const
{
    platformClearResourceOverrides();
    const struct {
        const char* name;
        const std::vector<unsigned char>* stream;
    } entries[] = {{"JPEG_PELLIX_RGB", &sheetColour},
                   {"JPEG_PELLIX_MASK", &sheetMask},
                   {"CLOUDS_MASK", &clouds},
                   {"LOGO_MASK", &logo}};
    for (const auto& entry : entries) {
        const bool missing = entry.stream->empty();
        platformOverrideResource(entry.name, missing ? nullptr : entry.stream->data(),
                                 static_cast<uint32_t>(entry.stream->size()));
    }
}

ScenePictureSet plainScenePictures()
{
    ScenePictureSet set;
    set.sheetColour = TestPicture(1024, 512, 3, 0).encodeJpeg();
    set.sheetMask = TestPicture(1024, 512, 1, 255).encodeJpeg();
    set.clouds = TestPicture(1024, 256, 1, 0).encodeJpeg();
    set.logo = TestPicture(256, 64, 1, 255).encodeJpeg();
    return set;
}

SceneRig::SceneRig(int width, int height, int32_t seed) : context(width, height)
{
    if (!context.ready) {
        return;
    }
    gFixedRandomSeed = seed;
    renderer = new KaleidoRenderer(width, height);
    scene = renderer->scene;
}

SceneRig::~SceneRig()
{
    delete renderer;
    gFixedRandomSeed = -1;
}

void SceneRig::parkAllSprites()
{
    for (int i = 0; i < kSpriteCount; ++i) {
        Sprite& s = scene->sprites[i];
        s.position = Vec3(kParkingX + kParkingSpacing * static_cast<float>(i), 0.0f, 0.0f);
        s.velocity = Vec3();
        s.force = Vec3();
        s.size = kParkedSize;
        s.age = 0.0f;
        s.birthTime = renderer->timeSeconds;
    }
}

void SceneRig::drawScene(bool withSprites)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, kCameraDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    scene->beginDraw();
    if (withSprites) {
        scene->drawSprites();
    }
    scene->endDraw();
    glFinish();
}
