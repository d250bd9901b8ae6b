#pragma once

// The sprite sheet and its mask: 42 glass discs, each centred in a 96 x 96
// cell, 9 cells a row from the top-left corner (rows of 9, 9, 9, 9 and 6),
// black everywhere else.

#include "tools/imagegen/Raster.h"

const int kSheetWidth = 1024;
const int kSheetHeight = 512;
const int kCellSize = 96;
const int kCellsPerRow = 9;
const int kDiscCount = 42;

// The colour sheet, 3 channels.
Raster drawDiscSheet();
// The mask: a white disc with a soft edge over each picture, 1 channel.
Raster drawDiscMask();
