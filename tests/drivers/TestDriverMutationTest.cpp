#include "DriverMutationTest.h"
#include "TTestDriver.h"

#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

TEST(DriverMutation, TestFormatSurvivesDamagedFiles) {
    TTestFileBuilder b;
    for (uint32_t i = 0; i < 12; ++i)
        b.Hit(100 * i, static_cast<uint8_t>(i % 4), static_cast<uint16_t>(i)).Mark(100 * i + 50);
    b.Comment("a comment").Raw(9, {1, 2, 3});
    TMutationOptions options;
    options.Extension = ".vts";
    options.Fields32 = {8, 12};  // member count, channel count
    options.Fields16 = {20 + 1}; // length of the first message
    TMutationStats stats = RunDriverMutations(
        b.Bytes(), &TTestDriver::CanOpen, [] { return std::make_unique<TTestDriver>(); }, options);
    EXPECT_GE(stats.Cases, 10000);
    EXPECT_GT(stats.Loaded, 0);
    EXPECT_GT(stats.RecordsRead, 0u);
}

} // namespace
} // namespace vorelt::test
