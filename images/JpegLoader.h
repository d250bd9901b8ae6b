#pragma once

#include "images/TextureImage.h"

// Decodes the RCDATA resource `name` (found through platformFindResource)
// into `image` as it comes out of the decoder (8 bits per pixel for grey,
// 24 for colour) and uploads it. False on any failure; textureName is then
// unchanged, and fields written before the failure keep their values
// (pixels may still hold a decoded buffer, which the record's owner frees).
bool LoadJpegTexture(TextureImage& image, const char* name);

// Decodes the colour picture `colourName` and the grey picture `maskName`
// into one 32-bit RGBA image (alpha = the mask's sample) and uploads it.
// False on any failure, with the record as LoadJpegTexture leaves it.
bool LoadJpegTextureWithMask(TextureImage& image, const char* colourName, const char* maskName);
