#pragma once

// The logo: the word PELLIX in bold white antialiased lettering on black,
// centred with a margin on every side.

#include "tools/imagegen/Raster.h"

#include <string>

const int kLogoWidth = 256;
const int kLogoHeight = 64;
// Nothing is drawn within this many pixels of any edge.
const int kLogoMargin = 6;

// Renders the lettering with the TrueType font at `fontPath`. False (and
// the raster left black) when the font cannot be loaded.
bool drawLogo(const std::string& fontPath, Raster& logo);
