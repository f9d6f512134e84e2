// The Spartan driver under the damaged-file harness: truncations (trailing fragments and short
// headers), extreme header counts and random byte changes, including the type bytes.

#include "DriverMutationTest.h"
#include "SpartanTestFiles.h"

#include "drivers/spartan/TAESpartan.h"

#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

TEST(SpartanMutation, SurvivesDamagedFiles) {
    TSpartanFileBuilder b;
    b.SetHeaderU32(0, 40).SetHeaderU32(8, 1).SetHeaderU32(16, 40);
    for (uint32_t i = 0; i < 12; ++i) {
        TSpartanFileBuilder::THit h;
        h.T = 4000u * (12 - i); // descending, so sorted copies move them
        h.Channel = static_cast<uint8_t>(i % 5);
        h.Sequence = i;
        h.DurationHalves = 100 + i;
        h.Amplitude = static_cast<uint8_t>(40 + i);
        h.Parametric = static_cast<uint16_t>(2000 + 200 * i);
        b.Hit(h);
    }
    b.Timed(2, 10, 2000, 2200, 2400).Timed(3, 20, 1, 2, 3).Comment("damaged? never");
    b.Timed(16, 30).Timed(128, 0).Timed(130, 50).Timed(129, 60).Raw(255, {1}).Raw(42, {7});
    TMutationOptions options;
    options.Extension = ".spt";
    options.Fields32 = {0, 8, 16, 512 + 1 + 7}; // header counts, a hit's sequence number
    options.Fields16 = {512 + 1 + 11, 512 + 1 + 26};
    TMutationStats stats = RunDriverMutations(
        b.Bytes(), &TAESpartan::CanOpen, [] { return std::make_unique<TAESpartan>(); }, options);
    EXPECT_GE(stats.Cases, 10000);
    EXPECT_GT(stats.Loaded, stats.Cases / 2);
    EXPECT_GT(stats.RecordsRead, 0u);
}

} // namespace
} // namespace vorelt::test
