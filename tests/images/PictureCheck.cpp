#include "tests/images/PictureCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct QuietErrors {
    jpeg_error_mgr pub;
    jmp_buf recovery;
};

void quietErrorExit(j_common_ptr decompressor)
{
    longjmp(reinterpret_cast<QuietErrors*>(decompressor->err)->recovery, 1);
}

void quietMessage(j_common_ptr)
{
}

// Fills `picture`, which lives outside this frame so that its state is
// well defined after a jump back from the library.
bool decodeInto(const uint8_t* data, size_t size, PlainPicture& picture)
{
    jpeg_decompress_struct decompressor;
    QuietErrors errors;
    decompressor.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = quietErrorExit;
    errors.pub.output_message = quietMessage;
    if (setjmp(errors.recovery) != 0) {
        jpeg_destroy_decompress(&decompressor);
        return false;
    }
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&decompressor, TRUE);
    picture.progressive = decompressor.progressive_mode != 0;
    jpeg_start_decompress(&decompressor);
    picture.width = decompressor.output_width;
    picture.height = decompressor.output_height;
    picture.components = decompressor.output_components;
    const size_t rowBytes = static_cast<size_t>(picture.width) * picture.components;
    if (rowBytes * picture.height > kMaxPlainBytes) {
        jpeg_destroy_decompress(&decompressor);
        return false;
    }
    picture.samples.resize(rowBytes * picture.height);
    while (decompressor.output_scanline < decompressor.output_height) {
        JSAMPROW row = &picture.samples[decompressor.output_scanline * rowBytes];
        jpeg_read_scanlines(&decompressor, &row, 1);
    }
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    return true;
}

}  // namespace

PlainPicture decodePlain(const uint8_t* data, size_t size)
{
    PlainPicture picture;
    picture.decoded = size > 0 && decodeInto(data, size, picture);
    if (!picture.decoded) {
        picture.samples.clear();
    }
    return picture;
}

PlainPicture decodePlain(const std::vector<uint8_t>& bytes)
{
    return decodePlain(bytes.data(), bytes.size());
}

SampleFile readSample(const std::string& name)
{
    SampleFile sample;
    const std::string path = std::string(PELLIX_SOURCE_DIR) + "/tests/images/samples/" + name;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return sample;
    }
    std::vector<uint8_t> content;
    uint8_t chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
        content.insert(content.end(), chunk, chunk + got);
    }
    std::fclose(file);
    // A fresh vector of exactly the content's size: no spare capacity behind
    // the last byte for an overread to hide in.
    sample.bytes = std::vector<uint8_t>(content.begin(), content.end());
    sample.found = true;
    return sample;
}

std::vector<uint8_t> readBoundTexture(GLenum format, int level)
{
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    const size_t bytesPerPixel = format == GL_ALPHA ? 1 : (format == GL_RGB ? 3 : 4);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * bytesPerPixel);
    if (pixels.empty()) {
        return pixels;
    }
    GLint savedAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &savedAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, savedAlignment);
    return pixels;
}

double meanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size() || a.empty()) {
        return 255.0;
    }
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += std::abs(int(a[i]) - int(b[i]));
    }
    return sum / double(a.size());
}

std::vector<uint8_t> expectedLevelZero(const std::vector<uint8_t>& packed, uint32_t width, uint32_t height,
                                       GLenum format)
{
    GLint levelWidth = 0;
    GLint levelHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &levelWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &levelHeight);
    if (static_cast<uint32_t>(levelWidth) == width && static_cast<uint32_t>(levelHeight) == height) {
        return packed;
    }
    const size_t bytesPerPixel = format == GL_ALPHA ? 1 : (format == GL_RGB ? 3 : 4);
    std::vector<uint8_t> scaled(static_cast<size_t>(levelWidth) * levelHeight * bytesPerPixel);
    GLint savedUnpack = 4;
    GLint savedPack = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedUnpack);
    glGetIntegerv(GL_PACK_ALIGNMENT, &savedPack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gluScaleImage(format, static_cast<GLint>(width), static_cast<GLint>(height), GL_UNSIGNED_BYTE, packed.data(),
                  levelWidth, levelHeight, GL_UNSIGNED_BYTE, scaled.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, savedUnpack);
    glPixelStorei(GL_PACK_ALIGNMENT, savedPack);
    return scaled;
}

std::vector<uint8_t> joinColourAndMask(const PlainPicture& colour, const PlainPicture& mask)
{
    const size_t count = static_cast<size_t>(colour.width) * colour.height;
    std::vector<uint8_t> rgba(count * 4);
    for (size_t i = 0; i < count; ++i) {
        rgba[4 * i] = colour.samples[3 * i];
        rgba[4 * i + 1] = colour.samples[3 * i + 1];
        rgba[4 * i + 2] = colour.samples[3 * i + 2];
        rgba[4 * i + 3] = mask.samples[i];
    }
    return rgba;
}

StderrLines::StderrLines()
{
    std::fflush(stderr);
    testing::internal::CaptureStderr();
    capturing = true;
}

StderrLines::~StderrLines()
{
    lines();
}

int StderrLines::lines()
{
    if (capturing) {
        std::fflush(stderr);
        text = testing::internal::GetCapturedStderr();
        capturing = false;
    }
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}
