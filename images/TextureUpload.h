#pragma once

#include "images/TextureImage.h"

// Makes a mipmapped texture from image.pixels (format from bitsPerPixel:
// 8 and 16 alpha, 24 RGB, anything else RGBA), leaves it bound with
// GL_MODULATE, writes textureName and frees pixels. Needs a current context.
// Always true.
bool UploadTexture(TextureImage& image);
