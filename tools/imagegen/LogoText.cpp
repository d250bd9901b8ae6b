#include "tools/imagegen/LogoText.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {

const char kLogoText[] = "PELLIX";
// Pixel sizes tried, largest first, until the word fits inside the margins.
const int kLargestPixelSize = 64;
const int kSmallestPixelSize = 8;
// Extra space between letters, in pixels.
const int kLetterSpacing = 2;

struct Ink {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Draws the word with its pen origin at (originX, baseline) into `logo`
// when `draw`, and returns the bounding box of the ink.
Ink layOut(FT_Face face, int originX, int baseline, Raster* logo)
{
    Ink ink{1 << 20, 1 << 20, -(1 << 20), -(1 << 20)};
    int pen = originX;
    FT_UInt previous = 0;
    for (const char* c = kLogoText; *c != '\0'; ++c) {
        const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<FT_ULong>(*c));
        if (previous != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kerning{};
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning);
            pen += static_cast<int>(kerning.x >> 6);
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = pen + slot->bitmap_left;
        const int top = baseline - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const unsigned char value = bitmap.buffer[row * bitmap.pitch + column];
                if (value == 0) {
                    continue;
                }
                const int x = left + static_cast<int>(column);
                const int y = top + static_cast<int>(row);
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x + 1);
                ink.bottom = std::max(ink.bottom, y + 1);
                if (logo != nullptr && x >= 0 && y >= 0 && x < logo->width && y < logo->height) {
                    float& sample = logo->at(x, y)[0];
                    sample = std::max(sample, value / 255.0f);
                }
            }
        }
        pen += static_cast<int>(slot->advance.x >> 6) + kLetterSpacing;
        previous = glyph;
    }
    return ink;
}

}  // namespace

bool drawLogo(const std::string& fontPath, Raster& logo)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        return false;
    }
    const int innerWidth = kLogoWidth - 2 * kLogoMargin;
    const int innerHeight = kLogoHeight - 2 * kLogoMargin;
    bool drawn = false;
    for (int size = kLargestPixelSize; size >= kSmallestPixelSize && !drawn; --size) {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
        const Ink ink = layOut(face, 0, 0, nullptr);
        const int inkWidth = ink.right - ink.left;
        const int inkHeight = ink.bottom - ink.top;
        if (inkWidth > innerWidth || inkHeight > innerHeight) {
            continue;
        }
        // Centre the ink itself, not the pen box.
        const int originX = (kLogoWidth - inkWidth) / 2 - ink.left;
        const int baseline = (kLogoHeight - inkHeight) / 2 - ink.top;
        layOut(face, originX, baseline, &logo);
        drawn = true;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return drawn;
}
