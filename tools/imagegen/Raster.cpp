#include "tools/imagegen/Raster.h"

#include <cmath>
#include <cstdio>

#include <jpeglib.h>

Colour mix(const Colour& a, const Colour& b, float t)
{
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scale(const Colour& c, float factor)
{
    return Colour{c.r * factor, c.g * factor, c.b * factor};
}

Colour add(const Colour& a, const Colour& b)
{
    return Colour{a.r + b.r, a.g + b.g, a.b + b.b};
}

Raster::Raster(int pixelWidth, int pixelHeight, int channelCount)
    : width(pixelWidth), height(pixelHeight), channels(channelCount),
      samples(static_cast<size_t>(pixelWidth) * pixelHeight * channelCount, 0.0f)
{
}

std::vector<unsigned char> Raster::toBytes() const
{
    std::vector<unsigned char> bytes(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        bytes[i] = static_cast<unsigned char>(std::lround(clamp01(samples[i]) * 255.0f));
    }
    return bytes;
}

bool writeJpeg(const std::string& path, const Raster& raster, int quality)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::vector<unsigned char> bytes = raster.toBytes();
    jpeg_compress_struct compressor;
    jpeg_error_mgr errors;
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    jpeg_stdio_dest(&compressor, file);
    compressor.image_width = static_cast<JDIMENSION>(raster.width);
    compressor.image_height = static_cast<JDIMENSION>(raster.height);
    compressor.input_components = raster.channels;
    compressor.in_color_space = raster.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, quality, TRUE);
    compressor.optimize_coding = TRUE;
    compressor.dct_method = JDCT_ISLOW;
    for (int i = 0; i < compressor.num_components; ++i) {
        compressor.comp_info[i].h_samp_factor = 1;
        compressor.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&compressor, TRUE);
    const size_t rowBytes = static_cast<size_t>(raster.width) * raster.channels;
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&bytes[compressor.next_scanline * rowBytes]);
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    return std::fclose(file) == 0;
}

float clamp01(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float smoothstep(float edge0, float edge1, float v)
{
    const float t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float fractional(float v)
{
    return v - std::floor(v);
}

uint64_t SeededRandom::next()
{
    // splitmix64
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float SeededRandom::unit()
{
    return static_cast<float>(next() >> 40) / static_cast<float>(1ull << 24);
}

float SeededRandom::range(float low, float high)
{
    return low + (high - low) * unit();
}

int SeededRandom::index(int count)
{
    return static_cast<int>(next() % static_cast<uint64_t>(count));
}

uint32_t hashCell(int32_t x, int32_t y, int32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
                 static_cast<uint32_t>(seed) * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}
