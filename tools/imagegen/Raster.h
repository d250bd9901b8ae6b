#pragma once

// Floating-point pictures for the generator, and the small numeric helpers
// every picture uses. All drawing is deterministic: no library random
// generator, no clock, no threads.

#include <cstdint>
#include <string>
#include <vector>

struct Colour {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

Colour mix(const Colour& a, const Colour& b, float t);
Colour scale(const Colour& c, float factor);
Colour add(const Colour& a, const Colour& b);

// `width` x `height` samples of `channels` floats in [0, 1], top row first.
struct Raster {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<float> samples;

    Raster(int pixelWidth, int pixelHeight, int channelCount);
    float* at(int x, int y) { return &samples[(static_cast<size_t>(y) * width + x) * channels]; }
    const float* at(int x, int y) const { return &samples[(static_cast<size_t>(y) * width + x) * channels]; }
    // Samples rounded to bytes, clamped.
    std::vector<unsigned char> toBytes() const;
};

// Writes a baseline JFIF stream (1 or 3 channels; colour without chroma
// subsampling). False when the file cannot be written.
bool writeJpeg(const std::string& path, const Raster& raster, int quality);

float clamp01(float v);
float smoothstep(float edge0, float edge1, float v);
float fractional(float v);

// A small counter-based generator: the same seed gives the same sequence on
// every machine.
struct SeededRandom {
    uint64_t state = 0;
    explicit SeededRandom(uint64_t seed) : state(seed) {}
    uint64_t next();
    // Uniform in [0, 1).
    float unit();
    // Uniform in [low, high).
    float range(float low, float high);
    // 0 .. count-1.
    int index(int count);
};

// A well-mixed 32-bit hash of up to three integers, for lattice noise.
uint32_t hashCell(int32_t x, int32_t y, int32_t seed);
