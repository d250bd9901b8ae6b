// The four pictures built into the program, found by name as the scene finds
// them (natively linked in, under Wine in the test program's own resources).
#include "images/JpegLoader.h"
#include "platform/Platform.h"
#include "tests/images/PictureCheck.h"
#include "tests/support/GlContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const int kContextSize = 16;
const uint32_t kSheetWidth = 1024;
const uint32_t kSheetHeight = 512;
const uint32_t kCloudWidth = 1024;
const uint32_t kCloudHeight = 256;
const uint32_t kLogoWidth = 256;
const uint32_t kLogoHeight = 64;
const uint32_t kCell = 96;
const int kCellsPerRow = 9;
const int kPictureCount = 42;

// Largest sample allowed where a picture must be black (JPEG rounding).
const int kBlackTolerance = 6;
// A disc's middle must be clearly lit and its mask fully opaque.
const double kLitMean = 40.0;
const int kOpaqueMask = 250;
// The step across a wrap may be at most this many times the typical step
// between neighbours inside the picture.
const double kSeamFactor = 1.5;
// Horizontal and vertical roughness agree this closely when features are
// round.
const double kRoundnessRatio = 1.35;
// The logo's lettering stays this far inside the picture's edges.
const uint32_t kLogoFrame = 3;

PlainPicture plainResource(const char* name)
{
    const unsigned char* data = nullptr;
    uint32_t size = 0;
    if (!platformFindResource(name, &data, &size)) {
        return PlainPicture();
    }
    return decodePlain(data, size);
}

bool insidePictureCell(uint32_t x, uint32_t y)
{
    const uint32_t column = x / kCell;
    const uint32_t row = y / kCell;
    return column < static_cast<uint32_t>(kCellsPerRow) &&
           static_cast<int>(row * kCellsPerRow + column) < kPictureCount;
}

struct BuiltinPictures : testing::Test {
    TestGlContext gl{kContextSize, kContextSize};
    void SetUp() override { ASSERT_TRUE(gl.ready); }
};

TEST_F(BuiltinPictures, StreamsAreBaselineWithTheirSizesAndComponents)
{
    struct Case {
        const char* name;
        uint32_t width;
        uint32_t height;
        int components;
    };
    const Case cases[] = {
        {"JPEG_PELLIX_RGB", kSheetWidth, kSheetHeight, 3},
        {"JPEG_PELLIX_MASK", kSheetWidth, kSheetHeight, 1},
        {"CLOUDS_MASK", kCloudWidth, kCloudHeight, 1},
        {"LOGO_MASK", kLogoWidth, kLogoHeight, 1},
    };
    for (const Case& c : cases) {
        StderrLines messages;
        const PlainPicture picture = plainResource(c.name);
        ASSERT_TRUE(picture.decoded) << c.name;
        EXPECT_FALSE(picture.progressive) << c.name;
        EXPECT_EQ(picture.width, c.width) << c.name;
        EXPECT_EQ(picture.height, c.height) << c.name;
        EXPECT_EQ(picture.components, c.components) << c.name;
        EXPECT_EQ(messages.lines(), 0) << c.name << " is not complete: " << messages.text;
    }
}

TEST_F(BuiltinPictures, SpriteSheetJoinsColourAndMask)
{
    const PlainPicture colour = plainResource("JPEG_PELLIX_RGB");
    const PlainPicture mask = plainResource("JPEG_PELLIX_MASK");
    ASSERT_TRUE(colour.decoded && mask.decoded);

    TextureImage sheet{};
    StderrLines messages;
    ASSERT_TRUE(LoadJpegTextureWithMask(sheet, "JPEG_PELLIX_RGB", "JPEG_PELLIX_MASK"));
    EXPECT_EQ(messages.lines(), 0) << messages.text;
    EXPECT_EQ(sheet.width, kSheetWidth);
    EXPECT_EQ(sheet.height, kSheetHeight);
    EXPECT_EQ(sheet.bitsPerPixel, 32);
    EXPECT_EQ(sheet.pixels, nullptr);
    ASSERT_NE(sheet.textureName, 0u);

    const std::vector<uint8_t> texture = readBoundTexture(GL_RGBA, 0);
    ASSERT_EQ(texture.size(), size_t(kSheetWidth) * kSheetHeight * 4);
    EXPECT_TRUE(texture == joinColourAndMask(colour, mask)) << "RGB from the sheet, alpha from the mask";

    // The cells hold their pictures where the rows of 9, 9, 9, 9 and 6 say;
    // everything else is black and transparent. With the picture upside
    // down the empty end of the last row would be at the top.
    for (int cell = 0; cell < kPictureCount; ++cell) {
        const uint32_t left = (cell % kCellsPerRow) * kCell;
        const uint32_t top = (cell / kCellsPerRow) * kCell;
        double sum = 0.0;
        int count = 0;
        for (uint32_t y = top + kCell / 4; y < top + 3 * kCell / 4; ++y) {
            for (uint32_t x = left + kCell / 4; x < left + 3 * kCell / 4; ++x) {
                const uint8_t* p = &texture[(size_t(y) * kSheetWidth + x) * 4];
                sum += (p[0] + p[1] + p[2]) / 3.0;
                ++count;
                EXPECT_GE(p[3], kOpaqueMask) << "cell " << cell << " at " << x << "," << y;
                if (p[3] < kOpaqueMask) {
                    return;
                }
            }
        }
        EXPECT_GT(sum / count, kLitMean) << "cell " << cell << " is empty";
    }
    int strays = 0;
    for (uint32_t y = 0; y < kSheetHeight; ++y) {
        for (uint32_t x = 0; x < kSheetWidth; ++x) {
            const uint8_t* p = &texture[(size_t(y) * kSheetWidth + x) * 4];
            const bool black = p[0] <= kBlackTolerance && p[1] <= kBlackTolerance && p[2] <= kBlackTolerance &&
                               p[3] <= kBlackTolerance;
            if (!insidePictureCell(x, y) && !black) {
                ++strays;
            }
        }
    }
    EXPECT_EQ(strays, 0) << "pixels outside the 42 cells are not black";
    glDeleteTextures(1, &sheet.textureName);
}

TEST_F(BuiltinPictures, SheetWithoutItsMaskKeepsTheColourAndNoTexture)
{
    const PlainPicture colour = plainResource("JPEG_PELLIX_RGB");
    ASSERT_TRUE(colour.decoded);
    TextureImage sheet{};
    StderrLines messages;
    EXPECT_FALSE(LoadJpegTextureWithMask(sheet, "JPEG_PELLIX_RGB", "NO_SUCH_MASK"));
    EXPECT_EQ(messages.lines(), 0) << messages.text;
    EXPECT_EQ(sheet.textureName, 0u);
    EXPECT_EQ(sheet.width, kSheetWidth);
    EXPECT_EQ(sheet.height, kSheetHeight);
    EXPECT_EQ(sheet.bitsPerPixel, 32);
    ASSERT_NE(sheet.pixels, nullptr);
    PlainPicture noMask;
    noMask.samples.assign(size_t(kSheetWidth) * kSheetHeight, 0);
    const std::vector<uint8_t> expected = joinColourAndMask(colour, noMask);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sheet.pixels)) << "colour bytes with alpha 0";
    std::free(sheet.pixels);
}

TEST_F(BuiltinPictures, DiscMasksAreRoundWithSoftEdges)
{
    const PlainPicture mask = plainResource("JPEG_PELLIX_MASK");
    ASSERT_TRUE(mask.decoded);
    // Along a row through each disc's centre the mask rises from black to
    // white within a few pixels, and falls again symmetrically.
    for (int cell = 0; cell < kPictureCount; ++cell) {
        const uint32_t left = (cell % kCellsPerRow) * kCell;
        const uint32_t centreRow = (cell / kCellsPerRow) * kCell + kCell / 2;
        const uint8_t* row = &mask.samples[size_t(centreRow) * kSheetWidth + left];
        uint32_t firstLit = kCell;
        uint32_t lastLit = 0;
        uint32_t firstOpaque = kCell;
        for (uint32_t x = 0; x < kCell; ++x) {
            if (row[x] > kBlackTolerance) {
                firstLit = std::min(firstLit, x);
                lastLit = x;
            }
            if (row[x] >= kOpaqueMask) {
                firstOpaque = std::min(firstOpaque, x);
            }
        }
        EXPECT_LT(firstLit, firstOpaque) << "cell " << cell << ": no soft edge";
        EXPECT_LE(firstOpaque - firstLit, 4u) << "cell " << cell << ": edge too wide";
        EXPECT_NEAR(double(firstLit + lastLit) / 2.0, kCell / 2.0 - 0.5, 1.0) << "cell " << cell << " off centre";
        EXPECT_NEAR(double(lastLit - firstLit + 1), 90.0, 4.0) << "cell " << cell << ": disc not about 90 px";
    }
}

// Mean absolute step between horizontal (or vertical) neighbours, and the
// mean step across the wrap from the last column (row) to the first.
struct Steps {
    double inside = 0.0;
    double acrossWrap = 0.0;
};

Steps stepsAlong(const std::vector<uint8_t>& grey, uint32_t width, uint32_t height, bool horizontal)
{
    Steps steps;
    const uint32_t length = horizontal ? width : height;
    const uint32_t lines = horizontal ? height : width;
    auto at = [&](uint32_t along, uint32_t line) {
        return horizontal ? grey[size_t(line) * width + along] : grey[size_t(along) * width + line];
    };
    double inside = 0.0;
    double wrap = 0.0;
    for (uint32_t line = 0; line < lines; ++line) {
        for (uint32_t along = 0; along + 1 < length; ++along) {
            inside += std::abs(int(at(along + 1, line)) - int(at(along, line)));
        }
        wrap += std::abs(int(at(0, line)) - int(at(length - 1, line)));
    }
    steps.inside = inside / (double(lines) * (length - 1));
    steps.acrossWrap = wrap / lines;
    return steps;
}

TEST_F(BuiltinPictures, CloudsTileSeamlesslyWithRoundFeatures)
{
    TextureImage clouds{};
    ASSERT_TRUE(LoadJpegTexture(clouds, "CLOUDS_MASK"));
    EXPECT_EQ(clouds.width, kCloudWidth);
    EXPECT_EQ(clouds.height, kCloudHeight);
    EXPECT_EQ(clouds.bitsPerPixel, 8);
    const std::vector<uint8_t> grey = readBoundTexture(GL_ALPHA, 0);
    ASSERT_EQ(grey.size(), size_t(kCloudWidth) * kCloudHeight);
    EXPECT_TRUE(grey == plainResource("CLOUDS_MASK").samples);

    const Steps across = stepsAlong(grey, kCloudWidth, kCloudHeight, true);
    const Steps down = stepsAlong(grey, kCloudWidth, kCloudHeight, false);
    EXPECT_LE(across.acrossWrap, kSeamFactor * across.inside) << "seam where u wraps";
    EXPECT_LE(down.acrossWrap, kSeamFactor * down.inside) << "seam where v wraps";
    EXPECT_LT(across.inside / down.inside, kRoundnessRatio) << "features stretched";
    EXPECT_LT(down.inside / across.inside, kRoundnessRatio) << "features stretched";

    // Light and dark patches, not a flat wash.
    int dark = 0;
    int light = 0;
    for (uint8_t sample : grey) {
        dark += sample < 64 ? 1 : 0;
        light += sample > 192 ? 1 : 0;
    }
    EXPECT_GT(dark, int(grey.size() / 20));
    EXPECT_GT(light, int(grey.size() / 20));
    glDeleteTextures(1, &clouds.textureName);
}

TEST_F(BuiltinPictures, LogoLetteringStaysInsideItsFrame)
{
    TextureImage logo{};
    ASSERT_TRUE(LoadJpegTexture(logo, "LOGO_MASK"));
    EXPECT_EQ(logo.width, kLogoWidth);
    EXPECT_EQ(logo.height, kLogoHeight);
    EXPECT_EQ(logo.bitsPerPixel, 8);
    const std::vector<uint8_t> grey = readBoundTexture(GL_ALPHA, 0);
    ASSERT_EQ(grey.size(), size_t(kLogoWidth) * kLogoHeight);

    uint32_t left = kLogoWidth;
    uint32_t right = 0;
    uint32_t top = kLogoHeight;
    uint32_t bottom = 0;
    int white = 0;
    for (uint32_t y = 0; y < kLogoHeight; ++y) {
        for (uint32_t x = 0; x < kLogoWidth; ++x) {
            const uint8_t sample = grey[size_t(y) * kLogoWidth + x];
            white += sample > 240 ? 1 : 0;
            if (sample > kBlackTolerance * 4) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_GE(left, kLogoFrame);
    EXPECT_GE(top, kLogoFrame);
    EXPECT_LT(right, kLogoWidth - kLogoFrame);
    EXPECT_LT(bottom, kLogoHeight - kLogoFrame);
    EXPECT_GT(right - left, kLogoWidth * 3 / 4) << "lettering too narrow";
    EXPECT_GT(bottom - top, kLogoHeight / 2) << "lettering too low";
    EXPECT_GT(white, 1000) << "no bold white lettering";

    // Upright: the P's bowl puts more of its ink in the upper half of the
    // first letter than in the lower.
    const uint32_t firstLetterEnd = left + (right - left) / 7;
    const uint32_t middle = (top + bottom) / 2;
    long upper = 0;
    long lower = 0;
    for (uint32_t y = top; y <= bottom; ++y) {
        for (uint32_t x = left; x <= firstLetterEnd; ++x) {
            (y < middle ? upper : lower) += grey[size_t(y) * kLogoWidth + x];
        }
    }
    EXPECT_GT(upper, lower + lower / 4) << "logo upside down";
    glDeleteTextures(1, &logo.textureName);
}

}  // namespace
