// UploadTexture against real OpenGL: the format per bits per pixel, the
// parameters, the mipmap chain, the texture environment, the binding, and
// what happens to the record.
#include "images/TextureUpload.h"
#include "tests/images/PictureCheck.h"
#include "tests/support/GlContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

const int kContextSize = 16;
// Powers of two come through unchanged; other sides are rescaled by the
// mipmap builder, which rounds a little differently from gluScaleImage.
const double kLevelZeroTolerance = 1.0;

// A record with a malloc'ed buffer of a recognisable pattern, big enough for
// whatever the format reads (at least four bytes a pixel).
TextureImage patternRecord(int32_t bitsPerPixel, uint32_t width, uint32_t height)
{
    TextureImage image;
    std::memset(&image, 0, sizeof(image));
    const size_t bytesPerPixel = std::max<size_t>(4, static_cast<size_t>(std::max(bitsPerPixel, 0)) / 8);
    const size_t size = bytesPerPixel * width * height;
    image.pixels = static_cast<unsigned char*>(std::malloc(size));
    for (size_t i = 0; i < size; ++i) {
        image.pixels[i] = static_cast<unsigned char>((i * 37u + 11u) & 0xFF);
    }
    image.bitsPerPixel = bitsPerPixel;
    image.width = width;
    image.height = height;
    return image;
}

GLint levelParameter(int level, GLenum name)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

GLint textureParameter(GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

struct TextureUpload : testing::Test {
    TestGlContext gl{kContextSize, kContextSize};
    void SetUp() override { ASSERT_TRUE(gl.ready); }
};

TEST_F(TextureUpload, FormatFollowsBitsPerPixel)
{
    struct Case {
        int32_t bitsPerPixel;
        GLint internalFormat;
    };
    const Case cases[] = {
        {8, GL_ALPHA}, {16, GL_ALPHA}, {24, GL_RGB}, {32, GL_RGBA}, {0, GL_RGBA}, {12, GL_RGBA}, {40, GL_RGBA},
    };
    for (const Case& c : cases) {
        TextureImage image = patternRecord(c.bitsPerPixel, 8, 4);
        EXPECT_TRUE(UploadTexture(image));
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), c.internalFormat) << c.bitsPerPixel << " bits";
        glDeleteTextures(1, &image.textureName);
    }
}

TEST_F(TextureUpload, ParametersChainBindingAndRecord)
{
    struct Case {
        int32_t bitsPerPixel;
        uint32_t width;
        uint32_t height;
        GLenum format;
    };
    // Power-of-two sides like the built-in pictures, and odd ones whose rows
    // are not a multiple of four bytes long.
    const Case cases[] = {
        {32, 64, 32, GL_RGBA}, {8, 128, 16, GL_ALPHA}, {24, 16, 64, GL_RGB}, {24, 45, 30, GL_RGB}, {8, 37, 21, GL_ALPHA},
    };
    GLuint previous = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bitsPerPixel << " bits, " << c.width << "x" << c.height);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        TextureImage image = patternRecord(c.bitsPerPixel, c.width, c.height);
        const size_t bytesPerPixel = c.format == GL_ALPHA ? 1 : (c.format == GL_RGB ? 3 : 4);
        const std::vector<uint8_t> original(image.pixels, image.pixels + bytesPerPixel * c.width * c.height);

        EXPECT_TRUE(UploadTexture(image));
        EXPECT_NE(image.textureName, 0u);
        EXPECT_NE(image.textureName, previous);
        EXPECT_EQ(image.pixels, nullptr) << "pixels not released";
        EXPECT_EQ(image.bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);

        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), image.textureName) << "last texture not left bound";
        GLint mode = 0;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        EXPECT_EQ(mode, GL_MODULATE);
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 4);

        EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
        EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
        EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);

        // Level 0 holds the pixels, read row by row with no padding.
        EXPECT_LE(meanDifference(readBoundTexture(c.format, 0), expectedLevelZero(original, c.width, c.height, c.format)),
                  kLevelZeroTolerance)
            << "level 0 differs from the pixels";
        // A complete chain: each level halves down to 1 x 1, then no more.
        GLint width = levelParameter(0, GL_TEXTURE_WIDTH);
        GLint height = levelParameter(0, GL_TEXTURE_HEIGHT);
        ASSERT_GT(width, 0);
        ASSERT_GT(height, 0);
        int level = 0;
        while (width > 1 || height > 1) {
            ++level;
            width = std::max(1, width / 2);
            height = std::max(1, height / 2);
            EXPECT_EQ(levelParameter(level, GL_TEXTURE_WIDTH), width) << "level " << level;
            EXPECT_EQ(levelParameter(level, GL_TEXTURE_HEIGHT), height) << "level " << level;
        }
        EXPECT_EQ(levelParameter(level + 1, GL_TEXTURE_WIDTH), 0) << "level past 1 x 1";
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

        if (previous != 0) {
            glDeleteTextures(1, &previous);
        }
        previous = image.textureName;
    }
    glDeleteTextures(1, &previous);
}

}  // namespace
