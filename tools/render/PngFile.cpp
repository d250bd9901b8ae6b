#include "tools/render/PngFile.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {

const int kBitDepth = 8;
const size_t kRgbaBytes = 4;
const size_t kRgbBytes = 3;

void reportPngError(png_structp png, png_const_charp message)
{
    std::fprintf(stderr, "pellix-render: libpng: %s\n", message);
    png_longjmp(png, 1);
}

void ignorePngWarning(png_structp, png_const_charp) {}

// Everything that setjmp must not see change lives here, outside the
// function that calls setjmp.
struct PngWrite {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> row;
};

bool writeRows(PngWrite* write, const uint8_t* rgba, int32_t width, int32_t height)
{
    if (setjmp(png_jmpbuf(write->png)) != 0) {
        return false;
    }
    png_init_io(write->png, write->file);
    png_set_IHDR(write->png, write->info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 kBitDepth, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(write->png, write->info);
    for (int32_t row = height - 1; row >= 0; --row) {
        const uint8_t* from = rgba + static_cast<size_t>(row) * static_cast<size_t>(width) * kRgbaBytes;
        for (int32_t x = 0; x < width; ++x) {
            for (size_t channel = 0; channel < kRgbBytes; ++channel) {
                write->row[static_cast<size_t>(x) * kRgbBytes + channel] = from[static_cast<size_t>(x) * kRgbaBytes + channel];
            }
        }
        png_write_row(write->png, write->row.data());
    }
    png_write_end(write->png, write->info);
    return true;
}

}  // namespace

bool writePngFromBottomUp(const char* path, const uint8_t* rgba, int32_t width, int32_t height)
{
    PngWrite write;
    write.file = std::fopen(path, "wb");
    if (write.file == nullptr) {
        std::fprintf(stderr, "pellix-render: cannot write %s\n", path);
        return false;
    }
    write.row.resize(static_cast<size_t>(width) * kRgbBytes);
    write.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, reportPngError, ignorePngWarning);
    if (write.png != nullptr) {
        write.info = png_create_info_struct(write.png);
    }
    bool written = write.info != nullptr && writeRows(&write, rgba, width, height);
    png_destroy_write_struct(write.png != nullptr ? &write.png : nullptr, write.info != nullptr ? &write.info : nullptr);
    if (std::fclose(write.file) != 0) {
        written = false;
    }
    if (!written) {
        std::fprintf(stderr, "pellix-render: cannot write %s\n", path);
        std::remove(path);
    }
    return written;
}
