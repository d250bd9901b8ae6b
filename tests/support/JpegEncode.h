#pragma once

#include <vector>

// Encodes interleaved 8-bit samples (top row first, `components` 1 for grey
// or 3 for RGB) as a baseline JPEG stream with the real libjpeg, every
// component at full resolution so that edges stay where the samples put them.
// `quality` is libjpeg's 1..100. Returns an empty stream on failure.
std::vector<unsigned char> encodeTestJpeg(const unsigned char* samples, int width, int height, int components,
                                          int quality);
