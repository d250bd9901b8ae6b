// Arbitrary bytes as one of the picture streams, found through the same
// resource lookup the saver uses; the other stream of the pair stays the
// built-in one. Slot 0: the sheet's colour picture, 1: its mask, 2: a grey
// picture through the single loader.
#include "common/Gl.h"
#include "images/JpegLoader.h"
#include "platform/Platform.h"
#include "tools/render/OffscreenGl.h"

#include <cstdlib>
#include <cstring>

namespace {

const int32_t kContextPixels = 16;

bool gContextReady = false;

void makeContext()
{
    // Lives for the whole run: every input uploads into it.
    static OffscreenGl context;
    gContextReady = context.open(kContextPixels, kContextPixels);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    makeContext();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!gContextReady || size > UINT32_MAX) {
        return 0;
    }
    // The stream is copied into a block of exactly its size, so that any
    // read past its end is caught.
    unsigned char* block = static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0) {
        std::memcpy(block, data, size);
    }
    const char* const names[] = {"JPEG_PELLIX_RGB", "JPEG_PELLIX_MASK", "CLOUDS_MASK"};
    platformClearResourceOverrides();
    platformOverrideResource(names[PELLIX_FUZZ_SLOT], block, static_cast<uint32_t>(size));

    TextureImage image{};
    if (PELLIX_FUZZ_SLOT == 2) {
        LoadJpegTexture(image, "CLOUDS_MASK");
    } else {
        LoadJpegTextureWithMask(image, "JPEG_PELLIX_RGB", "JPEG_PELLIX_MASK");
    }
    if (image.textureName != 0) {
        glDeleteTextures(1, &image.textureName);
    }
    std::free(image.pixels);
    platformClearResourceOverrides();
    std::free(block);
    return 0;
}
