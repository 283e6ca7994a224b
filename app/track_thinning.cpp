#include "app/track_thinning.h"

#include <algorithm>
#include <cmath>

namespace {

// Keeps the points that `keep(i, last kept, broken)` picks, where `broken` tells whether the
// line breaks between the last point kept and point i. The break of a point left out passes
// on to the next one kept.
template <typename Keep>
std::vector<DrawnPoint> keepOnly(const std::vector<DrawnPoint>& points, Keep keep) {
    std::vector<DrawnPoint> kept;
    kept.reserve(points.size());
    bool broken = false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        broken = broken || !points[i].joined || kept.empty();
        if (keep(i, kept.empty() ? nullptr : &kept.back(), broken)) {
            kept.push_back(points[i]);
            kept.back().joined = !broken;
            broken = false;
        }
    }
    return kept;
}

}  // namespace

std::vector<DrawnPoint> thinForDrawing(const std::vector<DrawnPoint>& points, double minStep,
                                       std::size_t maxPoints) {
    const auto endsStretch = [&points](std::size_t i) {
        return i + 1 == points.size() || !points[i + 1].joined;
    };
    const double minSquare = minStep * minStep;
    std::vector<DrawnPoint> near =
        keepOnly(points, [&](std::size_t i, const DrawnPoint* last, bool broken) {
            if (broken || endsStretch(i)) {
                return true;
            }
            const QPointF d = points[i].at - last->at;
            return d.x() * d.x() + d.y() * d.y() >= minSquare;
        });
    if (near.size() <= maxPoints || maxPoints == 0) {
        return near;
    }
    // Every n-th from the first, and the last: no more than maxPoints in all.
    const std::size_t every = maxPoints < 2 ? near.size() : (near.size() - 2) / (maxPoints - 1) + 1;
    return keepOnly(near, [&](std::size_t i, const DrawnPoint*, bool) {
        return i % every == 0 || i + 1 == near.size();
    });
}

std::vector<DrawnPoint> thinByColumn(const std::vector<DrawnPoint>& points) {
    std::vector<bool> keep(points.size(), false);
    // The points of the current column of the current stretch: first, lowest, highest, last.
    std::size_t first = 0;
    std::size_t low = 0;
    std::size_t high = 0;
    const auto close = [&](std::size_t last) {
        keep[first] = keep[low] = keep[high] = keep[last] = true;
    };
    for (std::size_t i = 0; i < points.size(); ++i) {
        const bool sameColumn = i > 0 && points[i].joined &&
                                std::floor(points[i].at.x()) == std::floor(points[first].at.x());
        if (!sameColumn) {
            if (i > 0) {
                close(i - 1);
            }
            first = low = high = i;
            continue;
        }
        // Screen y grows downwards: the lowest value is the largest y.
        if (points[i].at.y() > points[low].at.y()) {
            low = i;
        }
        if (points[i].at.y() < points[high].at.y()) {
            high = i;
        }
    }
    if (!points.empty()) {
        close(points.size() - 1);
    }
    return keepOnly(points, [&keep](std::size_t i, const DrawnPoint*, bool) {
        return static_cast<bool>(keep[i]);
    });
}
