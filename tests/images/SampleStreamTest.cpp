// Good and broken streams from samples/, served to the loaders through the
// resource seam: each either decodes to what plain libjpeg makes of the same
// bytes, or fails with the record as the loaders promise and the library's
// messages, one line each, on standard error.
#include "images/JpegLoader.h"
#include "platform/Platform.h"
#include "tests/images/PictureCheck.h"
#include "tests/support/GlContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

const char kColourName[] = "SAMPLE_COLOUR";
const char kMaskName[] = "SAMPLE_MASK";
const char kGoodColour[] = "colour_45x30.jpg";
const char kGoodMask[] = "mask_45x30.jpg";
const int kContextSize = 16;
// Sides that are not powers of two are rescaled by the mipmap builder, whose
// filter rounds a little differently from gluScaleImage; rows read skewed or
// in the wrong order would differ by tens.
const double kLevelZeroTolerance = 1.0;

// Values a loader never writes, to tell an untouched record from a written one.
const int32_t kUntouchedBitsPerPixel = -7;
const uint32_t kUntouchedWidth = 3;
const uint32_t kUntouchedHeight = 5;

enum class Role {
    Single,  // through LoadJpegTexture
    Colour,  // the pair's colour picture, with the good mask
    Mask,    // the pair's mask, with the good colour picture
};

enum class Outcome {
    Loads,
    FailsUntouched,     // false, the record as it was
    FailsColourOnly,    // false, the record holds the colour picture with alpha 0
};

struct SampleCase {
    const char* file;
    Role role;
    Outcome outcome;
    int messageLines;
};

const SampleCase kCases[] = {
    {"colour_45x30.jpg", Role::Single, Outcome::Loads, 0},
    {"progressive_45x30.jpg", Role::Single, Outcome::Loads, 0},
    {"cmyk_45x30.jpg", Role::Single, Outcome::Loads, 0},
    {"mask_45x30.jpg", Role::Single, Outcome::Loads, 0},
    {"grey_37x21.jpg", Role::Single, Outcome::Loads, 0},
    {"truncated_after_sos.jpg", Role::Single, Outcome::Loads, 1},
    {"truncated_half.jpg", Role::Single, Outcome::Loads, 1},
    {"missing_eoi.jpg", Role::Single, Outcome::Loads, 1},
    {"corrupt_scan.jpg", Role::Single, Outcome::Loads, 1},
    {"truncated_soi.jpg", Role::Single, Outcome::FailsUntouched, 2},
    {"truncated_header.jpg", Role::Single, Outcome::FailsUntouched, 2},
    {"app_length_past_end.jpg", Role::Single, Outcome::FailsUntouched, 2},
    {"garbage.bin", Role::Single, Outcome::FailsUntouched, 1},
    {"image.png", Role::Single, Outcome::FailsUntouched, 1},
    {"empty.jpg", Role::Single, Outcome::FailsUntouched, 0},
    {"precision12.jpg", Role::Single, Outcome::FailsUntouched, 1},
    {"huge_dimensions.jpg", Role::Single, Outcome::FailsUntouched, 0},
    {"huge_progressive.jpg", Role::Single, Outcome::FailsUntouched, 0},

    {"colour_45x30.jpg", Role::Colour, Outcome::Loads, 0},
    {"progressive_45x30.jpg", Role::Colour, Outcome::Loads, 0},
    {"truncated_half.jpg", Role::Colour, Outcome::Loads, 1},
    {"mask_45x30.jpg", Role::Colour, Outcome::FailsUntouched, 0},
    {"cmyk_45x30.jpg", Role::Colour, Outcome::FailsUntouched, 0},
    {"garbage.bin", Role::Colour, Outcome::FailsUntouched, 1},
    {"empty.jpg", Role::Colour, Outcome::FailsUntouched, 0},
    {"huge_dimensions.jpg", Role::Colour, Outcome::FailsUntouched, 0},
    {"huge_progressive.jpg", Role::Colour, Outcome::FailsUntouched, 0},
    {"huge_progressive.jpg", Role::Mask, Outcome::FailsColourOnly, 0},

    {"mask_45x30.jpg", Role::Mask, Outcome::Loads, 0},
    {"mask_64x32.jpg", Role::Mask, Outcome::FailsColourOnly, 0},
    {"grey_37x21.jpg", Role::Mask, Outcome::FailsColourOnly, 0},
    {"colour_45x30.jpg", Role::Mask, Outcome::FailsColourOnly, 0},
    {"truncated_soi.jpg", Role::Mask, Outcome::FailsColourOnly, 2},
    {"image.png", Role::Mask, Outcome::FailsColourOnly, 1},
    {"empty.jpg", Role::Mask, Outcome::FailsColourOnly, 0},
};

TextureImage untouchedRecord()
{
    TextureImage image;
    std::memset(&image, 0, sizeof(image));
    image.bitsPerPixel = kUntouchedBitsPerPixel;
    image.width = kUntouchedWidth;
    image.height = kUntouchedHeight;
    return image;
}

bool runLoader(Role role, TextureImage& image)
{
    if (role == Role::Single) {
        return LoadJpegTexture(image, kColourName);
    }
    return LoadJpegTextureWithMask(image, kColourName, kMaskName);
}

// Frees whatever the record still owns, as the scene does.
void release(TextureImage& image)
{
    if (image.textureName != 0) {
        glDeleteTextures(1, &image.textureName);
    }
    std::free(image.pixels);
    image.pixels = nullptr;
}

struct SampleStreams : testing::Test {
    TestGlContext gl{kContextSize, kContextSize};
    SampleFile goodColour = readSample(kGoodColour);
    SampleFile goodMask = readSample(kGoodMask);

    void SetUp() override
    {
        ASSERT_TRUE(gl.ready);
        ASSERT_TRUE(goodColour.found && goodMask.found);
    }
    void TearDown() override { platformClearResourceOverrides(); }

    // Serves `sample` under the name its role reads, the good partner under
    // the other.
    void serve(Role role, const SampleFile& sample)
    {
        const SampleFile& colour = role == Role::Mask ? goodColour : sample;
        const SampleFile& mask = role == Role::Mask ? sample : goodMask;
        platformOverrideResource(kColourName, colour.bytes.data(), static_cast<uint32_t>(colour.bytes.size()));
        platformOverrideResource(kMaskName, mask.bytes.data(), static_cast<uint32_t>(mask.bytes.size()));
    }
};

void expectLoaded(Role role, const TextureImage& image, const PlainPicture& colour, const PlainPicture& mask)
{
    const PlainPicture& single = colour;
    EXPECT_NE(image.textureName, 0u);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, single.width);
    EXPECT_EQ(image.height, single.height);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), image.textureName);
    if (role == Role::Single) {
        EXPECT_EQ(image.bitsPerPixel, single.components * 8);
        const GLenum format = single.components == 1 ? GL_ALPHA : (single.components == 3 ? GL_RGB : GL_RGBA);
        EXPECT_LE(meanDifference(readBoundTexture(format, 0),
                                 expectedLevelZero(single.samples, single.width, single.height, format)),
                  kLevelZeroTolerance)
            << "texture differs from the plain decode";
    } else {
        EXPECT_EQ(image.bitsPerPixel, 32);
        EXPECT_LE(meanDifference(readBoundTexture(GL_RGBA, 0), expectedLevelZero(joinColourAndMask(colour, mask),
                                                                                  colour.width, colour.height, GL_RGBA)),
                  kLevelZeroTolerance)
            << "texture differs from the plain decodes joined";
    }
}

void expectColourOnly(const TextureImage& image, const PlainPicture& colour)
{
    EXPECT_EQ(image.textureName, 0u);
    EXPECT_EQ(image.width, colour.width);
    EXPECT_EQ(image.height, colour.height);
    EXPECT_EQ(image.bitsPerPixel, 32);
    ASSERT_NE(image.pixels, nullptr);
    PlainPicture noMask;
    noMask.samples.assign(static_cast<size_t>(colour.width) * colour.height, 0);
    const std::vector<uint8_t> expected = joinColourAndMask(colour, noMask);
    EXPECT_EQ(std::memcmp(image.pixels, expected.data(), expected.size()), 0);
}

TEST_F(SampleStreams, EachDecodesOrFailsCleanly)
{
    const PlainPicture plainGoodColour = decodePlain(goodColour.bytes);
    const PlainPicture plainGoodMask = decodePlain(goodMask.bytes);
    for (const SampleCase& c : kCases) {
        SCOPED_TRACE(std::string(c.file) + (c.role == Role::Single ? " alone" : (c.role == Role::Colour ? " as colour" : " as mask")));
        const SampleFile sample = readSample(c.file);
        ASSERT_TRUE(sample.found);
        serve(c.role, sample);
        TextureImage image = untouchedRecord();

        StderrLines messages;
        const bool loaded = runLoader(c.role, image);
        EXPECT_EQ(messages.lines(), c.messageLines) << messages.text;
        EXPECT_EQ(loaded, c.outcome == Outcome::Loads);

        switch (c.outcome) {
        case Outcome::Loads: {
            const PlainPicture plainSample = decodePlain(sample.bytes);
            ASSERT_TRUE(plainSample.decoded);
            if (c.role == Role::Mask) {
                expectLoaded(c.role, image, plainGoodColour, plainSample);
            } else {
                expectLoaded(c.role, image, plainSample, plainGoodMask);
            }
            break;
        }
        case Outcome::FailsUntouched:
            EXPECT_EQ(image.textureName, 0u);
            EXPECT_EQ(image.pixels, nullptr);
            EXPECT_EQ(image.bitsPerPixel, kUntouchedBitsPerPixel);
            EXPECT_EQ(image.width, kUntouchedWidth);
            EXPECT_EQ(image.height, kUntouchedHeight);
            break;
        case Outcome::FailsColourOnly:
            expectColourOnly(image, plainGoodColour);
            break;
        }
        release(image);
    }
}

TEST_F(SampleStreams, EveryTruncationFailsCleanlyOrKeepsTheSize)
{
    // Every prefix of the good pictures, each in a block of exactly its size.
    struct Sweep {
        const SampleFile* sample;
        Role role;
    };
    const Sweep sweeps[] = {{&goodColour, Role::Single}, {&goodColour, Role::Colour}, {&goodMask, Role::Mask}};
    for (const Sweep& sweep : sweeps) {
        const std::vector<uint8_t>& whole = sweep.sample->bytes;
        for (size_t length = 0; length <= whole.size(); ++length) {
            SampleFile prefix;
            prefix.found = true;
            prefix.bytes.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            serve(sweep.role, prefix);
            TextureImage image = untouchedRecord();
            StderrLines messages;
            const bool loaded = runLoader(sweep.role, image);
            const int lines = messages.lines();
            EXPECT_LE(lines, 2) << "length " << length << ": " << messages.text;
            if (loaded) {
                EXPECT_NE(image.textureName, 0u) << "length " << length;
                EXPECT_EQ(image.pixels, nullptr) << "length " << length;
                EXPECT_EQ(image.width, 45u) << "length " << length;
                EXPECT_EQ(image.height, 30u) << "length " << length;
            } else {
                EXPECT_EQ(image.textureName, 0u) << "length " << length;
            }
            release(image);
        }
    }
}

TEST_F(SampleStreams, MissingNamesLeaveTheRecordAlone)
{
    StderrLines messages;
    for (Role role : {Role::Single, Role::Colour}) {
        TextureImage image = untouchedRecord();
        EXPECT_FALSE(runLoader(role, image));
        EXPECT_EQ(image.textureName, 0u);
        EXPECT_EQ(image.pixels, nullptr);
        EXPECT_EQ(image.bitsPerPixel, kUntouchedBitsPerPixel);
        EXPECT_EQ(image.width, kUntouchedWidth);
        EXPECT_EQ(image.height, kUntouchedHeight);
    }
    EXPECT_EQ(messages.lines(), 0) << messages.text;
}

}  // namespace
