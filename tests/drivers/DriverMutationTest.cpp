#include "DriverMutationTest.h"

#include "common/TByteMutator.h"
#include "common/TestData.h"
#include "drivers/TDriverRecordSource.h"
#include "drivers/TLogFile.h"
#include "drivers/TTailScan.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace vorelt::test {

namespace {

// Walks the cursor in both directions and reads every record; a walk longer than the index
// means a cursor that never ends.
void WalkRecords(TAEDriverDb& d, TMutationStats& stats, std::string& failure) {
    TAEListFields layout;
    d.GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    const int64_t limit = static_cast<int64_t>(d.Count()) + 2;
    for (uint16_t kinds :
         {uint16_t(0), KindBit(rkHit), uint16_t(KindBit(rkUnknown) | KindBit(rkSetup))}) {
        TAEPNav nav;
        nav.Kinds = kinds;
        int64_t steps = 0;
        int32_t p = d.FirstRecord(nav);
        while (!(nav.Out.Status & nsEndForward) && !(nav.Out.Status & nsError)) {
            d.ReadRecord(nav, record, p);
            ++stats.RecordsRead;
            for (TAEField* f : record.FlatFields())
                if (f->DataType() != dtListInteger) (void)f->GetAsString();
            if (nav.Out.Status & nsError) // a damaged message may stop the walk
                break;
            p = d.NextRecord(nav, p);
            if (++steps > limit) {
                failure = "forward walk does not end";
                return;
            }
        }
        steps = 0;
        p = d.LastRecord(nav);
        while (!(nav.Out.Status & nsStartBackward) && !(nav.Out.Status & nsError)) {
            p = d.PriorRecord(nav, p);
            if (++steps > limit) {
                failure = "backward walk does not end";
                return;
            }
        }
        (void)d.RecordCount(nav);
    }
    for (int32_t i = 0; i < d.Count(); ++i)
        (void)d.Data(i);
    (void)d.InfoLines();
}

} // namespace

bool RunDriverOnBytes(const std::string& bytes, const std::string& fileName,
                      TCanOpenFunction canOpen, const TDriverMaker& make, bool sortCopy,
                      TMutationStats& stats, std::string& failure) {
    ++stats.Cases;
    failure.clear();
    // A new file each time: rewriting a truncated file in place makes some file systems flush
    // it synchronously, which costs more than the case itself.
    std::remove(fileName.c_str());
    std::remove(TLogFile::CompanionName(fileName).c_str());
    WriteFileBytes(fileName, bytes);
    try {
        std::string msg;
        if (canOpen(fileName, msg)) ++stats.Accepted;
        // Load runs whatever CanOpen said: a file may change between the two.
        std::unique_ptr<TAEDriverDb> d = make();
        if (d->Open(fileName, msg)) {
            if (d->Load(msg)) {
                ++stats.Loaded;
                d->Initialize(msg);
            }
            WalkRecords(*d, stats, failure);
            if (sortCopy && d->Count() > 0) {
                std::string target = fileName + ".sorted";
                d->SortToFile(target, msg);
                std::remove(target.c_str());
            }
            d->Close();
        }
    } catch (const std::exception& e) {
        failure = std::string("exception escaped: ") + e.what();
    } catch (...) {
        failure = "unknown exception escaped";
    }
    return failure.empty();
}

TMutationStats RunDriverMutations(const std::string& validBytes, TCanOpenFunction canOpen,
                                  const TDriverMaker& make, const TMutationOptions& options) {
    TMutationStats stats;
    TTempDir dir;
    const std::string file = dir.File("mutant" + options.Extension);
    std::mt19937 rng(options.Seed);
    int failures = 0;
    int accepted = 0;
    int cases = 0;
    const uint64_t minSplit = TTailScan::MinStreamBytes();
    auto run = [&](const std::string& bytes, const std::string& what) {
        if (failures >= options.MaxFailures) return;
        bool sort = options.SortEvery > 0 && ++accepted % options.SortEvery == 0;
        std::string failure;
        // Every other case is opened by two scans, as long files are.
        const bool split = options.SplitEvery > 0 && ++cases % options.SplitEvery == 0;
        TTailScan::SetMinStreamBytes(split ? 0 : minSplit);
        const bool passed = RunDriverOnBytes(bytes, file, canOpen, make, sort, stats, failure);
        TTailScan::SetMinStreamBytes(minSplit);
        if (!passed) {
            ++failures;
            ADD_FAILURE() << what << (split ? ", two scans" : "") << " (seed " << options.Seed
                          << "): " << failure;
        }
    };

    std::string failure;
    if (!RunDriverOnBytes(validBytes, file, canOpen, make, true, stats, failure))
        ADD_FAILURE() << "the valid file itself: " << failure;

    const size_t size = validBytes.size();
    // Truncations.
    if (size > 0) {
        int count = std::min<int64_t>(options.TruncationCases, static_cast<int64_t>(size));
        for (int i = 0; i < count; ++i) {
            size_t len = count == static_cast<int>(size) ? static_cast<size_t>(i)
                                                         : static_cast<size_t>(rng() % size);
            run(validBytes.substr(0, len), "truncated to " + std::to_string(len));
        }
    }
    // Known length and count fields.
    const std::vector<uint32_t> extremes32 = Extremes32(size);
    for (size_t at : options.Fields32)
        for (uint32_t v : extremes32) {
            std::string m = validBytes;
            PutLE(m, at, v, 4);
            run(m, "u32 at " + std::to_string(at) + " := " + std::to_string(v));
        }
    for (size_t at : options.Fields16)
        for (uint16_t v : Extremes16()) {
            std::string m = validBytes;
            PutLE(m, at, v, 2);
            run(m, "u16 at " + std::to_string(at) + " := " + std::to_string(v));
        }
    if (size == 0) return stats;
    // Random fields set to extreme values.
    for (int i = 0; i < options.FieldCases; ++i) {
        std::string m = validBytes;
        size_t at = rng() % size;
        int width = (rng() & 1) ? 4 : 2;
        uint32_t v = extremes32[rng() % extremes32.size()];
        PutLE(m, at, v, width);
        run(m, "field case " + std::to_string(i) + ": u" + std::to_string(8 * width) + " at " +
                   std::to_string(at) + " := " + std::to_string(v));
    }
    // Random byte changes.
    for (int i = 0; i < options.RandomCases; ++i) {
        std::string m = validBytes;
        std::string what = "random case " + std::to_string(i) + ":";
        ChangeRandomBytes(m, rng, what);
        run(m, what);
    }
    return stats;
}

} // namespace vorelt::test
