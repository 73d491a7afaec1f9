// Region set operations and the rounded-rectangle shape.
#include "platform/Region.h"

#include <gtest/gtest.h>

#include <bitset>
#include <random>
#include <utility>
#include <vector>

#include "platform/WindowRegion.h"

using platform::Rect;
using platform::Region;

namespace {

int CountPixels(const Region& r)
{
    int n = 0;
    for (const Rect& piece : r.Rects())
        n += piece.Width() * piece.Height();
    return n;
}

TEST(RegionTest, UnionOfOverlappingRectanglesCoversEachPixelOnce)
{
    const Region r = Region(Rect{0, 0, 10, 10}).Union(Rect{5, 5, 15, 15});
    EXPECT_EQ(CountPixels(r), 100 + 100 - 25);
    EXPECT_EQ(r.Bounds(), (Rect{0, 0, 15, 15}));
    EXPECT_TRUE(r.Contains(12, 12));
    EXPECT_FALSE(r.Contains(12, 2));
    EXPECT_FALSE(r.Contains(15, 14)); // right edge is exclusive
}

TEST(RegionTest, TouchingRectanglesMergeIntoOne)
{
    const Region r = Region(Rect{0, 0, 5, 10}).Union(Rect{5, 0, 10, 10});
    ASSERT_EQ(r.Rects().size(), 1u);
    EXPECT_EQ(r.Rects()[0], (Rect{0, 0, 10, 10}));
    EXPECT_EQ(r, Region(Rect{0, 0, 10, 10}));
}

TEST(RegionTest, IntersectAndSubtract)
{
    const Region a(Rect{0, 0, 10, 10});
    EXPECT_EQ(a.Intersect(Rect{5, 5, 20, 20}), Region(Rect{5, 5, 10, 10}));
    EXPECT_TRUE(a.Intersect(Rect{10, 0, 20, 10}).IsEmpty());
    EXPECT_EQ(a.Intersect(Region(Rect{-5, 2, 3, 4})), Region(Rect{0, 2, 3, 4}));

    const Region hole = a.Subtract(Rect{3, 3, 7, 7});
    EXPECT_EQ(CountPixels(hole), 100 - 16);
    EXPECT_FALSE(hole.Contains(5, 5));
    EXPECT_TRUE(hole.Contains(2, 5));
    EXPECT_TRUE(hole.Contains(7, 5));
    // Putting the hole back restores the same canonical region.
    EXPECT_EQ(hole.Union(Rect{3, 3, 7, 7}), a);
    EXPECT_TRUE(a.Subtract(Rect{-1, -1, 11, 11}).IsEmpty());
}

TEST(RegionTest, EmptyRectanglesAddNothing)
{
    EXPECT_TRUE(Region(Rect{5, 5, 5, 10}).IsEmpty());
    EXPECT_TRUE(Region(Rect{5, 5, 2, 10}).IsEmpty());
    const Region a(Rect{0, 0, 4, 4});
    EXPECT_EQ(a.Union(Rect{}), a);
    EXPECT_EQ(Region().Bounds(), Rect{});
}

TEST(RegionTest, OffsetAndRectsWithin)
{
    Region r = Region(Rect{0, 0, 4, 4}).Union(Rect{6, 0, 8, 4});
    r.Offset(10, 20);
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_FALSE(r.Contains(15, 20));
    const auto pieces = r.RectsWithin({12, 21, 17, 22});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], (Rect{12, 21, 14, 22}));
    EXPECT_EQ(pieces[1], (Rect{16, 21, 17, 22}));
}

TEST(RegionTest, RoundRectCutsCornersSymmetrically)
{
    const Region r = Region::FromRoundRect({0, 0, 40, 30}, 16, 16);
    // As with GDI's round-rectangle regions, the last column and row are left out.
    EXPECT_EQ(r.Bounds(), (Rect{0, 0, 39, 29}));
    for (const auto& [x, y] : {std::pair{0, 0}, {38, 0}, {0, 28}, {38, 28}, {1, 1}, {37, 27}, {39, 15}, {20, 29}})
        EXPECT_FALSE(r.Contains(x, y)) << x << "," << y;
    for (const auto& [x, y] : {std::pair{20, 0}, {0, 15}, {38, 15}, {20, 28}, {8, 8}, {30, 20}})
        EXPECT_TRUE(r.Contains(x, y)) << x << "," << y;
    // Mirror symmetry: the shape does not lean towards any corner.
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 39; ++x)
            ASSERT_EQ(r.Contains(x, y), r.Contains(38 - x, 28 - y)) << x << "," << y;
}

TEST(RegionTest, RoundRectCoversTheSamePixelsAsAWindowRegion)
{
    // A rounded window and a rounded clip made from the same numbers must agree pixel for pixel.
    const int sizes[][4] = {{
                                0,
                                0,
                                40,
                                30,
                            },
                            {3, 5, 60, 17},
                            {0, 0, 7, 7},
                            {-4, 2, 100, 80}};
    const int ellipses[][2] = {{16, 16}, {5, 9}, {1, 1}, {200, 200}, {0, 12}, {3, 3}};
    for (const auto& b : sizes) {
        for (const auto& e : ellipses) {
            const Rect rect{b[0], b[1], b[2], b[3]};
            const Region region = Region::FromRoundRect(rect, e[0], e[1]);
            const platform::WindowRegion window =
                platform::WindowRegion::RoundRect(RECT{b[0], b[1], b[2], b[3]}, e[0], e[1]);
            for (int y = rect.top - 1; y <= rect.bottom; ++y)
                for (int x = rect.left - 1; x <= rect.right; ++x)
                    ASSERT_EQ(region.Contains(x, y), window.Contains(x, y))
                        << "rect " << b[0] << "," << b[1] << "," << b[2] << "," << b[3] << " ellipse " << e[0] << "x"
                        << e[1] << " at " << x << "," << y;
        }
    }
}

TEST(RegionTest, RoundRectWithTinyEllipseIsTheBox)
{
    EXPECT_EQ(Region::FromRoundRect({0, 0, 10, 10}, 1, 1), Region(Rect{0, 0, 9, 9}));
    EXPECT_EQ(Region::FromRoundRect({0, 0, 10, 10}, 0, 20), Region(Rect{0, 0, 9, 9}));
    EXPECT_TRUE(Region::FromRoundRect({0, 0, 1, 10}, 4, 4).IsEmpty());
    // An ellipse larger than the box is clamped to it: an ellipse filling the box.
    const Region round = Region::FromRoundRect({0, 0, 10, 10}, 100, 100);
    EXPECT_FALSE(round.Contains(0, 1));
    EXPECT_FALSE(round.Contains(1, 0));
    EXPECT_TRUE(round.Contains(4, 0));
}

// A region checked pixel by pixel against a plain set of pixels on a small grid: random unions,
// intersections, differences and offsets, from single rectangles to shapes of many bands and
// spans, copied and moved along the way.
constexpr int kGrid = 24;
using Pixels = std::bitset<kGrid * kGrid>;

Pixels Of(const Rect& r)
{
    Pixels p;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, kGrid); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, kGrid); ++x)
            p.set(std::size_t(y * kGrid + x));
    return p;
}

void ExpectSame(const Region& region, const Pixels& model, int step)
{
    Pixels fromRects;
    for (const Rect& piece : region.Rects()) {
        ASSERT_FALSE(piece.IsEmpty()) << "step " << step;
        const Pixels covered = Of(piece);
        ASSERT_TRUE((fromRects & covered).none()) << "pieces overlap at step " << step;
        fromRects |= covered;
    }
    ASSERT_EQ(fromRects, model) << "step " << step;
    Rect bounds{};
    for (int y = -1; y <= kGrid; ++y) {
        for (int x = -1; x <= kGrid; ++x) {
            const bool in = x >= 0 && y >= 0 && x < kGrid && y < kGrid && model.test(std::size_t(y * kGrid + x));
            ASSERT_EQ(region.Contains(x, y), in) << x << "," << y << " at step " << step;
            if (in)
                bounds = bounds.IsEmpty() ? Rect{x, y, x + 1, y + 1}
                                          : Rect{std::min(bounds.left, x), std::min(bounds.top, y),
                                                 std::max(bounds.right, x + 1), std::max(bounds.bottom, y + 1)};
        }
    }
    EXPECT_EQ(region.Bounds(), bounds) << "step " << step;
    EXPECT_EQ(region.IsEmpty(), model.none()) << "step " << step;
    // Canonical: rows of equal spans form one band, and touching spans one span, so the pieces are
    // as few as the set's own row structure allows.
    std::size_t canonical = 0;
    std::vector<std::pair<int, int>> previous;
    for (int y = 0; y < kGrid; ++y) {
        std::vector<std::pair<int, int>> spans;
        for (int x = 0; x < kGrid; ++x) {
            if (!model.test(std::size_t(y * kGrid + x)))
                continue;
            if (!spans.empty() && spans.back().second == x)
                ++spans.back().second;
            else
                spans.push_back({x, x + 1});
        }
        if (spans != previous)
            canonical += spans.size();
        previous = std::move(spans);
    }
    EXPECT_EQ(region.Rects().size(), canonical) << "step " << step;
}

TEST(RegionTest, EveryOperationAgreesWithAPlainPixelSet)
{
    std::mt19937 random(20261211);
    auto coordinate = [&] { return int(random() % (kGrid + 1)); };
    auto rect = [&] {
        const int l = coordinate(), t = coordinate();
        return Rect{l, t, std::min(kGrid, l + 1 + int(random() % 10)), std::min(kGrid, t + 1 + int(random() % 10))};
    };
    for (int run = 0; run < 60; ++run) {
        Region region(rect());
        Pixels model = Of(region.Bounds());
        for (int step = 0; step < 25; ++step) {
            const Rect r = rect();
            const Pixels other = Of(r);
            // Half the time the operand is a region of several pieces itself.
            Region operand(r);
            Pixels operandModel = other;
            if (random() % 2) {
                const Rect extra = rect();
                operand = operand.Union(extra);
                operandModel |= Of(extra);
            }
            switch (random() % 4) {
            case 0:
                region = region.Union(operand);
                model |= operandModel;
                break;
            case 1:
                region = region.Intersect(operand);
                model &= operandModel;
                break;
            case 2:
                region = region.Subtract(operand);
                model &= ~operandModel;
                break;
            default:
                region = region.Intersect(r);
                model &= other;
                break;
            }
            ExpectSame(region, model, step);
            EXPECT_EQ(region.Intersects(r), (model & other).any()) << "step " << step;
            // The same set reached another way has the same representation.
            Region rebuilt;
            for (const Rect& piece : region.Rects())
                rebuilt = rebuilt.Union(piece);
            EXPECT_EQ(rebuilt, region) << "step " << step;
            Pixels within;
            for (const Rect& piece : region.RectsWithin(r))
                within |= Of(piece);
            EXPECT_EQ(within, model & other) << "step " << step;
            // Copies and moves keep the set, whether it fits inline or not.
            const Region copy = region;
            Region moved = std::move(rebuilt);
            EXPECT_EQ(copy, region);
            EXPECT_EQ(moved, region);
            if (model.none()) {
                region = Region(rect());
                model = Of(region.Bounds());
            }
        }
        // Moving the whole shape moves every pixel.
        Region shifted = region;
        shifted.Offset(3, -2);
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                ASSERT_EQ(shifted.Contains(x + 3, y - 2), region.Contains(x, y)) << x << "," << y;
        EXPECT_EQ(region.Scaled(1.0), region);
    }
}

} // namespace
