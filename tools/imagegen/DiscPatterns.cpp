#include "tools/imagegen/DiscPatterns.h"

#include <cmath>

namespace {

const float kPi = 3.14159265358979f;
const float kTwoPi = 2.0f * kPi;

// Thin bright or dark lines between areas: how wide, in disc units.
const float kLineWidth = 0.022f;

// Stained glass: cells and the lead between them.
const int kGlassCellCount = 15;
const float kLeadWidth = 0.035f;

float wrapAngle(float angle)
{
    return angle - kTwoPi * std::floor(angle / kTwoPi);
}

// Angle within one of `count` equal sectors, -half..half of a sector.
float sectorAngle(float angle, int count)
{
    const float sector = kTwoPi / static_cast<float>(count);
    const float shifted = wrapAngle(angle + 0.5f * sector);
    return shifted - sector * std::floor(shifted / sector) - 0.5f * sector;
}

// 1 on a line at distance 0, falling smoothly to 0 at `width`.
float lineAt(float distance, float width)
{
    return 1.0f - smoothstep(0.0f, width, std::fabs(distance));
}

float hashUnit(int32_t a, int32_t b, uint32_t seed)
{
    return static_cast<float>(hashCell(a, b, static_cast<int32_t>(seed)) >> 8) / 16777216.0f;
}

// Smooth lattice value noise in the plane, about one feature per unit.
float valueNoise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = smoothstep(0.0f, 1.0f, x - fx);
    const float ty = smoothstep(0.0f, 1.0f, y - fy);
    const float a = hashUnit(ix, iy, seed);
    const float b = hashUnit(ix + 1, iy, seed);
    const float c = hashUnit(ix, iy + 1, seed);
    const float d = hashUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) * (1.0f - ty) + (c + (d - c) * tx) * ty;
}

float fractalNoise(float x, float y, uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 0.5f;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude * valueNoise(x, y, seed + static_cast<uint32_t>(octave) * 101u);
        x *= 2.03f;
        y *= 2.03f;
        amplitude *= 0.5f;
    }
    return sum / 0.9375f;
}

// A small flower of `petals` petals, local radius 0..1; false outside it.
bool floret(const DiscPalette& p, int petals, float lr, float la, Colour& out)
{
    if (lr > 1.0f) {
        return false;
    }
    const float petalEdge = 0.55f + 0.45f * std::pow(std::fabs(std::cos(0.5f * petals * la)), 0.7f);
    if (lr < 0.28f) {
        out = mix(p.glow, p.detail, smoothstep(0.12f, 0.28f, lr));
    } else if (lr < petalEdge - 0.08f) {
        out = mix(p.accent, p.glow, 0.35f * (1.0f - lr));
    } else if (lr < petalEdge) {
        out = p.detail;
    } else {
        out = mix(p.base, p.detail, 0.25f * (1.0f - lr));
    }
    return true;
}

Colour millefiori(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    struct Ring {
        float radius;
        int count;
        float size;
    };
    const Ring rings[] = {{0.0f, 1, 0.30f},
                          {0.47f, d.symmetry, 0.19f},
                          {0.80f, d.symmetry * 2, 0.13f}};
    for (const Ring& ring : rings) {
        float cx = 0.0f;
        float cy = 0.0f;
        if (ring.count > 1) {
            const float step = kTwoPi / static_cast<float>(ring.count);
            const float k = std::floor(wrapAngle(a - d.rotation) / step + 0.5f);
            const float ca = d.rotation + k * step;
            cx = ring.radius * std::cos(ca);
            cy = ring.radius * std::sin(ca);
        }
        const float dx = r * std::cos(a) - cx;
        const float dy = r * std::sin(a) - cy;
        Colour out;
        if (floret(p, ring.count == 1 ? 8 : 5 + (d.symmetry % 3), std::sqrt(dx * dx + dy * dy) / ring.size,
                   std::atan2(dy, dx) - d.rotation, out)) {
            return out;
        }
    }
    // Between the florets: fine radial threads in the body glass.
    const float threads = lineAt(sectorAngle(a, d.symmetry * 6) * r, 0.012f);
    return mix(p.base, p.accent, 0.25f * threads);
}

Colour starBurst(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const float t = std::pow(std::fabs(std::cos(0.5f * d.symmetry * (a - d.rotation))), 2.0f + 6.0f * d.shape);
    const float reach = 0.18f + 0.8f * t;
    const float secondary = std::pow(std::fabs(std::cos(0.5f * d.symmetry * (a - d.rotation) + 0.5f * kPi)), 8.0f);
    Colour c = mix(p.base, p.detail, 0.35f * secondary * smoothstep(0.9f, 0.2f, r));
    if (r < reach) {
        const Colour ray = mix(p.glow, p.accent, smoothstep(0.0f, 0.9f, r));
        c = mix(c, ray, smoothstep(reach, reach - 0.06f, r));
    }
    return mix(c, p.glow, smoothstep(0.16f, 0.0f, r));
}

Colour spiral(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const float arms = static_cast<float>(d.symmetry);
    const float s = fractional(arms * (a - d.rotation) / kTwoPi + (1.2f + 1.8f * d.shape) * r);
    const float band = smoothstep(0.05f, 0.15f, s) * smoothstep(0.55f, 0.45f, s);
    Colour c = mix(p.base, p.accent, band);
    c = mix(c, p.detail, lineAt(s - 0.5f, 0.04f) * 0.9f);
    return mix(c, p.glow, smoothstep(0.14f, 0.04f, r));
}

Colour rings(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const float wavy = r + 0.025f * std::sin(d.symmetry * (a - d.rotation));
    const float bands = 5.0f + 3.0f * d.shape;
    const float position = wavy * bands;
    const int band = static_cast<int>(std::floor(position));
    const Colour cycle[] = {p.glow, p.accent, p.base, p.detail};
    Colour c = cycle[band % 4];
    const float edge = fractional(position);
    c = mix(c, mix(p.glow, Colour{1.0f, 1.0f, 1.0f}, 0.5f), lineAt(edge < 0.5f ? edge : edge - 1.0f, 0.06f));
    return c;
}

Colour petals(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const float n = static_cast<float>(d.symmetry);
    const float outer = 0.35f + 0.6f * std::pow(std::fabs(std::cos(0.5f * n * (a - d.rotation))), 0.8f);
    const float inner = 0.2f + 0.38f * std::pow(std::fabs(std::cos(0.5f * n * (a - d.rotation) + 0.5f * kPi)), 0.8f);
    Colour c = p.base;
    if (r < outer) {
        const float vein = lineAt(sectorAngle(a - d.rotation, d.symmetry) * r, 0.02f);
        c = mix(mix(p.accent, p.glow, 0.4f * (1.0f - r / outer)), p.detail, 0.6f * vein);
        c = mix(c, p.detail, smoothstep(outer - 0.06f, outer, r));
    }
    if (r < inner) {
        c = mix(mix(p.detail, p.glow, 0.5f), p.accent, r / inner * 0.5f);
        c = mix(c, p.base, smoothstep(inner - 0.05f, inner, r) * 0.7f);
    }
    if (r < 0.14f) {
        const float speck = hashUnit(static_cast<int>(r * 40.0f), static_cast<int>(wrapAngle(a) * 6.0f), d.seed);
        c = mix(p.glow, p.detail, speck * 0.5f);
    }
    return c;
}

Colour facets(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const int n = d.symmetry;
    const float sector = kTwoPi / static_cast<float>(n);
    const float local = sectorAngle(a - d.rotation, n);
    // Distance to the edge of a regular polygon of "radius" 1 along this ray.
    const float polygon = std::cos(0.5f * sector) / std::cos(local);
    const float tableEdge = 0.5f * polygon;
    const int facetIndex = static_cast<int>(std::floor(wrapAngle(a - d.rotation + 0.5f * sector) / sector));
    const bool inTable = r < tableEdge;
    const bool upperHalf = local > 0.0f;
    const int facetKey = inTable ? -1 : facetIndex * 2 + (upperHalf ? 1 : 0);
    const float facetAngle = d.rotation + facetIndex * sector + (upperHalf ? 0.25f : -0.25f) * sector;
    const float light = 0.5f + 0.5f * std::cos(facetAngle + 2.3f);
    const float sparkle = hashUnit(facetKey, 7, d.seed);
    Colour c;
    if (inTable) {
        c = mix(mix(p.base, p.accent, 0.6f), Colour{1.0f, 1.0f, 1.0f}, 0.2f + 0.2f * sparkle);
    } else {
        c = mix(scale(p.base, 0.6f), mix(p.accent, p.glow, sparkle * 0.5f), 0.25f + 0.75f * light);
    }
    const float edgeLine = std::fmax(lineAt(r - tableEdge, kLineWidth), lineAt(local * r, kLineWidth));
    const float crownLine = inTable ? 0.0f : lineAt(std::fabs(local) * r - 0.5f * sector * (r - tableEdge), kLineWidth);
    return mix(c, p.detail, 0.75f * std::fmax(edgeLine, crownLine));
}

Colour swirl(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const float warped = a - d.rotation + (2.0f + 2.5f * d.shape) * r +
                         0.35f * std::sin(9.0f * r + 3.0f * a);
    const float wave = 0.5f + 0.5f * std::sin(static_cast<float>(d.symmetry) * warped + 4.0f * r);
    Colour c = mix(p.base, p.accent, smoothstep(0.3f, 0.7f, wave));
    const float vein = lineAt(wave - 0.5f, 0.06f);
    c = mix(c, p.detail, 0.8f * vein);
    const float flecks = smoothstep(0.82f, 0.92f, fractalNoise(r * 9.0f * std::cos(a), r * 9.0f * std::sin(a), d.seed));
    return mix(c, p.glow, 0.7f * flecks);
}

Colour dots(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const float ringStep = 0.2f;
    const int ring = static_cast<int>(std::floor(r / ringStep + 0.5f));
    Colour c = mix(p.base, p.accent, 0.15f * (ring % 2));
    for (int k = ring - 1; k <= ring + 1; ++k) {
        if (k < 0) {
            continue;
        }
        const float radius = k * ringStep;
        const int count = k == 0 ? 1 : d.symmetry * k;
        const float step = kTwoPi / static_cast<float>(count);
        const float twist = (k % 2) * 0.5f * step + d.rotation;
        const float index = std::floor(wrapAngle(a - twist) / step + 0.5f);
        const float ca = twist + index * step;
        const float dx = r * std::cos(a) - radius * std::cos(ca);
        const float dy = r * std::sin(a) - radius * std::sin(ca);
        const float size = k == 0 ? 0.12f : 0.055f + 0.02f * d.shape;
        const float dist = std::sqrt(dx * dx + dy * dy) / size;
        if (dist < 1.0f) {
            const Colour dot = (k % 2 == 0) ? p.glow : p.detail;
            c = mix(dot, p.accent, smoothstep(0.3f, 1.0f, dist));
            c = mix(c, Colour{1.0f, 1.0f, 1.0f}, 0.4f * smoothstep(0.35f, 0.0f, dist));
        }
    }
    return c;
}

Colour chequer(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const int n = d.symmetry * 2;
    const float sector = kTwoPi / static_cast<float>(n);
    const float twisted = wrapAngle(a - d.rotation + d.shape * 1.5f * r);
    const int s = static_cast<int>(std::floor(twisted / sector));
    const float ringPosition = r * 4.0f;
    const int ring = static_cast<int>(std::floor(ringPosition));
    const bool dark = ((s + ring) % 2) == 0;
    Colour c = dark ? mix(p.base, p.accent, 0.15f * ring) : mix(p.accent, p.glow, 0.2f * ring);
    const float sectorEdge = (twisted - (s + 0.5f) * sector) * r;
    const float line = std::fmax(lineAt(std::fabs(sectorEdge) - 0.5f * sector * r, kLineWidth),
                                 lineAt(fractional(ringPosition + 0.5f) - 0.5f, 0.05f));
    c = mix(c, p.detail, 0.85f * line);
    return mix(c, p.glow, smoothstep(0.12f, 0.05f, r));
}

Colour waveRings(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const float wobble = r + (0.05f + 0.05f * d.shape) * std::sin(d.symmetry * (a - d.rotation) + 8.0f * r);
    const float bands = wobble * 6.0f;
    const float wave = 0.5f + 0.5f * std::cos(kTwoPi * bands);
    Colour c = mix(mix(p.glow, p.accent, clamp01(r * 1.2f)), mix(p.base, p.detail, 0.3f), wave);
    return mix(c, p.detail, lineAt(fractional(bands) - 0.5f, 0.05f) * 0.7f);
}

Colour stainedGlass(const DiscDesign& d, float x, float y)
{
    const DiscPalette& p = d.palette;
    float nearest = 10.0f;
    float second = 10.0f;
    int nearestIndex = 0;
    for (int i = 0; i < kGlassCellCount; ++i) {
        // Points spread over the disc: one near the centre, the rest on a
        // jittered sunflower spiral.
        const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(kGlassCellCount);
        const float radius = 0.95f * std::sqrt(t) + 0.08f * (hashUnit(i, 1, d.seed) - 0.5f);
        const float angle = d.rotation + static_cast<float>(i) * 2.39996f + 0.4f * hashUnit(i, 2, d.seed);
        const float dx = x - radius * std::cos(angle);
        const float dy = y - radius * std::sin(angle);
        const float dist = std::sqrt(dx * dx + dy * dy);
        if (dist < nearest) {
            second = nearest;
            nearest = dist;
            nearestIndex = i;
        } else if (dist < second) {
            second = dist;
        }
    }
    const Colour choices[] = {p.base, p.accent, p.glow, mix(p.base, p.accent, 0.5f), p.detail};
    const Colour cell = choices[hashCell(nearestIndex, 3, static_cast<int32_t>(d.seed)) % 5];
    const Colour lit = mix(cell, Colour{1.0f, 1.0f, 1.0f}, 0.25f * smoothstep(0.25f, 0.0f, nearest));
    const float lead = smoothstep(kLeadWidth, kLeadWidth * 0.4f, second - nearest);
    return mix(lit, Colour{0.05f, 0.04f, 0.03f}, 0.85f * lead);
}

Colour lattice(const DiscDesign& d, float x, float y, float r)
{
    const DiscPalette& p = d.palette;
    Colour c = mix(mix(p.base, p.glow, 0.45f), p.base, smoothstep(0.0f, 1.0f, r));
    const float frequency = 5.0f + 3.0f * d.shape;
    const float angles[] = {d.rotation, d.rotation + kPi / static_cast<float>(d.symmetry % 3 + 2)};
    for (int k = 0; k < 2; ++k) {
        const float u = x * std::cos(angles[k]) + y * std::sin(angles[k]);
        const float v = -x * std::sin(angles[k]) + y * std::cos(angles[k]);
        const float twist = 0.08f * std::sin(14.0f * v);
        const float thread = lineAt(fractional(u * frequency + twist) - 0.5f, 0.11f);
        c = mix(c, k == 0 ? p.detail : p.accent, 0.9f * thread);
    }
    return c;
}

Colour nestedStars(const DiscDesign& d, float r, float a)
{
    const DiscPalette& p = d.palette;
    const Colour layers[] = {p.base, p.accent, p.glow, p.detail, p.glow};
    const float n = static_cast<float>(d.symmetry);
    Colour c = layers[0];
    float size = 1.0f;
    for (int layer = 1; layer < 5; ++layer) {
        size *= 0.72f;
        const float turn = d.rotation + (layer % 2) * kPi / n;
        const float local = sectorAngle(a - turn, d.symmetry);
        // A star: the radius swings between an inner and an outer point.
        const float spike = std::fabs(local) / (kPi / n);
        const float edge = size * (1.0f - (0.45f + 0.15f * d.shape) * spike);
        if (r < edge) {
            c = mix(layers[layer], layers[layer - 1], 0.3f * r / edge);
            c = mix(c, p.detail, 0.6f * smoothstep(edge - 0.03f, edge, r));
        }
    }
    return c;
}

Colour dichroic(const DiscDesign& d, float x, float y, float r, float a)
{
    const DiscPalette& p = d.palette;
    const float n = fractalNoise(x * 2.2f + 3.0f, y * 2.2f + 7.0f, d.seed);
    const float sheen = 0.5f + 0.5f * std::sin(3.0f * (a - d.rotation) + 6.0f * n);
    Colour c = mix(p.base, p.accent, smoothstep(0.35f, 0.75f, n));
    c = mix(c, p.glow, 0.5f * sheen * smoothstep(0.2f, 0.9f, r));
    const float fleck = smoothstep(0.78f, 0.86f, fractalNoise(x * 14.0f, y * 14.0f, d.seed + 17u));
    return mix(c, p.detail, 0.8f * fleck);
}

}  // namespace

Colour patternColour(const DiscDesign& design, float x, float y)
{
    const float r = std::sqrt(x * x + y * y);
    const float a = std::atan2(y, x);
    switch (design.pattern) {
    case DiscPattern::Millefiori:
        return millefiori(design, r, a);
    case DiscPattern::StarBurst:
        return starBurst(design, r, a);
    case DiscPattern::Spiral:
        return spiral(design, r, a);
    case DiscPattern::Rings:
        return rings(design, r, a);
    case DiscPattern::Petals:
        return petals(design, r, a);
    case DiscPattern::Facets:
        return facets(design, r, a);
    case DiscPattern::Swirl:
        return swirl(design, r, a);
    case DiscPattern::Dots:
        return dots(design, r, a);
    case DiscPattern::Chequer:
        return chequer(design, r, a);
    case DiscPattern::WaveRings:
        return waveRings(design, r, a);
    case DiscPattern::StainedGlass:
        return stainedGlass(design, x, y);
    case DiscPattern::Lattice:
        return lattice(design, x, y, r);
    case DiscPattern::NestedStars:
        return nestedStars(design, r, a);
    case DiscPattern::Dichroic:
        return dichroic(design, x, y, r, a);
    }
    return design.palette.base;
}
