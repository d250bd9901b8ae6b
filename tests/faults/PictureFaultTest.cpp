// A saver whose pictures are damaged still runs: the broken picture's
// texture stays 0, the others load, and the frames go on being drawn with
// finite sprites.

#include "tests/renderer/RendererHarness.h"

#include "platform/Platform.h"
#include "scene/SpriteScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kPixels = 96;
const int kFrames = 48;
const int64_t kFrameMs = 42;
// The start marker and the first header, cut before any frame header.
const uint32_t kHeaderOnlyBytes = 20;
const unsigned char kNotAJpeg[] = "\x89PNG\r\n\x1a\n this is not a JPEG stream at all";
const unsigned char kStartMarkerOnly[] = {0xFF, 0xD8};

enum class Damage { Missing, NotAJpeg, StartMarkerOnly, HeadersOnly, CutInHalf, MaskOfAnotherSize };
enum class Picture { Sheet, Clouds, Logo };
// Whether the damaged picture may still make a texture: a stream cut inside
// its scan data decodes with the rest of the picture filled in.
enum class Texture { Absent, EitherWay };

struct FaultCase {
    const char* title;
    const char* resource;
    Damage damage;
    Picture picture;
    Texture texture;
};

const FaultCase kCases[] = {
    {"sheet colour missing", "JPEG_PELLIX_RGB", Damage::Missing, Picture::Sheet, Texture::Absent},
    {"sheet mask missing", "JPEG_PELLIX_MASK", Damage::Missing, Picture::Sheet, Texture::Absent},
    {"clouds missing", "CLOUDS_MASK", Damage::Missing, Picture::Clouds, Texture::Absent},
    {"logo missing", "LOGO_MASK", Damage::Missing, Picture::Logo, Texture::Absent},
    {"sheet colour not a JPEG", "JPEG_PELLIX_RGB", Damage::NotAJpeg, Picture::Sheet, Texture::Absent},
    {"sheet mask start marker only", "JPEG_PELLIX_MASK", Damage::StartMarkerOnly, Picture::Sheet, Texture::Absent},
    {"clouds cut inside its headers", "CLOUDS_MASK", Damage::HeadersOnly, Picture::Clouds, Texture::Absent},
    {"logo not a JPEG", "LOGO_MASK", Damage::NotAJpeg, Picture::Logo, Texture::Absent},
    {"sheet colour cut in half", "JPEG_PELLIX_RGB", Damage::CutInHalf, Picture::Sheet, Texture::EitherWay},
    {"clouds cut in half", "CLOUDS_MASK", Damage::CutInHalf, Picture::Clouds, Texture::EitherWay},
    {"sheet mask of another size", "JPEG_PELLIX_MASK", Damage::MaskOfAnotherSize, Picture::Sheet, Texture::Absent},
};

struct Stream {
    const unsigned char* data = nullptr;
    uint32_t size = 0;
};

struct ResourceFile {
    const char* name;
    const char* file;
};

// The pictures the saver embeds, read from the source tree: a test program
// has no resources of its own under Windows.
const ResourceFile kResourceFiles[] = {
    {"JPEG_PELLIX_RGB", "pellix_rgb.jpg"},
    {"JPEG_PELLIX_MASK", "pellix_mask.jpg"},
    {"CLOUDS_MASK", "clouds_mask.jpg"},
    {"LOGO_MASK", "logo_mask.jpg"},
};
const int kResourceCount = sizeof(kResourceFiles) / sizeof(kResourceFiles[0]);

std::vector<unsigned char> gIntact[kResourceCount];

std::vector<unsigned char> readFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    unsigned char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    std::fclose(file);
    return bytes;
}

Stream builtIn(const char* name)
{
    Stream stream;
    for (int i = 0; i < kResourceCount; ++i) {
        if (std::strcmp(kResourceFiles[i].name, name) == 0) {
            stream.data = gIntact[i].data();
            stream.size = static_cast<uint32_t>(gIntact[i].size());
        }
    }
    return stream;
}

// Every picture intact, through the same lookup the saver uses.
bool installIntactPictures()
{
    for (int i = 0; i < kResourceCount; ++i) {
        if (gIntact[i].empty()) {
            gIntact[i] = readFile(std::string(PELLIX_SOURCE_DIR) + "/resources/" + kResourceFiles[i].file);
        }
        if (gIntact[i].empty() || !platformOverrideResource(kResourceFiles[i].name, gIntact[i].data(),
                                                            static_cast<uint32_t>(gIntact[i].size()))) {
            return false;
        }
    }
    return true;
}

// The damaged bytes for `testCase`; `storage` keeps them alive.
Stream damaged(const FaultCase& testCase, std::vector<unsigned char>& storage)
{
    const Stream original = builtIn(testCase.resource);
    switch (testCase.damage) {
    case Damage::Missing:
        return Stream();
    case Damage::NotAJpeg:
        storage.assign(kNotAJpeg, kNotAJpeg + sizeof(kNotAJpeg) - 1);
        break;
    case Damage::StartMarkerOnly:
        storage.assign(kStartMarkerOnly, kStartMarkerOnly + sizeof(kStartMarkerOnly));
        break;
    case Damage::HeadersOnly:
        storage.assign(original.data, original.data + std::min(original.size, kHeaderOnlyBytes));
        break;
    case Damage::CutInHalf:
        storage.assign(original.data, original.data + original.size / 2);
        break;
    case Damage::MaskOfAnotherSize: {
        const Stream clouds = builtIn("CLOUDS_MASK");
        storage.assign(clouds.data, clouds.data + clouds.size);
        break;
    }
    }
    Stream stream;
    stream.data = storage.data();
    stream.size = static_cast<uint32_t>(storage.size());
    return stream;
}

GLuint textureOf(const SceneTextures& textures, Picture picture)
{
    switch (picture) {
    case Picture::Sheet:
        return textures.spriteSheet.textureName;
    case Picture::Clouds:
        return textures.clouds.textureName;
    case Picture::Logo:
        return textures.logo.textureName;
    }
    return 0;
}

bool spritesFinite(const SpriteScene& scene)
{
    for (int32_t i = 0; i < kSpriteCount; ++i) {
        const Sprite& s = scene.sprites[i];
        const float values[] = {s.position.x, s.position.y, s.velocity.x, s.velocity.y, s.age,
                                s.rotation,   s.cellU,      s.cellV,      s.cellWidth,  s.cellHeight};
        for (float value : values) {
            if (!std::isfinite(value)) {
                return false;
            }
        }
    }
    return true;
}

bool anyLitPixel(const std::vector<uint8_t>& rgba)
{
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        if (rgba[i] != 0 || rgba[i + 1] != 0 || rgba[i + 2] != 0) {
            return true;
        }
    }
    return false;
}

class PictureFault : public ::testing::Test {
protected:
    void TearDown() override { platformClearResourceOverrides(); }
};

TEST_F(PictureFault, TheSaverRunsWithoutTheDamagedPicture)
{
    for (const FaultCase& testCase : kCases) {
        SCOPED_TRACE(testCase.title);
        platformClearResourceOverrides();
        ASSERT_TRUE(installIntactPictures());
        std::vector<unsigned char> storage;
        const Stream stream = damaged(testCase, storage);
        ASSERT_TRUE(platformOverrideResource(testCase.resource, stream.data, stream.size));

        RendererHarness harness(kPixels, kPixels);
        ASSERT_NE(harness.renderer, nullptr) << "no OpenGL context";
        const SpriteScene& scene = *harness.renderer->scene;
        ASSERT_NE(scene.textures, nullptr);
        ASSERT_NE(scene.sprites, nullptr);

        const Picture pictures[] = {Picture::Sheet, Picture::Clouds, Picture::Logo};
        for (Picture picture : pictures) {
            const GLuint name = textureOf(*scene.textures, picture);
            if (picture != testCase.picture) {
                EXPECT_NE(name, 0u) << "an intact picture did not load";
            } else if (testCase.texture == Texture::Absent) {
                EXPECT_EQ(name, 0u) << "the damaged picture made a texture";
            }
        }

        for (int frame = 0; frame < kFrames; ++frame) {
            harness.frameAtMs(frame * kFrameMs);
            ASSERT_TRUE(spritesFinite(scene)) << "frame " << frame;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_TRUE(anyLitPixel(harness.context.readPixels())) << "the frame stayed black";
    }
}

}  // namespace
