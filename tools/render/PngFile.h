#pragma once

#include <cstdint>

// Writes an 8-bit RGB PNG from RGBA bytes given bottom row first, as
// glReadPixels leaves them (alpha is dropped). Nothing in the file depends
// on the time or the machine: the same pixels give the same bytes. False,
// with one line on standard error, when the file cannot be written; a
// partly written file is removed.
bool writePngFromBottomUp(const char* path, const uint8_t* rgba, int32_t width, int32_t height);
