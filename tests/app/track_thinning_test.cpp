#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "app/track_thinning.h"

namespace {

// Lines of every shape: each point's value is its index, so that what was kept can be traced.
std::vector<DrawnPoint> line(int count, int breakEvery, double step, double jitter) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-jitter, jitter);
    std::vector<DrawnPoint> points;
    for (int i = 0; i < count; ++i) {
        points.push_back({QPointF(i * step, 100 + noise(random)), double(i), i % breakEvery != 0});
    }
    return points;
}

// What was kept is drawn as the line was: in order, joined exactly where the line runs on
// unbroken from the last point kept, no more points than `most`, and, unless the cap left
// points out, every stretch begun and ended where it was.
void checkDrawsTheSame(const std::vector<DrawnPoint>& in, const std::vector<DrawnPoint>& out,
                       std::size_t most, bool capped) {
    ASSERT_FALSE(out.empty());
    EXPECT_LE(out.size(), most);
    std::vector<bool> kept(in.size(), false);
    for (std::size_t j = 0; j < out.size(); ++j) {
        const auto at = static_cast<std::size_t>(out[j].value);
        bool unbroken = j > 0;
        for (std::size_t i = j > 0 ? static_cast<std::size_t>(out[j - 1].value) + 1 : 0; i <= at;
             ++i) {
            unbroken = unbroken && in[i].joined;
        }
        EXPECT_EQ(out[j].joined, unbroken) << at;
        kept[at] = true;
    }
    for (std::size_t i = 0; i < in.size() && !capped; ++i) {
        const bool edge = !in[i].joined || i + 1 == in.size() || !in[i + 1].joined;
        EXPECT_TRUE(kept[i] || !edge) << i;
    }
}

// The lowest and highest point of each pixel column of each stretch.
std::map<std::pair<int, double>, std::pair<double, double>> envelope(
    const std::vector<DrawnPoint>& in, const std::vector<DrawnPoint>& points) {
    std::vector<int> stretch(in.size(), 0);
    for (std::size_t i = 1; i < in.size(); ++i) {
        stretch[i] = stretch[i - 1] + (in[i].joined ? 0 : 1);
    }
    std::map<std::pair<int, double>, std::pair<double, double>> found;
    for (const DrawnPoint& d : points) {
        const double y = d.at.y();
        const auto key =
            std::make_pair(stretch[static_cast<std::size_t>(d.value)], std::floor(d.at.x()));
        auto [it, added] = found.emplace(key, std::make_pair(y, y));
        it->second = {std::min(it->second.first, y), std::max(it->second.second, y)};
    }
    return found;
}

TEST(TrackThinning, DrawsTheSameLineWithFewerPoints) {
    const struct {
        int count;
        int breakEvery;
        double step;       // pixels from one point to the next, left to right
        double jitter;     // up and down
        std::size_t kept;  // points of a map line kept at most
        bool capped;       // the cap leaves points out
    } cases[] = {
        {20480, 20480, 0.02, 0, 300, false},   // a full memory, dense on a short road
        {20480, 20480, 0.02, 40, 6000, true},  // the same, noisy
        {5000, 3, 0.5, 0, 3334, false},        // short stretches keep their ends
        {300000, 1, 0.001, 5, 6000, true},     // nothing but lone points
        {50, 10, 3, 3, 50, false},             // sparse: nothing to leave out
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        const std::vector<DrawnPoint> in = line(c.count, c.breakEvery, c.step, c.jitter);
        checkDrawsTheSame(in, thinForDrawing(in, 1.5, 6000), c.kept, c.capped);
        const std::vector<DrawnPoint> columns = thinByColumn(in);
        checkDrawsTheSame(in, columns, in.size(), false);
        EXPECT_EQ(envelope(in, columns), envelope(in, in));
    }
}

}  // namespace
