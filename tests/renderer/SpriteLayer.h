#pragma once

// What one sprite adds to a frame: the pixels where a frame drawn with the
// sprite differs from the same frame without it. Positions are measured from
// the centre of the view in pixels, x to the right and y up, and angles in
// degrees counter-clockwise from the positive x axis, as in the wedge's own
// coordinates.

#include <cstdint>
#include <vector>

// A linear map of the view about its centre: a turn or a reflection.
struct ViewMap {
    double xx = 1.0;
    double xy = 0.0;
    double yx = 0.0;
    double yy = 1.0;

    static ViewMap turn(double degrees);
    // Reflection across the line through the centre in direction `degrees`.
    static ViewMap reflection(double degrees);
    ViewMap inverse() const;
    void apply(double x, double y, double& outX, double& outY) const;
};

struct LayerPoint {
    double x = 0.0;
    double y = 0.0;
};

struct Blob {
    std::vector<LayerPoint> points;
    double centreX = 0.0;  // centroid
    double centreY = 0.0;
};

struct SpriteLayer {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> marked;  // width * height, top row first: 1 where the frames differ

    // Marks the pixels whose largest colour difference exceeds `threshold`;
    // both frames RGBA, top row first, width * height pixels.
    SpriteLayer(const std::vector<uint8_t>& with, const std::vector<uint8_t>& without, int pixelWidth,
                int pixelHeight, int threshold);

    int count() const;
    bool markedNear(double x, double y, int tolerancePixels) const;
    // The 8-connected groups of marked pixels, largest first; groups smaller
    // than `minPixels` (stray edge pixels) are left out.
    std::vector<Blob> blobs(int minPixels) const;
    // The part of `points` that `map` sends more than `tolerancePixels` away
    // from any marked pixel; points sent outside the view are not judged.
    double unmatchedUnder(const std::vector<LayerPoint>& points, const ViewMap& map, int tolerancePixels) const;
    std::vector<LayerPoint> allPoints() const;
};

// Direction of (x, y) in degrees, 0 .. 360.
double directionOf(double x, double y);
