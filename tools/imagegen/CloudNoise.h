#pragma once

// The cloud layer: soft light and dark patches of gradient noise that tile
// seamlessly in both directions (the lattice wraps at the picture's edges)
// with square lattice cells, so features are round in pixels.

#include "tools/imagegen/Raster.h"

const int kCloudWidth = 1024;
const int kCloudHeight = 256;

Raster drawClouds();
