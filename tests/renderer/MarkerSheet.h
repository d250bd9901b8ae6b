#pragma once

// A sprite sheet for telling copies apart. Every 96 x 96 cell holds the same
// opaque letter F in one flat colour on a transparent ground; no rotation of
// an F is its mirror image, so a picture shows which copies are mirrored.
// The colour and mask pictures are encoded with the real libjpeg and handed
// to the scene's loader through the resource overrides of the platform seam,
// so a renderer created afterwards draws its sprites with them.

// Encodes the two pictures (once per process) and overrides
// "JPEG_PELLIX_RGB" and "JPEG_PELLIX_MASK" with them. False when encoding or
// the override failed.
bool installMarkerSheet();

// Ends every resource override.
void removeMarkerSheet();

// The part of a cell that the F covers, 0..1.
double markerCellCoverage();

// Whether cell pixel (column, row), top row first, lies in the F.
bool markerCovers(int column, int row);
