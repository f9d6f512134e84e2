#include "viewmodel/dialogs/processors/TSensorTableRules.h"

#include "processing/TGVCPU.h"
#include "processing/graph3d/TAEOBJ3DSchema.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPUSourceLoc.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

TSensorLayout PlateLayout() {
    TSensorLayout l;
    std::string error;
    l.Add(SensorAt(1, 600, 600), error);
    l.Add(SensorAt(2, 150, 600), error);
    TSensor onPipe = SensorAt(3, 150.5, 150);
    onPipe.Pipe = "P1";
    onPipe.Along = 1200;
    l.Add(onPipe, error);
    return l;
}

TEST(SensorTableRulesTest, RowsShowTheDecimalCommaAndTheDotIsTakenWhenTyped) {
    const std::vector<TSensorRowText> rows = SensorRows(PlateLayout());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].Chan, "3");
    EXPECT_EQ(rows[2].X, "150,5");
    EXPECT_EQ(rows[2].Z, "0");
    EXPECT_EQ(SensorPipeText(PlateLayout().Sensors()[2]), "P1: 1200 mm");
    EXPECT_EQ(SensorPipeText(PlateLayout().Sensors()[0]), "");

    TSensorLayout l = PlateLayout();
    std::string error;
    ASSERT_TRUE(l.SetVelocity(3000, error));
    int row = 0;
    // A blank row (a new one not typed yet) is skipped; an empty Z is a flat plate.
    ASSERT_TRUE(SensorsFromRows({{"2", "1.5", "2,25", ""}, {"", "", "", ""}, {"3", "0", "0", "1"}},
                                l, error, row))
        << error;
    ASSERT_EQ(l.Count(), 2);
    EXPECT_DOUBLE_EQ(l.Sensors()[0].X, 1.5);
    EXPECT_DOUBLE_EQ(l.Sensors()[0].Y, 2.25);
    // Channel 3 stays on its pipe; the velocity is not the table's.
    EXPECT_EQ(l.Sensors()[1].Pipe, "P1");
    EXPECT_DOUBLE_EQ(l.Sensors()[1].Along, 1200);
    EXPECT_DOUBLE_EQ(l.Velocity(), 3000);
}

TEST(SensorTableRulesTest, RefusalsNameTheRowAndStoreNothing) {
    struct TCase {
        std::vector<TSensorRowText> Rows;
        const char* Error;
        int Row;
    };
    const TCase cases[] = {
        {{{"1", "0", "0", ""}, {"130", "1", "1", ""}}, "Row 2: Invalid Channel 130", 1},
        {{{"0", "0", "0", ""}}, "Row 1: Invalid Channel 0", 0},
        {{{"x", "0", "0", ""}}, "Row 1: Invalid Channel x", 0},
        {{{"1", "0", "0", ""}, {"4", "1", "1", ""}, {"1", "2", "2", ""}},
         "Row 3: Duplicate Channel 1",
         2},
        {{{"1", "abc", "0", ""}}, "Row 1: 'abc' is not a valid floating point value", 0},
        {{{"1", "1", "", ""}}, "Row 1: '' is not a valid floating point value", 0},
    };
    for (const TCase& c : cases) {
        TSensorLayout l = PlateLayout();
        std::string error;
        int row = -1;
        EXPECT_FALSE(SensorsFromRows(c.Rows, l, error, row));
        EXPECT_EQ(error, c.Error);
        EXPECT_EQ(row, c.Row);
        EXPECT_EQ(l, PlateLayout());
    }
    TSensorLayout l;
    std::string error;
    EXPECT_FALSE(VelocityFromText("-5", l, error));
    EXPECT_EQ(error, "Invalid Velocity");
    EXPECT_FALSE(VelocityFromText("fast", l, error));
    EXPECT_TRUE(VelocityFromText("3200.5", l, error));
    EXPECT_DOUBLE_EQ(l.Velocity(), 3200.5);
}

TEST(SensorTableRulesTest, ThePipeSchemaComesFromA3DGraphBelowFirstThenFromTheTree) {
    TGVCPU root;
    auto* sl = root.AddNew<TGVCPUSourceLoc>();
    EXPECT_EQ(FindPipeSchema(*sl), nullptr);
    auto* elsewhere = root.AddNew<TGVCPUGr3D>();
    elsewhere->Data().SetSchema(std::make_unique<TAEOBJ3DPipesSchema>());
    ASSERT_NE(elsewhere->Data().Schema(), nullptr);
    EXPECT_EQ(FindPipeSchema(*sl), elsewhere->Data().Schema());
    auto* below = sl->AddNew<TGVCPUGr3D>();
    EXPECT_EQ(FindPipeSchema(*sl), elsewhere->Data().Schema()); // no schema yet
    below->Data().SetSchema(std::make_unique<TAEOBJ3DPipesSchema>());
    EXPECT_EQ(FindPipeSchema(*sl), below->Data().Schema());
}

} // namespace
} // namespace vorelt
