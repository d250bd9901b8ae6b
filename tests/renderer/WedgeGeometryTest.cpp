// Slot count and clip planes of the mirror wedge, checked on the real
// renderer by what the planes let through.

#include "tests/renderer/RendererHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

namespace {

const int kSmall = 64;
const double kPi = 3.14159265358979323846;

// Directions (degrees) that the pair of planes lets through, compared with
// the sector from `fromDegrees` counter-clockwise to `toDegrees`. Directions
// closer than `margin` to an edge are not judged. Empty when they agree.
std::string sectorMismatch(const ClipPlane& first, const ClipPlane& second, double fromDegrees, double toDegrees)
{
    const double width = toDegrees - fromDegrees;
    const double step = width < 1.0 ? width / 40.0 : 0.1;
    // Above the error of the single-precision degree factor (about 2e-4
    // degrees at 300 degrees), below any sector the system uses.
    const double margin = width < 1.0 ? width / 50.0 : 0.01;
    for (double direction = 0.0; direction < 360.0; direction += step) {
        const double rel = std::fmod(direction - fromDegrees + 720.0, 360.0);
        const double edgeDistance = std::fmin(std::fmin(rel, std::fabs(rel - width)), 360.0 - rel);
        if (edgeDistance < margin) {
            continue;
        }
        const double x = std::cos(direction * kPi / 180.0);
        const double y = std::sin(direction * kPi / 180.0);
        const bool kept = first.a * x + first.b * y + first.c * 0.0 + first.d >= 0.0 &&
                          second.a * x + second.b * y + second.c * 0.0 + second.d >= 0.0;
        const bool inside = rel <= width;
        if (kept != inside) {
            std::ostringstream out;
            out << "direction " << direction << (kept ? " kept" : " cut") << ", sector " << fromDegrees << ".."
                << toDegrees;
            return out.str();
        }
    }
    return std::string();
}

void expectThroughCentre(const ClipPlane& plane, const char* name)
{
    EXPECT_EQ(plane.c, 0.0) << name;
    EXPECT_EQ(plane.d, 0.0) << name;
    EXPECT_NEAR(plane.a * plane.a + plane.b * plane.b, 1.0, 1e-9) << name;
}

bool samePlane(const ClipPlane& p, const ClipPlane& q)
{
    return std::memcmp(&p, &q, sizeof(ClipPlane)) == 0;
}

struct GeometryCase {
    float angle;
    int32_t slots;
    bool remainder;
    // The part of the wedge the partial slot keeps, degrees.
    double keptFrom;
    double keptTo;
};

TEST(WedgeGeometryTest, SlotCountRemainderAndPlanesForEachAngle)
{
    const GeometryCase cases[] = {
        {36.0f, 10, false, 0, 0},
        {360.0f / 14, 14, false, 0, 0},
        {360.0f / 18, 18, false, 0, 0},
        {360.0f / 22, 22, false, 0, 0},
        {360.0f / 26, 26, false, 0, 0},  // the double quotient lies just below 26
        {360.0f / 30, 30, false, 0, 0},
        {360.0f / 34, 34, false, 0, 0},
        {360.0f / 38, 38, false, 0, 0},  // and below 38
        {360.0f / 42, 42, false, 0, 0},
        {360.0f / 46, 46, false, 0, 0},  // and below 46
        {32.0f, 12, true, 270.0, 278.0},
        {35.0f, 11, true, 295.0, 305.0},
        {360.0f / 11, 11, false, 0, 0},
        {static_cast<float>(360.0 / 14.0005), 14, false, 0, 0},  // a fraction of 0.0005 slot is dropped
        {static_cast<float>(360.0 / 14.002), 15, true, 295.65920, 295.71061},
    };
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle);
        const ClipPlane oldRemainderStart = r.remainderStartPlane;
        const ClipPlane oldRemainderFar = r.remainderFarPlane;
        r.updateGeometry(c.angle);

        EXPECT_EQ(r.wedgeAngle, c.angle);
        EXPECT_EQ(r.wedgeCount, c.slots);
        EXPECT_EQ(r.hasRemainder, c.remainder);
        EXPECT_EQ(r.startPlane.a, 1.0);
        EXPECT_EQ(r.startPlane.b, 0.0);
        expectThroughCentre(r.startPlane, "start");
        expectThroughCentre(r.farPlane, "far");
        EXPECT_EQ(sectorMismatch(r.startPlane, r.farPlane, 270.0, 270.0 + c.angle), "");

        if (!c.remainder) {
            EXPECT_TRUE(samePlane(r.remainderStartPlane, oldRemainderStart));
            EXPECT_TRUE(samePlane(r.remainderFarPlane, oldRemainderFar));
            continue;
        }
        expectThroughCentre(r.remainderStartPlane, "remainder start");
        expectThroughCentre(r.remainderFarPlane, "remainder far");
        EXPECT_EQ(sectorMismatch(r.remainderStartPlane, r.remainderFarPlane, c.keptFrom, c.keptTo), "");
        // The partial slot ends where slot 0 begins.
        const double partial = c.keptTo - c.keptFrom;
        EXPECT_NEAR((c.slots - 2) * static_cast<double>(c.angle) + partial, 360.0 - c.angle, 1e-3);
        // Next to the start ray for an unmirrored last copy (even count),
        // next to the far ray for a mirrored one (odd count).
        EXPECT_NEAR(c.slots % 2 == 0 ? c.keptFrom : c.keptTo, c.slots % 2 == 0 ? 270.0 : 270.0 + c.angle, 1e-4);
    }
}

TEST(WedgeGeometryTest, StartStateIsTenSlotsWithTheFarPlaneAt216Degrees)
{
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    const KaleidoRenderer& r = *harness.renderer;
    EXPECT_EQ(r.wedgeAngle, 36.0f);
    EXPECT_EQ(r.wedgeCount, 10);
    EXPECT_FALSE(r.hasRemainder);
    EXPECT_NEAR(r.farPlane.a, std::cos(216.0 * kPi / 180.0), 1e-5);
    EXPECT_NEAR(r.farPlane.b, std::sin(216.0 * kPi / 180.0), 1e-5);
}

TEST(WedgeGeometryTest, AnglesThatCannotBeCountedLeaveTheGeometryAsItWas)
{
    const float cases[] = {0.0f,
                           -0.0f,
                           -36.0f,
                           std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(),
                           std::numeric_limits<float>::denorm_min(),
                           1e-30f,
                           360.0f / 2e9f};
    RendererHarness harness(kSmall, kSmall);
    ASSERT_NE(harness.renderer, nullptr);
    KaleidoRenderer& r = *harness.renderer;
    r.updateGeometry(35.0f);
    const float angle = r.wedgeAngle;
    const int32_t count = r.wedgeCount;
    const ClipPlane planes[] = {r.startPlane, r.farPlane, r.remainderStartPlane, r.remainderFarPlane};
    for (float bad : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << bad);
        r.updateGeometry(bad);
        EXPECT_EQ(r.wedgeAngle, angle);
        EXPECT_EQ(r.wedgeCount, count);
        EXPECT_TRUE(r.hasRemainder);
        EXPECT_TRUE(samePlane(r.startPlane, planes[0]));
        EXPECT_TRUE(samePlane(r.farPlane, planes[1]));
        EXPECT_TRUE(samePlane(r.remainderStartPlane, planes[2]));
        EXPECT_TRUE(samePlane(r.remainderFarPlane, planes[3]));
    }
}

}  // namespace
