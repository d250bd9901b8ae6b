#include "tools/imagegen/CloudNoise.h"

#include <cmath>

namespace {

// Lattice cells across the picture in the coarsest octave: 128-pixel cells
// both ways. Each finer octave doubles both counts, so every octave wraps.
const int kBaseCellsX = 8;
const int kBaseCellsY = 2;
const int kOctaves = 5;
const float kPersistence = 0.45f;
const int32_t kCloudSeed = 0x0C10D5;

// Contrast: the part of the noise range mapped to black..white.
const float kContrastLow = 0.08f;
const float kContrastHigh = 0.92f;

float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

int wrapIndex(int i, int period)
{
    const int m = i % period;
    return m < 0 ? m + period : m;
}

// The dot product of the lattice point's gradient with the offset to it.
float gradientDot(int ix, int iy, int periodX, int periodY, int32_t seed, float dx, float dy)
{
    const uint32_t h = hashCell(wrapIndex(ix, periodX), wrapIndex(iy, periodY), seed);
    const float angle = static_cast<float>(h >> 8) * (6.2831853f / 16777216.0f);
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

// Gradient noise in [-1, 1] roughly, periodic with periodX x periodY cells.
float periodicNoise(float x, float y, int periodX, int periodY, int32_t seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float dx = x - fx;
    const float dy = y - fy;
    const float a = gradientDot(ix, iy, periodX, periodY, seed, dx, dy);
    const float b = gradientDot(ix + 1, iy, periodX, periodY, seed, dx - 1.0f, dy);
    const float c = gradientDot(ix, iy + 1, periodX, periodY, seed, dx, dy - 1.0f);
    const float d = gradientDot(ix + 1, iy + 1, periodX, periodY, seed, dx - 1.0f, dy - 1.0f);
    const float u = fade(dx);
    const float v = fade(dy);
    return 1.41421356f * ((a + (b - a) * u) * (1.0f - v) + (c + (d - c) * u) * v);
}

}  // namespace

Raster drawClouds()
{
    Raster clouds(kCloudWidth, kCloudHeight, 1);
    float lowest = 1e9f;
    float highest = -1e9f;
    for (int y = 0; y < kCloudHeight; ++y) {
        for (int x = 0; x < kCloudWidth; ++x) {
            float sum = 0.0f;
            float amplitude = 1.0f;
            float total = 0.0f;
            int cellsX = kBaseCellsX;
            int cellsY = kBaseCellsY;
            for (int octave = 0; octave < kOctaves; ++octave) {
                const float u = (x + 0.5f) * cellsX / kCloudWidth;
                const float v = (y + 0.5f) * cellsY / kCloudHeight;
                sum += amplitude * periodicNoise(u, v, cellsX, cellsY, kCloudSeed + octave * 977);
                total += amplitude;
                amplitude *= kPersistence;
                cellsX *= 2;
                cellsY *= 2;
            }
            const float value = sum / total;
            clouds.at(x, y)[0] = value;
            lowest = std::fmin(lowest, value);
            highest = std::fmax(highest, value);
        }
    }
    for (float& sample : clouds.samples) {
        const float normalised = (sample - lowest) / (highest - lowest);
        sample = smoothstep(kContrastLow, kContrastHigh, normalised);
    }
    return clouds;
}
