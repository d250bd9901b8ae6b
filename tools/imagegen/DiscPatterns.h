#pragma once

// The patterns inside the glass discs: each a colour as a function of the
// position in the disc, before the glass lighting is laid over it.

#include "tools/imagegen/Raster.h"

#include <cstdint>

enum class DiscPattern {
    Millefiori,
    StarBurst,
    Spiral,
    Rings,
    Petals,
    Facets,
    Swirl,
    Dots,
    Chequer,
    WaveRings,
    StainedGlass,
    Lattice,
    NestedStars,
    Dichroic,
};
const int kDiscPatternCount = 14;

// Four colours of one disc: the body glass, the main pattern colour, a
// detail colour for small features and a bright glow colour.
struct DiscPalette {
    Colour base;
    Colour accent;
    Colour detail;
    Colour glow;
};

struct DiscDesign {
    DiscPattern pattern = DiscPattern::Millefiori;
    DiscPalette palette;
    // Rotational symmetry of the pattern (petals, rays, sectors).
    int symmetry = 6;
    // Pattern turn in radians and a free shape parameter in [0, 1].
    float rotation = 0.0f;
    float shape = 0.5f;
    uint32_t seed = 0;
};

// The pattern colour at (x, y), disc coordinates in [-1, 1] with y down;
// only points with x*x + y*y <= 1 are asked for.
Colour patternColour(const DiscDesign& design, float x, float y);
