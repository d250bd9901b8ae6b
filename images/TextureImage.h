#pragma once

#include "common/Gl.h"

#include <cstdint>

// One decoded picture and the OpenGL texture made from it.
// States: empty (zero-filled by its owner) -> decoded (pixels, bitsPerPixel,
// width, height written by a loader) -> uploaded (textureName set, pixels
// freed by UploadTexture). A failed loader leaves textureName as it was.
struct TextureImage {
    // width * bitsPerPixel / 8 bytes a row, rows packed, top row first.
    // malloc'ed by the loader, freed by UploadTexture; never read after that.
    unsigned char* pixels;
    // 8: alpha only; 24: RGB; 32: RGBA.
    int32_t bitsPerPixel;
    uint32_t width;
    uint32_t height;
    // 0 until the upload has made a texture.
    GLuint textureName;
};

// The scene's three pictures. The scene malloc's the block zero-filled, so
// every textureName reads 0 until its upload ran, and frees it.
struct SceneTextures {
    TextureImage spriteSheet;  // 1024 x 512 RGBA, "JPEG_PELLIX_RGB" + "JPEG_PELLIX_MASK"
    TextureImage clouds;       // 1024 x 256 alpha, "CLOUDS_MASK"
    TextureImage logo;         // 256 x 64 alpha, "LOGO_MASK"
};
