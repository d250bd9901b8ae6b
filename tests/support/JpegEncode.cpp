#include "tests/support/JpegEncode.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

std::vector<unsigned char> encodeTestJpeg(const unsigned char* samples, int width, int height, int components,
                                          int quality)
{
    std::vector<unsigned char> stream;
    if (samples == nullptr || width <= 0 || height <= 0 || (components != 1 && components != 3)) {
        return stream;
    }
    jpeg_compress_struct compressor;
    jpeg_error_mgr errors;
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compressor, &buffer, &size);
    compressor.image_width = static_cast<JDIMENSION>(width);
    compressor.image_height = static_cast<JDIMENSION>(height);
    compressor.input_components = components;
    compressor.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, quality, TRUE);
    for (int c = 0; c < compressor.num_components; ++c) {
        compressor.comp_info[c].h_samp_factor = 1;
        compressor.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&compressor, TRUE);
    const size_t rowBytes = static_cast<size_t>(width) * components;
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples + compressor.next_scanline * rowBytes);
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    if (buffer != nullptr && size != 0) {
        stream.assign(buffer, buffer + size);
    }
    std::free(buffer);
    return stream;
}
