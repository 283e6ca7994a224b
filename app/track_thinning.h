#pragma once

#include <QPointF>
#include <cstddef>
#include <vector>

// A point of a line as the track view draws it: where it lies on screen, the value that
// colours it (a speed), and whether the line comes to it from the point before (false where
// the line starts, or starts again after a gap).
struct DrawnPoint {
    QPointF at;
    double value = 0;
    bool joined = false;
};

// A full memory holds some twenty thousand points and a log may hold many more, far more than
// a view has pixels; drawing each costs time and shows nothing more. These leave out points
// that would not show. A line never comes to cross a gap: where a point that starts a stretch
// is left out, the next point kept starts it instead.

// Leaves out a point closer than `minStep` pixels to the last one kept, unless a stretch
// starts or ends at it. When more than `maxPoints` remain, only every n-th of them is kept.
std::vector<DrawnPoint> thinForDrawing(const std::vector<DrawnPoint>& points, double minStep,
                                       std::size_t maxPoints);

// For a line running left to right (a value over time): of the points of one stretch that
// fall into one pixel column, only the first, the lowest, the highest and the last are kept.
std::vector<DrawnPoint> thinByColumn(const std::vector<DrawnPoint>& points);
