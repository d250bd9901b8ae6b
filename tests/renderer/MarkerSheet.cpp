#include "tests/renderer/MarkerSheet.h"

#include "platform/Platform.h"
#include "scene/Sprite.h"
#include "tests/support/JpegEncode.h"

#include <cstddef>
#include <vector>

namespace {

const int kSheetWidth = 1024;
const int kSheetHeight = 512;
const int kColourComponents = 3;
const int kMaskComponents = 1;
const int kJpegQuality = 100;
const unsigned char kMarkerColour[kColourComponents] = {255, 190, 30};
const unsigned char kOpaque = 255;
const unsigned char kTransparent = 0;

// The F, in cell pixels [from, to): its stem, top bar and middle bar.
struct CellRect {
    int left;
    int top;
    int right;
    int bottom;
};
const CellRect kMarkerParts[] = {{20, 12, 40, 84}, {40, 12, 76, 30}, {40, 42, 60, 58}};

std::vector<unsigned char> gColourJpeg;
std::vector<unsigned char> gMaskJpeg;

bool encodeJpeg(const std::vector<unsigned char>& samples, int components, std::vector<unsigned char>& out)
{
    out = encodeTestJpeg(samples.data(), kSheetWidth, kSheetHeight, components, kJpegQuality);
    return !out.empty();
}

bool encodeSheet()
{
    std::vector<unsigned char> colour(static_cast<size_t>(kSheetWidth) * kSheetHeight * kColourComponents);
    std::vector<unsigned char> mask(static_cast<size_t>(kSheetWidth) * kSheetHeight * kMaskComponents);
    for (int y = 0; y < kSheetHeight; ++y) {
        for (int x = 0; x < kSheetWidth; ++x) {
            const size_t at = static_cast<size_t>(y) * kSheetWidth + x;
            for (int c = 0; c < kColourComponents; ++c) {
                colour[at * kColourComponents + c] = kMarkerColour[c];
            }
            mask[at] = markerCovers(x % kCellPixels, y % kCellPixels) ? kOpaque : kTransparent;
        }
    }
    return encodeJpeg(colour, kColourComponents, gColourJpeg) && encodeJpeg(mask, kMaskComponents, gMaskJpeg);
}

}  // namespace

bool markerCovers(int column, int row)
{
    for (const CellRect& part : kMarkerParts) {
        if (column >= part.left && column < part.right && row >= part.top && row < part.bottom) {
            return true;
        }
    }
    return false;
}

double markerCellCoverage()
{
    int covered = 0;
    for (int row = 0; row < kCellPixels; ++row) {
        for (int column = 0; column < kCellPixels; ++column) {
            covered += markerCovers(column, row) ? 1 : 0;
        }
    }
    return static_cast<double>(covered) / (kCellPixels * kCellPixels);
}

bool installMarkerSheet()
{
    if (gColourJpeg.empty() && !encodeSheet()) {
        return false;
    }
    return platformOverrideResource("JPEG_PELLIX_RGB", gColourJpeg.data(), static_cast<uint32_t>(gColourJpeg.size())) &&
           platformOverrideResource("JPEG_PELLIX_MASK", gMaskJpeg.data(), static_cast<uint32_t>(gMaskJpeg.size()));
}

void removeMarkerSheet()
{
    platformClearResourceOverrides();
}
