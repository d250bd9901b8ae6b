#include "tests/scene/SceneRig.h"

#include "common/Gl.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

const int kWidth = 640;
const int kHeight = 480;
const double kPi = 3.14159265358979;
// Distances from the camera to the gradient plane, the cloud and logo plane
// and the sprite plane; with a 90 degree view the visible half-height at a
// plane is its distance.
const double kGradientDistance = 15.5;
const double kCloudDistance = 5.5;
const double kSpriteDistance = 4.5;
// Levels of difference allowed between a probe and its expected colour
// (rasterisation and the test pictures' JPEG coding).
const int kLevelTolerance = 4;

// Alpha of the test cloud picture in its four quarters along u; each layer
// is known by the quarters its window shows.
const unsigned char kCloudQuarterAlpha[4] = {255, 128, 64, 0};

struct Rgb {
    double r;
    double g;
    double b;
};

Rgb mix(const Rgb& under, const Rgb& over, double alpha)
{
    return {under.r * (1 - alpha) + over.r * alpha, under.g * (1 - alpha) + over.g * alpha,
            under.b * (1 - alpha) + over.b * alpha};
}

struct ScreenPoint {
    int column;
    int row;
};

// The plane point seen through a pixel centre at `distance` from the camera.
void planePoint(const ScreenPoint& p, double distance, double& x, double& y)
{
    const double aspect = static_cast<double>(kWidth) / kHeight;
    x = ((p.column + 0.5) / kWidth * 2 - 1) * distance * aspect;
    y = (1 - (p.row + 0.5) / kHeight * 2) * distance;
}

// The gradient's colour at a pixel: dark blue at y' = 32 in the turned
// square, light blue at y' = -32.
Rgb expectedGradient(const ScreenPoint& p, double t)
{
    double x;
    double y;
    planePoint(p, kGradientDistance, x, y);
    const double gradientTurn = t * 8 * kPi / 180;
    const double along = -x * std::sin(gradientTurn) + y * std::cos(gradientTurn);
    const double f = (32 - along) / 64;
    return {0.5 * f, 0.5 * f, 0.25 + 0.75 * f};
}

// What the backdrop should show at a pixel, worked out from its
// description; false when the pixel lies too close to an edge of the
// test pictures to be probed.
bool expectedBackdrop(const ScreenPoint& p, double t, Rgb& colour)
{
    colour = expectedGradient(p, t);
    double x;
    double y;
    planePoint(p, kCloudDistance, x, y);
    const double s = 7.75 * static_cast<double>(kWidth) / kHeight;
    const double cloudTurn = -t * 1.5 * kPi / 180;
    const double qx = (x * std::cos(cloudTurn) - y * std::sin(cloudTurn)) / s;
    const double cycle = t * 0.2;
    const double phases[2] = {cycle - std::trunc(cycle), cycle + 0.5 - std::trunc(cycle + 0.5)};
    const double centres[2] = {0.5, 1.0};
    for (int layer = 0; layer < 2; ++layer) {
        const double phase = phases[layer];
        const double alpha = phase < 0.5 ? 2 * phase : 2 - 2 * phase;
        const double zoom = std::pow(2.0, 1 - 2 * phase);
        const double u = centres[layer] - 0.125 * zoom + (qx + 1) / 2 * 0.25 * zoom;
        const double wrapped = u - std::floor(u);
        const double quarter = wrapped * 4;
        const double fromEdge = std::fabs(quarter - std::round(quarter));
        if (alpha > 0.01 && fromEdge < 0.05) {
            return false;
        }
        const double texel = kCloudQuarterAlpha[static_cast<int>(quarter) % 4] / 255.0;
        colour = mix(colour, {1, 1, 1}, alpha * texel);
    }

    const double lx = x - 5.2;
    const double ly = y + 5.1;
    const double margin = 0.05;
    if (std::fabs(std::fabs(lx) - 2) < margin || std::fabs(std::fabs(ly) - 0.32) < margin) {
        if (std::fabs(lx) < 2 + margin && std::fabs(ly) < 0.32 + margin) {
            return false;
        }
    }
    if (std::fabs(lx) < 2 && std::fabs(ly) < 0.32) {
        const double k = (std::cos(t * 0.1) + 1) * 0.5;
        colour = mix(colour, {k, k, 1 - k}, 0.1);
    }
    return true;
}

const uint8_t* pixelAt(const std::vector<uint8_t>& image, int column, int row, int width)
{
    return &image[(static_cast<size_t>(row) * width + column) * 4];
}

std::string describe(const uint8_t* pixel)
{
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d)", pixel[0], pixel[1], pixel[2]);
    return text;
}

bool closeTo(const uint8_t* pixel, const Rgb& expected)
{
    const double channels[3] = {expected.r, expected.g, expected.b};
    for (int c = 0; c < 3; ++c) {
        if (std::fabs(pixel[c] - channels[c] * 255) > kLevelTolerance) {
            return false;
        }
    }
    return true;
}

void saveForInspection(const std::vector<uint8_t>& image, const char* name, int width, int height)
{
    const std::string path = std::string(::testing::TempDir()) + name;
    if (writePpm(path.c_str(), image, width, height)) {
        std::printf("frame written to %s\n", path.c_str());
    }
}

ScenePictureSet backdropPictures()
{
    ScenePictureSet set = plainScenePictures();
    TestPicture clouds(1024, 256, 1, 0);
    for (int quarter = 0; quarter < 4; ++quarter) {
        clouds.fillRect(quarter * 256, 0, 256, 256, &kCloudQuarterAlpha[quarter]);
    }
    set.clouds = clouds.encodeJpeg();
    return set;
}

// Picture 10 (column 1, row 1) in four flat quadrants; every other cell
// transparent.
const int kProbePicture = 10;
const unsigned char kQuadrantColours[4][3] = {
    {255, 0, 0},     // top left
    {0, 255, 0},     // top right
    {0, 0, 255},     // bottom left
    {255, 255, 255}, // bottom right
};

ScenePictureSet spritePictures()
{
    ScenePictureSet set = plainScenePictures();
    TestPicture colour(1024, 512, 3, 0);
    TestPicture mask(1024, 512, 1, 0);
    const int left = (kProbePicture % kCellsPerRow) * kCellPixels;
    const int top = (kProbePicture / kCellsPerRow) * kCellPixels;
    const int half = kCellPixels / 2;
    for (int q = 0; q < 4; ++q) {
        colour.fillRect(left + (q % 2) * half, top + (q / 2) * half, half, half, kQuadrantColours[q]);
    }
    const unsigned char opaque = 255;
    mask.fillRect(left, top, kCellPixels, kCellPixels, &opaque);
    set.sheetColour = colour.encodeJpeg();
    set.sheetMask = mask.encodeJpeg();
    return set;
}

class SceneDraw : public ::testing::Test {
protected:
    void TearDown() override { platformClearResourceOverrides(); }
};

}  // namespace

TEST_F(SceneDraw, BackdropShowsGradientCloudLayersAndLogo)
{
    const ScenePictureSet pictures = backdropPictures();
    pictures.install();
    SceneRig rig(kWidth, kHeight, 1);
    ASSERT_TRUE(rig.context.ready);

    // The logo's centre and points just inside and outside its edges; the
    // logo spans x 3.2 .. 7.2 and y -5.42 .. -4.78 in the plane z = 0.
    // At 640 x 480 its edges fall on columns 459.6 and 634.2, rows 448.6 and
    // 476.5.
    const ScreenPoint logoProbes[] = {{547, 462}, {463, 462}, {456, 462}, {631, 462}, {638, 462},
                                      {547, 452}, {547, 445}, {547, 473}, {547, 479}};
    for (float t : {0.0f, 2.5f, 30.0f}) {
        SCOPED_TRACE(t);
        rig.renderer->timeSeconds = t;
        rig.drawScene(false);
        const std::vector<uint8_t> image = rig.context.readPixels();

        int probed = 0;
        int wrong = 0;
        for (int row = 8; row < kHeight; row += 24) {
            for (int column = 8; column < kWidth; column += 24) {
                Rgb expected;
                if (!expectedBackdrop({column, row}, t, expected)) {
                    continue;
                }
                ++probed;
                const uint8_t* pixel = pixelAt(image, column, row, kWidth);
                if (!closeTo(pixel, expected)) {
                    ++wrong;
                    ADD_FAILURE() << "at " << column << ", " << row << ": " << describe(pixel) << " expected ("
                                  << expected.r * 255 << ", " << expected.g * 255 << ", " << expected.b * 255
                                  << ")";
                }
            }
        }
        EXPECT_GT(probed, 300);
        int logoProbed = 0;
        for (const ScreenPoint& p : logoProbes) {
            Rgb expected;
            if (!expectedBackdrop(p, t, expected)) {
                continue;
            }
            ++logoProbed;
            const uint8_t* pixel = pixelAt(image, p.column, p.row, kWidth);
            if (!closeTo(pixel, expected)) {
                ++wrong;
                ADD_FAILURE() << "logo probe " << p.column << ", " << p.row << ": " << describe(pixel);
            }
        }
        // Early on the cloud edges keep clear of the logo; later some of
        // them turn across it.
        EXPECT_GE(logoProbed, t < 5.0f ? 9 : 4);
        if (wrong > 0) {
            saveForInspection(image, "scene-backdrop.ppm", kWidth, kHeight);
        }
    }
}

// At t = 0 only the second layer shows, at 2.5 s only the first: the probes
// on either side of the centre tell which quarters of the clouds each shows.
TEST_F(SceneDraw, CloudLayersSwapRolesOverHalfAPeriod)
{
    const ScenePictureSet pictures = backdropPictures();
    pictures.install();
    SceneRig rig(kWidth, kHeight, 1);
    ASSERT_TRUE(rig.context.ready);
    struct LayerCase {
        float t;
        unsigned char leftAlpha;
        unsigned char rightAlpha;
    };
    // t = 0: window u 0.875 .. 1.125; t = 2.5: u 0.375 .. 0.625.
    const LayerCase cases[] = {{0.0f, kCloudQuarterAlpha[3], kCloudQuarterAlpha[0]},
                               {2.5f, kCloudQuarterAlpha[1], kCloudQuarterAlpha[2]}};
    for (const LayerCase& c : cases) {
        SCOPED_TRACE(c.t);
        rig.renderer->timeSeconds = c.t;
        rig.drawScene(false);
        const std::vector<uint8_t> image = rig.context.readPixels();
        struct Probe {
            ScreenPoint point;
            unsigned char alpha;
        };
        const Probe probes[] = {{{200, 240}, c.leftAlpha}, {{440, 240}, c.rightAlpha}};
        for (const Probe& probe : probes) {
            const Rgb expected =
                mix(expectedGradient(probe.point, c.t), {1, 1, 1}, probe.alpha / 255.0);
            const uint8_t* pixel = pixelAt(image, probe.point.column, probe.point.row, kWidth);
            EXPECT_TRUE(closeTo(pixel, expected))
                << "at " << probe.point.column << ": " << describe(pixel) << " for cloud alpha "
                << int(probe.alpha);
        }
    }
}

// The cloud square is scaled by 7.75 times the larger of the aspect ratio
// and its inverse: a band across the middle of the cloud picture reaches
// as far up the view as that scale says.
TEST_F(SceneDraw, CloudScaleFollowsTheLongerSide)
{
    ScenePictureSet pictures = plainScenePictures();
    TestPicture clouds(1024, 256, 1, 0);
    const unsigned char opaque = 255;
    clouds.fillRect(0, 64, 1024, 128, &opaque);  // v from 0.25 to 0.75
    pictures.clouds = clouds.encodeJpeg();
    pictures.install();

    struct ScaleCase {
        int width;
        int height;
        double scale;
    };
    const ScaleCase cases[] = {{640, 480, 7.75 * 640 / 480}, {480, 640, 7.75 * 640 / 480}, {480, 480, 7.75}};
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        SceneRig rig(c.width, c.height, 1);
        ASSERT_TRUE(rig.context.ready);
        rig.drawScene(false);
        const std::vector<uint8_t> image = rig.context.readPixels();
        // At t = 0 the second layer shows v 0 .. 1 over the square: the
        // band's top edge lies at y = 0.5 s in the plane z = 0.
        const double edgeRow = (1 - 0.5 * c.scale / kCloudDistance) * c.height / 2;
        const int column = c.width / 4;
        const int inside = static_cast<int>(edgeRow) + 4;
        const int outside = static_cast<int>(edgeRow) - 4;
        EXPECT_GT(pixelAt(image, column, inside, c.width)[0], 240) << "row " << inside;
        EXPECT_LT(pixelAt(image, column, outside, c.width)[0], 150) << "row " << outside;
    }
}

// The probe picture's quadrants show where its corners went: a quarter turn
// counter-clockwise per 90 degrees of rotation.
TEST_F(SceneDraw, SpriteRotationTurnsThePictureCounterClockwise)
{
    const ScenePictureSet pictures = spritePictures();
    pictures.install();
    SceneRig rig(kWidth, kHeight, 1);
    ASSERT_TRUE(rig.context.ready);
    rig.parkAllSprites();
    Sprite& s = rig.scene->sprites[30];
    s.position = Vec3(0.0f, 0.0f, 0.0f);
    s.size = 2.0f;
    s.picture = kProbePicture;
    s.cellU = (kProbePicture % kCellsPerRow) * 0.09375f;
    s.cellV = (kProbePicture / kCellsPerRow) * 0.1875f;
    s.cellWidth = 0.09375f;
    s.cellHeight = 0.1875f;

    // Quadrant centres of the square on screen: one scene unit from the
    // centre at the sprite plane.
    const int offset = static_cast<int>(1.0 / kSpriteDistance * kHeight / 2);
    const ScreenPoint screenQuadrants[4] = {{kWidth / 2 - offset, kHeight / 2 - offset},
                                            {kWidth / 2 + offset, kHeight / 2 - offset},
                                            {kWidth / 2 - offset, kHeight / 2 + offset},
                                            {kWidth / 2 + offset, kHeight / 2 + offset}};
    struct TurnCase {
        float rotation;
        int shows[4];  // picture quadrant seen in screen quadrant TL, TR, BL, BR
    };
    const TurnCase cases[] = {
        {0.0f, {0, 1, 2, 3}}, {90.0f, {1, 3, 0, 2}}, {180.0f, {3, 2, 1, 0}}, {270.0f, {2, 0, 3, 1}}};
    for (const TurnCase& c : cases) {
        SCOPED_TRACE(c.rotation);
        s.rotation = c.rotation;
        rig.drawScene(true);
        const std::vector<uint8_t> image = rig.context.readPixels();
        for (int q = 0; q < 4; ++q) {
            const uint8_t* pixel = pixelAt(image, screenQuadrants[q].column, screenQuadrants[q].row, kWidth);
            const unsigned char* expected = kQuadrantColours[c.shows[q]];
            for (int channel = 0; channel < 3; ++channel) {
                EXPECT_NEAR(pixel[channel], expected[channel], kLevelTolerance)
                    << "screen quadrant " << q << " " << describe(pixel);
            }
        }
    }
}

TEST_F(SceneDraw, SameTimeAndSpritesDrawTheSameImage)
{
    const ScenePictureSet pictures = spritePictures();
    pictures.install();
    SceneRig rig(320, 240, 9);
    ASSERT_TRUE(rig.context.ready);
    for (int i = 0; i < kSpriteCount; ++i) {
        rig.scene->sprites[i].picture = kProbePicture;
        rig.scene->sprites[i].cellU = (kProbePicture % kCellsPerRow) * 0.09375f;
        rig.scene->sprites[i].cellV = (kProbePicture / kCellsPerRow) * 0.1875f;
    }
    rig.renderer->timeSeconds = 7.3f;
    rig.drawScene(true);
    const std::vector<uint8_t> first = rig.context.readPixels();
    rig.drawScene(true);
    const std::vector<uint8_t> second = rig.context.readPixels();
    EXPECT_TRUE(first == second);

    // The sprites are really in the picture: moving them changes it.
    rig.scene->step();
    rig.drawScene(true);
    EXPECT_FALSE(rig.context.readPixels() == first);
}

// beginDraw leaves the sprite set-up with the camera matrix one level deeper;
// endDraw takes it down again, leaving culling on and depth testing off.
TEST_F(SceneDraw, DrawingLeavesTheDocumentedState)
{
    const ScenePictureSet pictures = plainScenePictures();
    pictures.install();
    SceneRig rig(64, 64, 1);
    ASSERT_TRUE(rig.context.ready);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    GLfloat camera[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, camera);

    auto expectSameMatrix = [&camera]() {
        GLfloat now[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, now);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(now[i], camera[i]) << "element " << i;
        }
    };
    auto integer = [](GLenum name) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    };

    rig.renderer->timeSeconds = 12.0f;
    rig.scene->beginDraw();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(rig.scene->textures->spriteSheet.textureName));
    GLfloat envMode = 0;
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(envMode, static_cast<GLfloat>(GL_MODULATE));
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depthBefore + 1);
    expectSameMatrix();

    for (int copy = 0; copy < 3; ++copy) {
        rig.scene->drawSprites();
    }
    expectSameMatrix();
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depthBefore + 1);

    rig.scene->endDraw();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depthBefore);
    expectSameMatrix();
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f);
    EXPECT_EQ(clear[1], 0.0f);
    EXPECT_EQ(clear[2], 0.0f);
    EXPECT_EQ(clear[3], 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
