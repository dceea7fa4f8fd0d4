// The squarified layout: areas by weight, a tiling without gap or overlap, cells near square, and
// the weights and rectangles that must not break it.
#include "controls/TreemapLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr double Tolerance = 1e-6;

// A case's name as a test name: letters and digits, the rest underscores.
template <class TCase> std::string CaseName(const ::testing::TestParamInfo<TCase> &info)
{
    std::string name = info.param.Name;
    for (char &ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

double Area(const QRectF &r)
{
    return r.width() * r.height();
}

double AspectRatio(const QRectF &r)
{
    return std::max(r.width() / r.height(), r.height() / r.width());
}

bool Overlap(const QRectF &a, const QRectF &b)
{
    return a.left() < b.right() - Tolerance && b.left() < a.right() - Tolerance &&
           a.top() < b.bottom() - Tolerance && b.top() < a.bottom() - Tolerance;
}

struct LayoutCase
{
    const char *Name;
    std::vector<double> Weights;
    QRectF Bounds;
    // The worst aspect ratio the layout may give a cell.
    double WorstRatio;
};

std::ostream &operator<<(std::ostream &out, const LayoutCase &c)
{
    return out << c.Name;
}

std::vector<double> Descending(int count)
{
    std::vector<double> weights(count);
    for (int i = 0; i < count; ++i)
        weights[i] = count - i;
    return weights;
}

class SquarifiedLayoutTiling : public ::testing::TestWithParam<LayoutCase>
{
};

TEST_P(SquarifiedLayoutTiling, AreasFollowTheWeightsAndTileTheBounds)
{
    const LayoutCase &c = GetParam();
    const std::vector<QRectF> rects = SquarifiedLayout(c.Weights, c.Bounds);
    ASSERT_EQ(rects.size(), c.Weights.size());
    const double total = std::accumulate(c.Weights.begin(), c.Weights.end(), 0.0);
    double covered = 0;
    for (size_t i = 0; i < rects.size(); ++i) {
        const QRectF &r = rects[i];
        EXPECT_NEAR(Area(r), Area(c.Bounds) * c.Weights[i] / total, Area(c.Bounds) * 1e-9) << "cell " << i;
        EXPECT_TRUE(c.Bounds.adjusted(-Tolerance, -Tolerance, Tolerance, Tolerance).contains(r))
            << "cell " << i << " leaves the bounds";
        EXPECT_LE(AspectRatio(r), c.WorstRatio) << "cell " << i;
        covered += Area(r);
    }
    EXPECT_NEAR(covered, Area(c.Bounds), Area(c.Bounds) * 1e-9);
    for (size_t i = 0; i < rects.size() && rects.size() <= 200; ++i)
        for (size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(Overlap(rects[i], rects[j])) << "cells " << i << " and " << j;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SquarifiedLayoutTiling,
    ::testing::Values(
        // The example of the algorithm's paper: 6, 6, 4, 3, 2, 2, 1 in a 6 x 4 rectangle.
        LayoutCase{"paper example", {6, 6, 4, 3, 2, 2, 1}, QRectF(0, 0, 6, 4), 3.0},
        LayoutCase{"one item", {42}, QRectF(10, 20, 300, 100), 3.0},
        LayoutCase{"equal weights in a square", std::vector<double>(16, 1), QRectF(0, 0, 400, 400),
                   1.0 + 1e-9},
        LayoutCase{"unsorted weights", {1, 9, 3, 27, 2}, QRectF(0, 0, 640, 480), 3.0},
        // Each cell spans the width at best: the largest is 50 x 300.
        LayoutCase{"tall bounds", {5, 4, 3, 2, 1}, QRectF(0, 0, 50, 900), 6.0 + 1e-9},
        LayoutCase{"one huge and many small", {1e6, 1, 1, 1, 1, 1, 1, 1}, QRectF(0, 0, 800, 600), 2e6},
        LayoutCase{"offset bounds", {3, 1, 1}, QRectF(-50.5, 7.25, 120, 80), 3.0},
        LayoutCase{"three thousand units", Descending(3000), QRectF(0, 0, 1000, 700), 8.0}),
    CaseName<LayoutCase>);

TEST(SquarifiedLayout, FollowsThePapersRows)
{
    // A row takes the next weight while its worst ratio improves: 6, 6 stand in a column on the
    // left, 4, 3 in a row at the top of the rest, then 2, 2 and 1 one column each.
    const std::vector<QRectF> rects = SquarifiedLayout({6, 6, 4, 3, 2, 2, 1}, QRectF(0, 0, 6, 4));
    const double row = 7.0 / 3;
    const std::vector<QRectF> expected = {QRectF(0, 0, 3, 2),
                                          QRectF(0, 2, 3, 2),
                                          QRectF(3, 0, 12.0 / 7, row),
                                          QRectF(3 + 12.0 / 7, 0, 9.0 / 7, row),
                                          QRectF(3, row, 1.2, 4 - row),
                                          QRectF(4.2, row, 1.2, 4 - row),
                                          QRectF(5.4, row, 0.6, 4 - row)};
    ASSERT_EQ(rects.size(), expected.size());
    for (size_t i = 0; i < rects.size(); ++i) {
        EXPECT_NEAR(rects[i].left(), expected[i].left(), Tolerance) << "cell " << i;
        EXPECT_NEAR(rects[i].top(), expected[i].top(), Tolerance) << "cell " << i;
        EXPECT_NEAR(rects[i].width(), expected[i].width(), Tolerance) << "cell " << i;
        EXPECT_NEAR(rects[i].height(), expected[i].height(), Tolerance) << "cell " << i;
    }
}

struct DegenerateCase
{
    const char *Name;
    std::vector<double> Weights;
    QRectF Bounds;
    std::vector<bool> Placed;
};

std::ostream &operator<<(std::ostream &out, const DegenerateCase &c)
{
    return out << c.Name;
}

class SquarifiedLayoutDegenerate : public ::testing::TestWithParam<DegenerateCase>
{
};

TEST_P(SquarifiedLayoutDegenerate, UnplaceableWeightsGetAnEmptyCellAtTheCorner)
{
    const DegenerateCase &c = GetParam();
    const std::vector<QRectF> rects = SquarifiedLayout(c.Weights, c.Bounds);
    ASSERT_EQ(rects.size(), c.Weights.size());
    double covered = 0;
    for (size_t i = 0; i < rects.size(); ++i) {
        EXPECT_TRUE(std::isfinite(rects[i].left()) && std::isfinite(rects[i].width())) << "cell " << i;
        if (c.Placed[i]) {
            EXPECT_GT(Area(rects[i]), 0) << "cell " << i;
        } else {
            EXPECT_EQ(rects[i], QRectF(c.Bounds.topLeft(), QSizeF(0, 0))) << "cell " << i;
        }
        covered += Area(rects[i]);
    }
    const bool anyPlaced = std::find(c.Placed.begin(), c.Placed.end(), true) != c.Placed.end();
    EXPECT_NEAR(covered, anyPlaced ? Area(c.Bounds) : 0, 1e-6 * std::max(1.0, Area(c.Bounds)));
}

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Huge = std::numeric_limits<double>::max();

INSTANTIATE_TEST_SUITE_P(
    Table, SquarifiedLayoutDegenerate,
    ::testing::Values(
        DegenerateCase{"no weights", {}, QRectF(0, 0, 10, 10), {}},
        DegenerateCase{
            "zero sizes among others", {0, 5, 0, 3}, QRectF(0, 0, 10, 10), {false, true, false, true}},
        DegenerateCase{"all zero", {0, 0}, QRectF(0, 0, 10, 10), {false, false}},
        DegenerateCase{"negative, infinite and NaN",
                       {-4, Inf, NaN, 2},
                       QRectF(0, 0, 10, 10),
                       {false, false, false, true}},
        DegenerateCase{"sums that overflow", {Huge, Huge, Huge}, QRectF(0, 0, 30, 10), {true, true, true}},
        DegenerateCase{"zero width", {1, 2}, QRectF(5, 5, 0, 10), {false, false}},
        DegenerateCase{"zero height", {1, 2}, QRectF(5, 5, 10, 0), {false, false}},
        DegenerateCase{"negative size", {1, 2}, QRectF(5, 5, -10, 10), {false, false}},
        DegenerateCase{"sub-pixel bounds", {3, 2, 1}, QRectF(0, 0, 0.5, 0.25), {true, true, true}}),
    CaseName<DegenerateCase>);

TEST(SquarifiedLayout, EqualWeightsKeepTheirOrder)
{
    const std::vector<QRectF> rects = SquarifiedLayout({1, 1, 1, 1}, QRectF(0, 0, 200, 50));
    for (size_t i = 1; i < rects.size(); ++i)
        EXPECT_GT(rects[i].left() + rects[i].top(), rects[i - 1].left() + rects[i - 1].top()) << "cell " << i;
}

} // namespace
