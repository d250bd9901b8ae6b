#include "tests/renderer/SpriteLayer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const double kPi = 3.14159265358979323846;
const int kChannels = 4;
const int kColourChannels = 3;

}  // namespace

ViewMap ViewMap::turn(double degrees)
{
    const double c = std::cos(degrees * kPi / 180.0);
    const double s = std::sin(degrees * kPi / 180.0);
    ViewMap map;
    map.xx = c;
    map.xy = -s;
    map.yx = s;
    map.yy = c;
    return map;
}

ViewMap ViewMap::reflection(double degrees)
{
    const double c = std::cos(2.0 * degrees * kPi / 180.0);
    const double s = std::sin(2.0 * degrees * kPi / 180.0);
    ViewMap map;
    map.xx = c;
    map.xy = s;
    map.yx = s;
    map.yy = -c;
    return map;
}

ViewMap ViewMap::inverse() const
{
    const double det = xx * yy - xy * yx;
    ViewMap map;
    map.xx = yy / det;
    map.xy = -xy / det;
    map.yx = -yx / det;
    map.yy = xx / det;
    return map;
}

void ViewMap::apply(double x, double y, double& outX, double& outY) const
{
    outX = xx * x + xy * y;
    outY = yx * x + yy * y;
}

SpriteLayer::SpriteLayer(const std::vector<uint8_t>& with, const std::vector<uint8_t>& without, int pixelWidth,
                         int pixelHeight, int threshold)
    : width(pixelWidth), height(pixelHeight), marked(static_cast<size_t>(pixelWidth) * pixelHeight, 0)
{
    const size_t pixels = marked.size();
    if (with.size() < pixels * kChannels || without.size() < pixels * kChannels) {
        return;
    }
    for (size_t i = 0; i < pixels; ++i) {
        int largest = 0;
        for (int c = 0; c < kColourChannels; ++c) {
            largest = std::max(largest, std::abs(int(with[i * kChannels + c]) - int(without[i * kChannels + c])));
        }
        marked[i] = largest > threshold ? 1 : 0;
    }
}

int SpriteLayer::count() const
{
    return static_cast<int>(std::count(marked.begin(), marked.end(), 1));
}

bool SpriteLayer::markedNear(double x, double y, int tolerancePixels) const
{
    const int column = static_cast<int>(std::floor(x + width / 2.0));
    const int row = static_cast<int>(std::floor(height / 2.0 - y));
    for (int dy = -tolerancePixels; dy <= tolerancePixels; ++dy) {
        for (int dx = -tolerancePixels; dx <= tolerancePixels; ++dx) {
            const int c = column + dx;
            const int r = row + dy;
            if (c >= 0 && c < width && r >= 0 && r < height && marked[static_cast<size_t>(r) * width + c] != 0) {
                return true;
            }
        }
    }
    return false;
}

std::vector<LayerPoint> SpriteLayer::allPoints() const
{
    std::vector<LayerPoint> points;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            if (marked[static_cast<size_t>(row) * width + column] != 0) {
                points.push_back(LayerPoint{column + 0.5 - width / 2.0, height / 2.0 - (row + 0.5)});
            }
        }
    }
    return points;
}

std::vector<Blob> SpriteLayer::blobs(int minPixels) const
{
    std::vector<Blob> found;
    std::vector<uint8_t> seen(marked.size(), 0);
    std::vector<int> stack;
    for (int start = 0; start < width * height; ++start) {
        if (marked[start] == 0 || seen[start] != 0) {
            continue;
        }
        Blob blob;
        seen[start] = 1;
        stack.push_back(start);
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int row = at / width;
            const int column = at % width;
            blob.points.push_back(LayerPoint{column + 0.5 - width / 2.0, height / 2.0 - (row + 0.5)});
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int r = row + dy;
                    const int c = column + dx;
                    if (r < 0 || r >= height || c < 0 || c >= width) {
                        continue;
                    }
                    const int next = r * width + c;
                    if (marked[next] != 0 && seen[next] == 0) {
                        seen[next] = 1;
                        stack.push_back(next);
                    }
                }
            }
        }
        if (static_cast<int>(blob.points.size()) < minPixels) {
            continue;
        }
        for (const LayerPoint& p : blob.points) {
            blob.centreX += p.x;
            blob.centreY += p.y;
        }
        blob.centreX /= static_cast<double>(blob.points.size());
        blob.centreY /= static_cast<double>(blob.points.size());
        found.push_back(blob);
    }
    std::sort(found.begin(), found.end(),
              [](const Blob& a, const Blob& b) { return a.points.size() > b.points.size(); });
    return found;
}

double SpriteLayer::unmatchedUnder(const std::vector<LayerPoint>& points, const ViewMap& map,
                                   int tolerancePixels) const
{
    int judged = 0;
    int unmatched = 0;
    for (const LayerPoint& p : points) {
        double x = 0.0;
        double y = 0.0;
        map.apply(p.x, p.y, x, y);
        if (std::fabs(x) >= width / 2.0 - tolerancePixels || std::fabs(y) >= height / 2.0 - tolerancePixels) {
            continue;
        }
        ++judged;
        if (!markedNear(x, y, tolerancePixels)) {
            ++unmatched;
        }
    }
    return judged == 0 ? 0.0 : static_cast<double>(unmatched) / judged;
}

double directionOf(double x, double y)
{
    const double degrees = std::atan2(y, x) * 180.0 / kPi;
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}
