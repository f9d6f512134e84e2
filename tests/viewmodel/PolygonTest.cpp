// One winding test serves the zones of the test program and the selection outlines of the
// graphs; only the points of the boundary are judged differently.

#include "persist/TGridPolygon.h"
#include "viewmodel/canvas/TAEVGeometry.h"

#include <gtest/gtest.h>

using namespace vorelt;

TEST(Polygon, SelectionOutlinesLeaveTheirBoundaryOutside) {
    const TDevicePoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(PointInPolygon({5, 5}, square, 3));
    EXPECT_FALSE(PointInPolygon({15, 5}, square, 3));
    for (TDevicePoint edge : {TDevicePoint{0, 5}, TDevicePoint{5, 0}, TDevicePoint{10, 5},
                              TDevicePoint{5, 10}, TDevicePoint{0, 0}})
        EXPECT_FALSE(PointInPolygon(edge, square, 3)) << edge.X << "," << edge.Y;
    // A star drawn in one stroke: its centre is inside by the non-zero rule.
    const TDevicePoint star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    EXPECT_TRUE(PointInPolygon({50, 50}, star, 4));
    EXPECT_FALSE(PointInPolygon({5, 5}, square, 1)) << "two points enclose nothing";
    EXPECT_FALSE(PointInPolygon({5, 5}, nullptr, 3));
}

TEST(Polygon, RegionsKeepTheirLeftAndTopEdges) {
    const TGridPoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(PtInGridPolygon(square, 4, {0, 5}));
    EXPECT_TRUE(PtInGridPolygon(square, 4, {5, 0}));
    EXPECT_FALSE(PtInGridPolygon(square, 4, {10, 5}));
    EXPECT_FALSE(PtInGridPolygon(square, 4, {5, 10}));
    EXPECT_FALSE(PtInGridPolygon(square, 4, {0, 5}, TPolygonBoundary::Outside));
    EXPECT_TRUE(PtInGridPolygon(square, 4, {5, 5}, TPolygonBoundary::Outside));
    // Two squares sharing an edge never both claim a point of it.
    const TGridPoint right[] = {{10, 0}, {20, 0}, {20, 10}, {10, 10}};
    for (int64_t y = 0; y <= 10; ++y)
        EXPECT_LE(
            int(PtInGridPolygon(square, 4, {10, y})) + int(PtInGridPolygon(right, 4, {10, y})), 1);
}
