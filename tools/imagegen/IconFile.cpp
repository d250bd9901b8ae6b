#include "tools/imagegen/IconFile.h"

#include "tools/imagegen/Raster.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const int kIconSizes[] = {32, 16};
const int kIconColours = 16;
const int kBitsPerPixel = 4;
const int kBitmapHeaderBytes = 40;
const int kDirectoryBytes = 6;
const int kEntryBytes = 16;
const int kSuperSamples = 8;
// Coverage below which a pixel is transparent.
const float kOpaqueCoverage = 0.5f;

// The icon's own 16 colours: the rosette's jewel tones, light and dark.
const unsigned char kPalette[kIconColours][3] = {
    {0, 0, 0},       {20, 24, 90},    {40, 70, 200},   {110, 170, 255},
    {60, 220, 230},  {120, 10, 30},   {215, 30, 50},   {250, 120, 30},
    {245, 195, 40},  {255, 245, 150}, {70, 20, 110},   {190, 60, 200},
    {255, 255, 255}, {170, 175, 200}, {10, 90, 60},    {60, 190, 90},
};

const float kPi = 3.14159265f;

// The rosette in disc coordinates (-1..1, y down): eight gold petals over
// blue glass, a red centre, a dark rim and a highlight at the top left.
Colour rosette(float x, float y)
{
    const float r = std::sqrt(x * x + y * y);
    const float a = std::atan2(y, x);
    const float petal = 0.3f + 0.5f * std::pow(std::fabs(std::cos(4.0f * a)), 1.5f);
    const float inner = 0.22f + 0.2f * std::pow(std::fabs(std::cos(4.0f * a + 0.5f * kPi)), 1.5f);
    Colour c = mix(Colour{0.2f, 0.35f, 0.9f}, Colour{0.08f, 0.1f, 0.4f}, r);
    if (r < petal) {
        c = mix(Colour{1.0f, 0.85f, 0.25f}, Colour{0.98f, 0.5f, 0.12f}, r / petal);
    }
    if (r < inner) {
        c = mix(Colour{0.95f, 0.2f, 0.6f}, Colour{0.75f, 0.25f, 0.8f}, r / inner);
    }
    if (r < 0.14f) {
        c = Colour{0.9f, 0.12f, 0.2f};
    }
    c = scale(c, 1.0f - 0.55f * smoothstep(0.78f, 1.0f, r));
    const float dx = x + 0.38f;
    const float dy = y + 0.4f;
    const float highlight = 0.9f * std::exp(-(dx * dx + dy * dy) / 0.04f);
    return mix(c, Colour{1.0f, 1.0f, 1.0f}, clamp01(highlight));
}

int nearestColour(const Colour& c)
{
    int best = 0;
    float bestDistance = 1e9f;
    for (int i = 0; i < kIconColours; ++i) {
        const float dr = c.r * 255.0f - kPalette[i][0];
        const float dg = c.g * 255.0f - kPalette[i][1];
        const float db = c.b * 255.0f - kPalette[i][2];
        // Weighted towards green, as the eye is.
        const float distance = 0.3f * dr * dr + 0.59f * dg * dg + 0.11f * db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

void putU16(std::vector<unsigned char>& out, unsigned value)
{
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void putU32(std::vector<unsigned char>& out, uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

int rowBytes(int bits)
{
    return ((bits + 31) / 32) * 4;
}

// One icon image: header, palette, 4-bit colour rows and the 1-bit
// transparency mask, both bottom row first.
std::vector<unsigned char> iconImage(int size)
{
    std::vector<int> indices(static_cast<size_t>(size) * size, 0);
    std::vector<bool> transparent(static_cast<size_t>(size) * size, true);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Colour sum;
            int covered = 0;
            for (int sy = 0; sy < kSuperSamples; ++sy) {
                for (int sx = 0; sx < kSuperSamples; ++sx) {
                    const float x = ((px + (sx + 0.5f) / kSuperSamples) / size) * 2.0f - 1.0f;
                    const float y = ((py + (sy + 0.5f) / kSuperSamples) / size) * 2.0f - 1.0f;
                    if (x * x + y * y <= 1.0f) {
                        sum = add(sum, rosette(x, y));
                        ++covered;
                    }
                }
            }
            const float coverage = static_cast<float>(covered) / (kSuperSamples * kSuperSamples);
            if (coverage >= kOpaqueCoverage) {
                indices[static_cast<size_t>(py) * size + px] = nearestColour(scale(sum, 1.0f / covered));
                transparent[static_cast<size_t>(py) * size + px] = false;
            }
        }
    }

    const int colourRow = rowBytes(size * kBitsPerPixel);
    const int maskRow = rowBytes(size);
    std::vector<unsigned char> out;
    putU32(out, kBitmapHeaderBytes);
    putU32(out, static_cast<uint32_t>(size));
    putU32(out, static_cast<uint32_t>(size * 2));
    putU16(out, 1);
    putU16(out, kBitsPerPixel);
    putU32(out, 0);
    putU32(out, static_cast<uint32_t>((colourRow + maskRow) * size));
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, kIconColours);
    putU32(out, 0);
    for (const auto& entry : kPalette) {
        out.push_back(entry[2]);
        out.push_back(entry[1]);
        out.push_back(entry[0]);
        out.push_back(0);
    }
    for (int py = size - 1; py >= 0; --py) {
        std::vector<unsigned char> row(static_cast<size_t>(colourRow), 0);
        for (int px = 0; px < size; ++px) {
            const int index = indices[static_cast<size_t>(py) * size + px];
            row[px / 2] |= static_cast<unsigned char>(px % 2 == 0 ? index << 4 : index);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int py = size - 1; py >= 0; --py) {
        std::vector<unsigned char> row(static_cast<size_t>(maskRow), 0);
        for (int px = 0; px < size; ++px) {
            if (transparent[static_cast<size_t>(py) * size + px]) {
                row[px / 8] |= static_cast<unsigned char>(0x80 >> (px % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

bool writeIcon(const std::string& path)
{
    const int count = static_cast<int>(sizeof(kIconSizes) / sizeof(kIconSizes[0]));
    std::vector<std::vector<unsigned char>> images;
    for (int size : kIconSizes) {
        images.push_back(iconImage(size));
    }
    std::vector<unsigned char> file;
    putU16(file, 0);
    putU16(file, 1);
    putU16(file, static_cast<unsigned>(count));
    uint32_t offset = static_cast<uint32_t>(kDirectoryBytes + kEntryBytes * count);
    for (int i = 0; i < count; ++i) {
        file.push_back(static_cast<unsigned char>(kIconSizes[i]));
        file.push_back(static_cast<unsigned char>(kIconSizes[i]));
        file.push_back(kIconColours);
        file.push_back(0);
        putU16(file, 1);
        putU16(file, kBitsPerPixel);
        putU32(file, static_cast<uint32_t>(images[i].size()));
        putU32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) {
        file.insert(file.end(), image.begin(), image.end());
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}
