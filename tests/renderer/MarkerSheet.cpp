#include "tests/renderer/MarkerSheet.h"

#include "platform/Platform.h"
#include "scene/Sprite.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

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
    jpeg_compress_struct compressor;
    jpeg_error_mgr errors;
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compressor, &buffer, &size);
    compressor.image_width = kSheetWidth;
    compressor.image_height = kSheetHeight;
    compressor.input_components = components;
    compressor.in_color_space = components == kColourComponents ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, kJpegQuality, TRUE);
    jpeg_start_compress(&compressor, TRUE);
    const size_t rowBytes = static_cast<size_t>(kSheetWidth) * components;
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(samples.data() + compressor.next_scanline * rowBytes);
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    if (buffer == nullptr || size == 0) {
        return false;
    }
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return true;
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
