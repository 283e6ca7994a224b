#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "app/track_thinning.h"

namespace {

// What was kept (each value the point's index in `in`) draws as `in` did: joined just where `in`
// runs on unbroken, at most `most` points, and unless capped every stretch's ends.
void checkDrawsTheSame(const std::vector<DrawnPoint>& in, const std::vector<DrawnPoint>& out,
                       std::size_t most, bool capped) {
    EXPECT_LE(out.size(), most);
    std::vector<bool> kept(in.size(), false);
    std::size_t from = 0;
    for (std::size_t j = 0; j < out.size(); ++j) {
        const auto at = static_cast<std::size_t>(out[j].value);
        bool unbroken = j > 0;
        for (; from <= at; ++from) {
            unbroken = unbroken && in[from].joined;
        }
        EXPECT_EQ(out[j].joined, unbroken) << at;
        kept[at] = true;
    }
    for (std::size_t i = 0; i < in.size() && !capped; ++i) {
        const bool edge = !in[i].joined || i + 1 == in.size() || !in[i + 1].joined;
        EXPECT_TRUE(kept[i] || !edge) << i;
    }
}

TEST(TrackThinning, DrawsTheSameLineWithFewerPoints) {
    const struct {
        int count, breakEvery;  // points, and a break before every so many
        double step, jitter;    // pixels right and at most up or down from one point to the next
        std::size_t kept;       // points of a map line kept at most; capped: the cap leaves some
        bool capped;
    } cases[] = {
        {20480, 20480, 0.02, 0, 300, false},   // a full memory, dense on a short road
        {20480, 20480, 0.02, 40, 6000, true},  // the same, noisy
        {5000, 3, 0.5, 0, 3334, false},        // short stretches keep their ends
        {300000, 1, 0.001, 5, 6000, true},     // nothing but lone points
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::mt19937 random(7);
        std::uniform_real_distribution<double> noise(-c.jitter, c.jitter);
        std::vector<DrawnPoint> in;
        std::vector<int> stretch;
        for (int i = 0; i < c.count; ++i) {
            in.push_back(
                {QPointF(i * c.step, 100 + noise(random)), double(i), i % c.breakEvery != 0});
            stretch.push_back((stretch.empty() ? 0 : stretch.back()) + !in.back().joined);
        }
        checkDrawsTheSame(in, thinForDrawing(in, 1.5, 6000), c.kept, c.capped);
        const std::vector<DrawnPoint> columns = thinByColumn(in);
        checkDrawsTheSame(in, columns, in.size(), false);
        // Each pixel column of each stretch keeps its lowest and highest point.
        const auto envelope = [&stretch](const std::vector<DrawnPoint>& points) {
            std::map<std::tuple<int, double, int>, double> found;  // stretch, column, ±1: extreme
            for (const DrawnPoint& d : points) {
                for (int sign : {-1, 1}) {
                    const auto key =
                        std::make_tuple(stretch[std::size_t(d.value)], std::floor(d.at.x()), sign);
                    const double y = sign * d.at.y();
                    found[key] = found.count(key) ? std::max(found[key], y) : y;
                }
            }
            return found;
        };
        EXPECT_EQ(envelope(columns), envelope(in));
    }
}

}  // namespace
