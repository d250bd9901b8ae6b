#include "tools/imagegen/GlassDiscs.h"

#include "tools/imagegen/DiscPatterns.h"

#include <cmath>

namespace {

// Radius of the coloured glass and of the mask's edge, in pixels. The glass
// reaches a little beyond the mask's feather so the edge never shows black.
const float kGlassRadius = 46.0f;
const float kMaskRadius = 45.0f;
const float kMaskFeather = 1.25f;

// Samples per pixel side for antialiasing the discs.
const int kSuperSamples = 4;

// The glass lighting: where the light comes from (top left, in front), the
// highlight it leaves, the brighter light thrown through to the far side,
// and how far the rim darkens.
const float kLightX = -0.48f;
const float kLightY = -0.55f;
const float kLightZ = 0.68f;
const float kHighlightX = -0.36f;
const float kHighlightY = -0.42f;
const float kHighlightSize = 0.14f;
const float kHighlightStrength = 0.85f;
const float kSheenSize = 0.42f;
const float kSheenStrength = 0.16f;
const float kCausticX = 0.22f;
const float kCausticY = 0.28f;
const float kCausticSize = 0.45f;
const float kCausticStrength = 0.35f;
const float kRimStart = 0.80f;
const float kRimDarkening = 0.6f;
const float kEdgeGlintRadius = 0.955f;
const float kEdgeGlintWidth = 0.02f;
const float kEdgeGlintStrength = 0.35f;

// Jewel colour schemes: body glass, pattern, detail, glow.
const DiscPalette kPalettes[] = {
    {{0.72f, 0.03f, 0.10f}, {1.00f, 0.62f, 0.12f}, {1.00f, 0.95f, 0.80f}, {1.00f, 0.40f, 0.35f}},  // ruby
    {{0.04f, 0.16f, 0.66f}, {0.35f, 0.78f, 1.00f}, {1.00f, 1.00f, 1.00f}, {0.95f, 0.82f, 0.25f}},  // sapphire
    {{0.00f, 0.48f, 0.22f}, {0.72f, 0.96f, 0.30f}, {1.00f, 0.86f, 0.22f}, {0.88f, 1.00f, 0.90f}},  // emerald
    {{0.40f, 0.07f, 0.60f}, {0.96f, 0.48f, 0.86f}, {1.00f, 0.92f, 1.00f}, {0.55f, 0.82f, 1.00f}},  // amethyst
    {{0.78f, 0.38f, 0.03f}, {1.00f, 0.86f, 0.32f}, {0.42f, 0.10f, 0.02f}, {1.00f, 1.00f, 0.72f}},  // amber
    {{0.00f, 0.52f, 0.58f}, {0.95f, 0.95f, 0.90f}, {0.92f, 0.38f, 0.12f}, {0.55f, 1.00f, 0.95f}},  // turquoise
    {{0.86f, 0.26f, 0.46f}, {1.00f, 0.80f, 0.86f}, {0.35f, 0.02f, 0.28f}, {1.00f, 0.95f, 0.62f}},  // rose
    {{0.06f, 0.07f, 0.50f}, {1.00f, 0.76f, 0.16f}, {0.92f, 0.12f, 0.22f}, {0.62f, 0.72f, 1.00f}},  // cobalt and gold
    {{0.38f, 0.64f, 0.03f}, {0.04f, 0.32f, 0.12f}, {1.00f, 1.00f, 0.62f}, {0.90f, 1.00f, 0.42f}},  // peridot
    {{0.92f, 0.27f, 0.01f}, {1.00f, 0.90f, 0.22f}, {0.62f, 0.02f, 0.32f}, {1.00f, 0.72f, 0.32f}},  // fire opal
    {{0.30f, 0.70f, 0.86f}, {0.02f, 0.22f, 0.52f}, {1.00f, 1.00f, 1.00f}, {0.80f, 1.00f, 1.00f}},  // aquamarine
    {{0.50f, 0.01f, 0.14f}, {0.02f, 0.72f, 0.66f}, {1.00f, 0.82f, 0.42f}, {1.00f, 0.45f, 0.52f}},  // garnet and teal
    {{0.92f, 0.72f, 0.06f}, {0.58f, 0.22f, 0.01f}, {0.22f, 0.52f, 0.92f}, {1.00f, 1.00f, 0.82f}},  // citrine
    {{0.22f, 0.16f, 0.72f}, {0.62f, 0.96f, 0.96f}, {1.00f, 0.52f, 0.90f}, {0.92f, 0.92f, 1.00f}},  // violet ice
};
const int kPaletteCount = static_cast<int>(sizeof(kPalettes) / sizeof(kPalettes[0]));

// Every pattern three times, each time with colours from another family
// (reds, yellows, blues, greens, purples) and its own symmetry and shape,
// so that no two discs are alike. Rows: pattern; columns: the three goes.
const int kPaletteOfPattern[kDiscPatternCount][3] = {
    {0, 10, 8},  {1, 9, 6},  {2, 7, 11},  {3, 12, 5}, {4, 11, 13}, {5, 0, 1},  {6, 2, 9},
    {7, 4, 3},   {8, 13, 0}, {9, 3, 10},  {10, 6, 2}, {11, 1, 12}, {12, 8, 7}, {13, 5, 4},
};
const int kSymmetries[3] = {5, 6, 8};
const uint64_t kDesignSeed = 0x5EED0042ull;

DiscDesign designFor(int disc, SeededRandom& random)
{
    const int variant = disc / kDiscPatternCount;
    const int kind = disc % kDiscPatternCount;
    DiscDesign design;
    design.pattern = static_cast<DiscPattern>(kind);
    design.palette = kPalettes[kPaletteOfPattern[kind][variant] % kPaletteCount];
    design.symmetry = kSymmetries[(kind + variant) % 3] + (variant == 2 && kind % 2 == 1 ? 1 : 0);
    design.rotation = random.range(0.0f, 6.2831853f);
    design.shape = (static_cast<float>(variant) + random.range(0.1f, 0.9f)) / 3.0f;
    design.seed = static_cast<uint32_t>(random.next());
    return design;
}

float gaussian(float dx, float dy, float size)
{
    return std::exp(-(dx * dx + dy * dy) / (size * size));
}

// The disc's colour at disc coordinates (x, y) inside the glass: the
// pattern seen through domed glass lit from the top left.
Colour glassColour(const DiscDesign& design, float x, float y)
{
    const float r2 = x * x + y * y;
    const float r = std::sqrt(r2);
    Colour body = patternColour(design, x, y);

    const float nz = std::sqrt(std::fmax(0.0f, 1.0f - 0.8f * r2));
    const float lightLength = std::sqrt(kLightX * kLightX + kLightY * kLightY + kLightZ * kLightZ);
    const float normalLength = std::sqrt(0.8f * r2 + nz * nz);
    const float diffuse =
        (x * std::sqrt(0.8f) * kLightX + y * std::sqrt(0.8f) * kLightY + nz * kLightZ) / (lightLength * normalLength);
    const float caustic = kCausticStrength * gaussian(x - kCausticX, y - kCausticY, kCausticSize);
    body = scale(body, 0.62f + 0.38f * diffuse + caustic);
    body = scale(body, 1.0f - kRimDarkening * smoothstep(kRimStart, 1.0f, r));

    const float glint = kEdgeGlintStrength * std::exp(-std::pow((r - kEdgeGlintRadius) / kEdgeGlintWidth, 2.0f)) *
                        clamp01(0.5f + 0.7f * (x + y));
    const float highlight = kHighlightStrength * gaussian(x - kHighlightX, y - kHighlightY, kHighlightSize) +
                            kSheenStrength * gaussian(x - kHighlightX * 0.6f, y - kHighlightY * 0.6f, kSheenSize);
    const float white = clamp01(glint + highlight);
    return mix(add(body, Colour{glint * 0.2f, glint * 0.2f, glint * 0.2f}), Colour{1.0f, 1.0f, 1.0f}, white);
}

void cellOrigin(int disc, int& left, int& top)
{
    left = (disc % kCellsPerRow) * kCellSize;
    top = (disc / kCellsPerRow) * kCellSize;
}

}  // namespace

Raster drawDiscSheet()
{
    Raster sheet(kSheetWidth, kSheetHeight, 3);
    SeededRandom random(kDesignSeed);
    const float centre = 0.5f * kCellSize;
    const float step = 1.0f / kSuperSamples;
    for (int disc = 0; disc < kDiscCount; ++disc) {
        const DiscDesign design = designFor(disc, random);
        int left = 0;
        int top = 0;
        cellOrigin(disc, left, top);
        for (int py = 0; py < kCellSize; ++py) {
            for (int px = 0; px < kCellSize; ++px) {
                Colour sum;
                for (int sy = 0; sy < kSuperSamples; ++sy) {
                    for (int sx = 0; sx < kSuperSamples; ++sx) {
                        const float x = (px + (sx + 0.5f) * step - centre) / kGlassRadius;
                        const float y = (py + (sy + 0.5f) * step - centre) / kGlassRadius;
                        if (x * x + y * y <= 1.0f) {
                            sum = add(sum, glassColour(design, x, y));
                        }
                    }
                }
                const Colour average = scale(sum, 1.0f / (kSuperSamples * kSuperSamples));
                float* out = sheet.at(left + px, top + py);
                out[0] = average.r;
                out[1] = average.g;
                out[2] = average.b;
            }
        }
    }
    return sheet;
}

Raster drawDiscMask()
{
    Raster mask(kSheetWidth, kSheetHeight, 1);
    const float centre = 0.5f * kCellSize;
    for (int disc = 0; disc < kDiscCount; ++disc) {
        int left = 0;
        int top = 0;
        cellOrigin(disc, left, top);
        for (int py = 0; py < kCellSize; ++py) {
            for (int px = 0; px < kCellSize; ++px) {
                const float dx = px + 0.5f - centre;
                const float dy = py + 0.5f - centre;
                const float distance = std::sqrt(dx * dx + dy * dy);
                mask.at(left + px, top + py)[0] =
                    smoothstep(kMaskRadius + kMaskFeather, kMaskRadius - kMaskFeather, distance);
            }
        }
    }
    return mask;
}
