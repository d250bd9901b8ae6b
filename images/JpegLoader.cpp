// The two picture loaders: libjpeg decodes a resource stream in place, one
// row at a time, into a malloc'ed pixel buffer that UploadTexture turns into
// a texture and frees.
#include "images/JpegLoader.h"

#include "common/StartupTrace.h"

#include "images/MemorySource.h"
#include "images/TextureUpload.h"
#include "platform/Platform.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// The libjpeg interface this code is written against; the library refuses
// to create a decompressor for any other.
const int kJpegInterfaceVersion = 62;

// Bytes per pixel of the sheet's joined colour-and-mask image.
const uint32_t kRgbaBytes = 4;
const int kRgbaBitsPerPixel = 32;
const int kColourComponents = 3;
const int kMaskComponents = 1;

// Largest picture a loader takes on, in bytes of decoded samples. The
// built-in pictures need 2 MiB at most. A header that claims more is
// treated like a buffer that could not be allocated, and is refused before
// the library sizes its own buffers after it (a multi-scan stream makes it
// hold the whole picture's coefficients).
const uint64_t kMaxPixelBytes = uint64_t(64) << 20;

// One loader call's libjpeg state. `block` is written after the recovery
// point is set and read after a jump back to it, hence volatile.
struct DecodeSession {
    jpeg_decompress_struct decompressor;
    LoaderErrorManager errors;
    MemoryBlock* volatile block;
};

enum class RowCopy {
    Unchanged,    // the row as decoded, to the next row of the buffer
    ColourToRgb,  // three samples a pixel to bytes 0..2 of four
    MaskToAlpha,  // one sample a pixel to byte 3 of four
};

void prepareErrors(DecodeSession& session)
{
    session.block = nullptr;
    jpeg_std_error(&session.errors.pub);
    session.errors.pub.error_exit = LoaderErrorExit;
    session.decompressor.err = &session.errors.pub;
}

void deleteBlock(DecodeSession& session)
{
    MemoryBlock* block = session.block;
    session.block = nullptr;
    delete block;
}

// Destroys the decompressor (at whatever stage it is) and the block.
bool endSession(DecodeSession& session, bool result)
{
    jpeg_destroy_decompress(&session.decompressor);
    deleteBlock(session);
    return result;
}

// Looks up `name` and runs the decoder up to the first row. False, with
// nothing reported, when the resource is missing, the block record cannot
// be made or the picture is too large; library errors jump to the loader's
// recovery point.
bool startPicture(DecodeSession& session, const char* name)
{
    const unsigned char* data = nullptr;
    uint32_t size = 0;
    if (!platformFindResource(name, &data, &size) || size == 0) {
        return false;
    }
    MemoryBlock* block = new (std::nothrow) MemoryBlock;
    if (block == nullptr) {
        return false;
    }
    block->data = data;
    block->size = size;
    session.block = block;
    SetMemorySource(&session.decompressor, block);
    jpeg_read_header(&session.decompressor, TRUE);
    const jpeg_decompress_struct& header = session.decompressor;
    if (uint64_t(header.image_width) * header.image_height * uint64_t(header.num_components) > kMaxPixelBytes) {
        return false;
    }
    jpeg_start_decompress(&session.decompressor);
    return true;
}

// A zero-filled buffer of `rowBytes` x `height`, or null when it is too
// large or cannot be had.
unsigned char* allocatePixels(uint64_t rowBytes, uint64_t height)
{
    const uint64_t total = rowBytes * height;
    if (total == 0 || total > kMaxPixelBytes) {
        return nullptr;
    }
    return static_cast<unsigned char*>(std::calloc(static_cast<size_t>(total), 1));
}

// The row copies. Target and samples never overlap; saying so lets the
// compiler vectorise the loops.
void copyColourToRgb(unsigned char* __restrict target, const JSAMPLE* __restrict samples, size_t width)
{
    for (size_t i = 0; i < width; ++i) {
        target[kRgbaBytes * i] = samples[3 * i];
        target[kRgbaBytes * i + 1] = samples[3 * i + 1];
        target[kRgbaBytes * i + 2] = samples[3 * i + 2];
    }
}

void copyMaskToAlpha(unsigned char* __restrict target, const JSAMPLE* __restrict samples, size_t width)
{
    for (size_t i = 0; i < width; ++i) {
        target[kRgbaBytes * i + 3] = samples[i];
    }
}

// Decodes every row of the started picture into `pixels` (`rowBytes` a
// row, as many rows as the picture has), then finishes the picture. The
// caller has checked that the buffer holds the picture's rows in the form
// `copy` writes.
void decodeRows(DecodeSession& session, unsigned char* pixels, size_t rowBytes, RowCopy copy)
{
    jpeg_decompress_struct& decompressor = session.decompressor;
    const JDIMENSION sampleCount = decompressor.output_width * decompressor.output_components;
    JSAMPARRAY sampleRow = (*decompressor.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decompressor),
                                                              JPOOL_IMAGE, sampleCount, 1);
    const size_t width = decompressor.output_width;
    while (decompressor.output_scanline < decompressor.output_height) {
        unsigned char* target = pixels + static_cast<size_t>(decompressor.output_scanline) * rowBytes;
        jpeg_read_scanlines(&decompressor, sampleRow, 1);
        switch (copy) {
        case RowCopy::Unchanged:
            std::memcpy(target, sampleRow[0], sampleCount);
            break;
        case RowCopy::ColourToRgb:
            copyColourToRgb(target, sampleRow[0], width);
            break;
        case RowCopy::MaskToAlpha:
            copyMaskToAlpha(target, sampleRow[0], width);
            break;
        }
    }
    jpeg_finish_decompress(&decompressor);
}

}  // namespace

bool LoadJpegTexture(TextureImage& image, const char* name)
{
    DecodeSession session;
    prepareErrors(session);
    if (setjmp(session.errors.recovery) != 0) {
        return endSession(session, false);
    }
    jpeg_CreateDecompress(&session.decompressor, kJpegInterfaceVersion, sizeof(jpeg_decompress_struct));

    if (!startPicture(session, name)) {
        return endSession(session, false);
    }
    const jpeg_decompress_struct& decompressor = session.decompressor;
    const uint64_t rowBytes = uint64_t(decompressor.output_width) * decompressor.output_components;
    unsigned char* pixels = allocatePixels(rowBytes, decompressor.output_height);
    if (pixels == nullptr) {
        return endSession(session, false);
    }
    image.width = decompressor.output_width;
    image.height = decompressor.output_height;
    image.bitsPerPixel = decompressor.output_components * 8;
    image.pixels = pixels;

    decodeRows(session, pixels, static_cast<size_t>(rowBytes), RowCopy::Unchanged);
    endSession(session, true);
    traceStartup("decoded", name);
    const bool uploaded = UploadTexture(image);
    traceStartup("uploaded", name);
    return uploaded;
}

bool LoadJpegTextureWithMask(TextureImage& image, const char* colourName, const char* maskName)
{
    DecodeSession session;
    prepareErrors(session);
    if (setjmp(session.errors.recovery) != 0) {
        return endSession(session, false);
    }
    jpeg_CreateDecompress(&session.decompressor, kJpegInterfaceVersion, sizeof(jpeg_decompress_struct));

    if (!startPicture(session, colourName)) {
        return endSession(session, false);
    }
    const jpeg_decompress_struct& decompressor = session.decompressor;
    if (decompressor.output_components != kColourComponents) {
        return endSession(session, false);
    }
    const uint64_t rowBytes = uint64_t(decompressor.output_width) * kRgbaBytes;
    unsigned char* pixels = allocatePixels(rowBytes, decompressor.output_height);
    if (pixels == nullptr) {
        return endSession(session, false);
    }
    image.width = decompressor.output_width;
    image.height = decompressor.output_height;
    image.bitsPerPixel = kRgbaBitsPerPixel;
    image.pixels = pixels;
    decodeRows(session, pixels, static_cast<size_t>(rowBytes), RowCopy::ColourToRgb);

    // The same decompressor, and with it the same source manager, reads the
    // mask; the colour block goes before the library runs again.
    deleteBlock(session);
    if (!startPicture(session, maskName)) {
        return endSession(session, false);
    }
    if (decompressor.output_components != kMaskComponents || decompressor.output_width != image.width ||
        decompressor.output_height != image.height) {
        return endSession(session, false);
    }
    decodeRows(session, pixels, static_cast<size_t>(rowBytes), RowCopy::MaskToAlpha);
    endSession(session, true);
    traceStartup("decoded", colourName);
    const bool uploaded = UploadTexture(image);
    traceStartup("uploaded", colourName);
    return uploaded;
}
