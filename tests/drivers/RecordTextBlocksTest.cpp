// Lines written by several threads at once are those one thread writes, in index order, for
// any choice of kinds and columns; a closed output ends the dump with an error.

#include "cli/TCliCommands.h"
#include "cli/TRecordBatches.h"
#include "cli/TRecordTextBlocks.h"
#include "cli/TRecordTextWriter.h"
#include "common/TestData.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/vallen/TAEVallen.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>

namespace vorelt::cli {
namespace {

std::string GeneratedVallen(const test::TTempDir& dir, uint64_t hits, int channels) {
    TGenerateOptions options;
    options.Format = "vallen";
    options.FileName = dir.File("gen.pridb");
    options.Hits = hits;
    options.Channels = channels;
    options.Seed = 3;
    std::string error;
    EXPECT_TRUE(GenerateDataFile(options, error)) << error;
    return options.FileName;
}

std::unique_ptr<TAEDriverDb> LoadedVallen(const std::string& file) {
    RegisterVallenDriver();
    std::string message;
    std::unique_ptr<TAEDriverDb> d;
    EXPECT_TRUE(OpenDataFile(file, nullptr, d, message)) << message;
    return d;
}

// The lines through the one reading thread of TRecordBatches.
std::string OneThread(TAEDriverDb& d, const TAEListFields& layout, uint16_t kinds,
                      const std::vector<size_t>& columns) {
    std::ostringstream out;
    {
        TRecordTextWriter text(out);
        TRecordBatches batches(d, layout, kinds, columns);
        while (const TRecordBatch* b = batches.Next()) {
            for (size_t k = 0; k < b->Count; ++k)
                b->WriteLine(k, columns.size(), text);
            EXPECT_FALSE(b->Failed) << b->Message;
            batches.Release();
        }
    }
    return out.str();
}

std::string InBlocks(TAEDriverDb& d, const TAEListFields& layout, uint16_t kinds,
                     const std::vector<size_t>& columns, unsigned threads) {
    std::string all;
    TRecordTextBlocks blocks(d, layout, kinds, columns, threads);
    int32_t last = -1;
    while (const TTextBlock* b = blocks.Next()) {
        EXPECT_FALSE(b->Failed) << b->Message;
        if (b->LastPosition >= 0) {
            EXPECT_GT(b->LastPosition, last);
            last = b->LastPosition;
        }
        all += b->Text;
        blocks.Release();
    }
    return all;
}

TEST(RecordTextBlocksTest, LinesAreThoseOfOneThreadInIndexOrder) {
    test::TTempDir dir;
    const std::string file = GeneratedVallen(dir, 9000, 5);
    std::unique_ptr<TAEDriverDb> d = LoadedVallen(file);
    ASSERT_TRUE(d && d->ConcurrentReads());
    EXPECT_GT(d->Count(), 4 * TRecordTextBlocks::BlockPositions);
    TAEListFields layout;
    d->GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    std::vector<size_t> all(record.FlatFields().size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    // Every column; a few in another order; markers only (read through ReadRecord); nothing.
    const std::vector<std::pair<uint16_t, std::vector<size_t>>> cases = {
        {0, all},
        {0, {all[5], all[2], all[19]}},
        {static_cast<uint16_t>(KindBit(rkSetup) | KindBit(rkComment)), all},
        {KindBit(9), all}};
    for (const auto& [kinds, columns] : cases) {
        const std::string want = OneThread(*d, layout, kinds, columns);
        EXPECT_EQ(InBlocks(*d, layout, kinds, columns, 2), want);
        EXPECT_EQ(InBlocks(*d, layout, kinds, columns, 3), want);
    }
}

// Takes `room` bytes, then fails.
class TShortBuffer : public std::streambuf {
public:
    explicit TShortBuffer(size_t room) : FRoom(room) {}

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        if (static_cast<size_t>(n) > FRoom) return 0;
        FRoom -= static_cast<size_t>(n);
        return n;
    }
    int overflow(int c) override { return xsputn(nullptr, 1) == 1 ? c : traits_type::eof(); }

private:
    size_t FRoom;
};

TEST(RecordTextBlocksTest, AClosedOutputEndsTheDumpWithAnError) {
    test::TTempDir dir;
    const std::string file = GeneratedVallen(dir, 20000, 2);
    RegisterVallenDriver();
    TShortBuffer buffer(1 << 20);
    std::ostream out(&buffer);
    std::ostringstream err;
    EXPECT_NE(RunCli({"dump", file}, out, err), 0);
    EXPECT_NE(err.str().find("error: " + file + ": "), std::string::npos) << err.str();
}

} // namespace
} // namespace vorelt::cli
