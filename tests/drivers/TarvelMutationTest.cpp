// Damaged Tarvel files of both boards: truncations, extreme section sizes, directory counts,
// channel-table offsets and sizes, message lengths and channel indices, and random byte changes
// must end in an error text or in the readable part of the file, never in a crash or a read
// outside the mapping.

#include "DriverMutationTest.h"
#include "TarvelTestFiles.h"
#include "drivers/tarvel/TAETarvelIsa.h"
#include "drivers/tarvel/TAETarvelPci.h"

#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

TEST(TarvelMutation, IsaSurvivesDamagedFiles) {
    TTarvelFileBuilder b(false, 3);
    for (int i = 0; i < 6; ++i) {
        b.IsaMessage(0, 100 * i, TTarvelFileBuilder::IsaHitBody(false, i % 3, 900, 5, 6, 7, 8));
        b.IsaMessage(1, 100 * i + 10,
                     TTarvelFileBuilder::IsaSystemBody(2, static_cast<uint8_t>(i % 4), 16));
    }
    b.IsaMessage(4, 50, TTarvelFileBuilder::IsaHitBody(true, 2, 1, 1, 1, 1, 1));
    b.IsaMessage(2, 60, std::vector<uint8_t>(40, 0));
    b.IsaMessage(5, 70, std::vector<uint8_t>(44, 0));
    b.IsaMessage(3, 80, std::vector<uint8_t>(24, 0));
    const size_t block = b.BlockOffset(), pair = b.PairOffset(), table = b.TableOffset();
    const size_t first = b.HeaderSize();
    TMutationOptions options;
    options.Extension = ".dta";
    options.Fields32 = {block + 12,  pair,        pair + 4,    pair + 20,   pair + 24, pair + 28,
                        table + 108, table + 112, table + 164, table + 168, first,     96 + 3704};
    options.Fields16 = {first + 4 + 10}; // amplitude code of the first hit
    const TMutationStats stats = RunDriverMutations(
        b.Bytes(), &TAETarvelIsa::CanOpen, [] { return std::make_unique<TAETarvelIsa>(); },
        options);
    EXPECT_GE(stats.Cases, 10000);
    EXPECT_GT(stats.Loaded, 0);
    EXPECT_GT(stats.RecordsRead, 0u);
}

TEST(TarvelMutation, PciSurvivesDamagedFiles) {
    TTarvelFileBuilder b(true, 2);
    for (int i = 0; i < 5; ++i) {
        b.PciMessage(0, 100 * i,
                     TTarvelFileBuilder::PciHitBody(false, static_cast<uint16_t>(i % 3), 100, 1, 2,
                                                    3, 4000));
        b.PciMessage(5, 100 * i + 5,
                     TTarvelFileBuilder::PciHitBody(true, static_cast<uint16_t>(i % 2), 0, 1, 2, 3,
                                                    4000, 7));
    }
    b.PciMessage(6, 30, std::vector<uint8_t>(8, 0));
    b.PciTextMark("mark text");
    b.PciMessage(2, 40, TTarvelFileBuilder::PciChannelBody(1));
    b.PciMessage(4, 41, TTarvelFileBuilder::PciChannelBody(0));
    b.PciMessage(3, 42, TTarvelFileBuilder::PciChannelBody(1));
    b.PciMessage(1, 43, TTarvelFileBuilder::PciChannelBody(0));
    const size_t block = b.BlockOffset(), pair = b.PairOffset(), table = b.TableOffset();
    const size_t first = b.HeaderSize();
    TMutationOptions options;
    options.Extension = ".dta";
    options.Fields32 = {block + 12,  pair,        pair + 4,   pair + 20,  pair + 24,
                        pair + 28,   table + 76,  table + 92, table + 96, table + 272,
                        table + 360, table + 520, 96 + 3820};
    // Type and length of the first messages, the first hit's channel and amplitude.
    options.Fields16 = {first, first + 2, first + 4 + 8, first + 4 + 10, first + 34, first + 36};
    const TMutationStats stats = RunDriverMutations(
        b.Bytes(), &TAETarvelPci::CanOpen, [] { return std::make_unique<TAETarvelPci>(); },
        options);
    EXPECT_GE(stats.Cases, 10000);
    EXPECT_GT(stats.Loaded, 0);
    EXPECT_GT(stats.RecordsRead, 0u);
}

} // namespace
} // namespace vorelt::test
