// Filtered copies of every format open again and hold the chosen kinds, with the header and
// set-up records their format needs to read them as the source reads them.

#include "SafeFileSupport.h"

#include "common/TestData.h"
#include "drivers/RegisterDriversClasses.h"
#include "drivers/TDriverRecordSource.h"
#include "drivers/TDriverRegistry.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace vorelt::test {
namespace {

std::unique_ptr<TAEDriverDb> Open(const std::string& file) {
    std::unique_ptr<TAEDriverDb> d;
    std::string message;
    EXPECT_TRUE(OpenDataFile(file, nullptr, d, message)) << file << ": " << message;
    return d;
}

// Every field of a record as text, but its position and its waveform: a copy holds only the
// kinds asked for, and waveform messages are none of them.
std::vector<std::string> Values(TAEDriverDb& d, int32_t pos) {
    TAEListFields layout;
    d.GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    TAEPNav nav;
    d.ReadRecord(nav, record, pos);
    std::vector<std::string> values;
    for (TAEField* f : record.FlatFields())
        if (f->ID() != fidIndexRec && f->ID() != fidWaveIndex && f->DataType() != dtListInteger)
            values.push_back(f->FieldName() + "=" + f->GetAsString());
    return values;
}

bool SameBody(TAEDriverDb& a, int32_t i, TAEDriverDb& b, int32_t j) {
    const auto x = a.Data(i), y = b.Data(j);
    return a.Item(i)->Kind == b.Item(j)->Kind && x.size() == y.size() &&
           std::equal(x.begin(), x.end(), y.begin());
}

// Copies `source` with the kinds `kinds` as a processor passes them (the header only when its
// kind is chosen) and checks the copy: it opens with the same driver; every record of a chosen
// kind is in it, with the values it has in the source; anything else in it is a set-up record
// or the header.
void CheckCopy(TAEDriverDb& source, uint16_t kinds, const std::string& target) {
    SCOPED_TRACE("kinds " + std::to_string(kinds));
    TDriverRecordSource filter(source, kinds, false);
    std::string message;
    // A copy never replaces a recording: the copy of the previous kinds goes first.
    std::filesystem::remove(target);
    ASSERT_TRUE(source.SaveToFile(filter, target, message)) << message;
    std::unique_ptr<TAEDriverDb> copy = Open(target);
    ASSERT_TRUE(copy) << "the copy does not open";
    EXPECT_EQ(copy->ClassName(), source.ClassName());
    // The copy's messages are messages of the source, in order.
    int32_t j = 0;
    std::vector<int32_t> matched;
    for (int32_t i = 0; i < copy->Count(); ++i) {
        const bool header = copy->Item(i)->Kind == ikHeader && i == 0;
        while (j < source.Count() && !(header ? source.Item(j)->Kind == ikHeader && j == 0
                                              : SameBody(*copy, i, source, j)))
            ++j;
        ASSERT_LT(j, source.Count()) << "copy message " << i << " is not one of the source";
        matched.push_back(j);
        const uint8_t kind = source.RecordKind(j);
        if (KindAdmitted(kinds, kind)) {
            EXPECT_EQ(Values(*copy, i), Values(source, j)) << "copy " << i << ", source " << j;
        } else {
            EXPECT_TRUE(kind == rkSetup || source.Item(j)->Kind == ikHeader)
                << "copy " << i << " holds source " << j << " of kind " << int(kind);
        }
        ++j;
    }
    for (int32_t p = 0; p < source.Count(); ++p) {
        if (KindAdmitted(kinds, source.RecordKind(p))) {
            EXPECT_TRUE(std::binary_search(matched.begin(), matched.end(), p))
                << "source " << p << " of kind " << int(source.RecordKind(p)) << " is missing";
        }
    }
}

const std::vector<uint16_t>& KindSets() {
    static const std::vector<uint16_t> sets = [] {
        std::vector<uint16_t> s;
        for (unsigned k = 0; k <= rkComment; ++k)
            s.push_back(KindBit(k));
        s.push_back(KindBit(rkHit) | KindBit(rkSetup));
        s.push_back(KindBit(rkHit) | KindBit(rkTimeMark) | KindBit(rkComment));
        s.push_back(KindBit(rkStop) | KindBit(rkResume) | KindBit(rkPause) | KindBit(rkAbort));
        s.push_back(KindBit(rkUnknown) | KindBit(rkHit));
        return s;
    }();
    return sets;
}

class FilteredCopy : public ::testing::TestWithParam<const char*> {};

TEST_P(FilteredCopy, EveryKindOpensAndHoldsWhatWasChosen) {
    RegisterDriversClasses();
    TTempDir dir;
    const std::string format = GetParam();
    const std::string file = GenerateFormat(dir, format, 400, 7);
    std::unique_ptr<TAEDriverDb> d = Open(file);
    ASSERT_TRUE(d);
    for (uint16_t kinds : KindSets())
        CheckCopy(*d, kinds, dir.File("copy." + format));
}

INSTANTIATE_TEST_SUITE_P(Formats, FilteredCopy, ::testing::Values("disp", "isa", "pci", "spartan"));

TEST(FilteredCopyReal, DispFieldFilesKeepTheirSetup) {
    RegisterDriversClasses();
    for (const char* name : {"disp/210527-CH1-15.DTA", "disp/260114-4ch-1para.DTA"}) {
        VORELT_REQUIRE_SHARED_DATA(name, source);
        SCOPED_TRACE(name);
        TTempDir dir;
        std::unique_ptr<TAEDriverDb> d = Open(CopyToTemp(source, dir));
        ASSERT_TRUE(d);
        for (uint16_t kinds : {KindBit(rkHit), KindBit(rkComment), KindBit(rkUnknown),
                               uint16_t(KindBit(rkResume) | KindBit(rkStop))})
            CheckCopy(*d, kinds, dir.File("copy.DTA"));
    }
}

TEST(FilteredCopyReal, DeletedSetupMessagesStillGoIntoTheCopy) {
    RegisterDriversClasses();
    TTempDir dir;
    const std::string file = GenerateFormat(dir, "disp", 200, 3);
    std::unique_ptr<TAEDriverDb> d = Open(file);
    ASSERT_TRUE(d);
    // The user deletes every set-up message; a copy of all that is left still opens.
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    for (int32_t p = 0; p < d->Count(); ++p)
        if (d->RecordKind(p) == rkSetup) del.List.push_back(p);
    ASSERT_FALSE(del.List.empty());
    d->HandleMessage(del);
    TDriverRecordSource all(*d);
    std::string message;
    ASSERT_TRUE(d->SaveToFile(all, dir.File("left.DTA"), message)) << message;
    std::unique_ptr<TAEDriverDb> copy = Open(dir.File("left.DTA"));
    ASSERT_TRUE(copy);
    TAEPNav nav;
    nav.Kinds = KindBit(rkHit);
    EXPECT_EQ(copy->RecordCount(nav), 200);
}

TEST(FilteredCopyReal, VallenIsRefusedWithItsReasonAndNothingWritten) {
    RegisterDriversClasses();
    TTempDir dir;
    std::unique_ptr<TAEDriverDb> d = Open(GenerateFormat(dir, "vallen", 50));
    ASSERT_TRUE(d);
    TDriverRecordSource hits(*d, KindBit(rkHit), false);
    std::string message;
    EXPECT_FALSE(d->SaveToFile(hits, dir.File("copy.pridb"), message));
    EXPECT_NE(message.find("cannot be sorted or copied"), std::string::npos) << message;
    EXPECT_FALSE(d->SortToFile(dir.File("sorted.pridb"), message));
    EXPECT_NE(message.find("cannot be sorted or copied"), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(dir.File("copy.pridb")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("sorted.pridb")));
}

} // namespace
} // namespace vorelt::test
