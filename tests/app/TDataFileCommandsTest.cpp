#include "app/TDataFileCommands.h"
#include "drivers/TTimeOrder.h"
#include "model/IRecordSource.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFieldTypes.h"
#include "model/TAEFields.h"
#include "model/TAERecord.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <vector>

using namespace vorelt;

namespace {

// Records with one "Time" field (nullopt: no time), counting the records read.
class TTimesSource : public IRecordSource {
public:
    explicit TTimesSource(std::vector<std::optional<long double>> times, bool withTime = true)
        : FTimes(std::move(times)), FWithTime(withTime) {}
    int Reads = 0;

    void PrepareRecord(TAERecord& record) override {
        record.Clear();
        auto set = std::make_unique<TAEFields>();
        set->Add(NewStandardField(FWithTime ? fidTime : fidAmpl, dtExtended));
        record.AddFields(std::move(set));
    }
    void Restart() override {}
    int32_t FirstRecord(TAEPNav& nav, TAERecord&, int32_t) override { return Position(nav, 0); }
    int32_t LastRecord(TAEPNav& nav, TAERecord&, int32_t) override {
        return Position(nav, static_cast<int32_t>(FTimes.size()) - 1);
    }
    int32_t NextRecord(TAEPNav& nav, TAERecord&, int32_t index) override {
        return Position(nav, index + 1);
    }
    int32_t PriorRecord(TAEPNav& nav, TAERecord&, int32_t index) override {
        return Position(nav, index - 1);
    }
    void ReadRecord(TAEPNav&, TAERecord& record, int32_t index) override {
        ++Reads;
        TAEField* f = record.Field(0);
        const auto& t = FTimes[static_cast<size_t>(index)];
        if (t)
            f->SetAsFloat(*t);
        else
            f->Clear();
    }
    int32_t RecordCount(TAEPNav&, TAERecord&) override {
        return static_cast<int32_t>(FTimes.size());
    }

private:
    int32_t Position(TAEPNav& nav, int32_t pos) {
        nav.Out.Status =
            pos >= 0 && pos < static_cast<int32_t>(FTimes.size()) ? nsPositioned : nsEndForward;
        return pos;
    }
    std::vector<std::optional<long double>> FTimes;
    bool FWithTime;
};

} // namespace

TEST(DataFileTimeKey, FollowsTheOrderOfTheTimes) {
    const long double inf = std::numeric_limits<long double>::infinity();
    const long double ascending[] = {-inf,
                                     -std::numeric_limits<long double>::max(),
                                     -1e300L,
                                     -1.5L,
                                     -1e-300L,
                                     0.0L,
                                     std::numeric_limits<double>::denorm_min(),
                                     1e-300L,
                                     1.0L,
                                     std::nextafter(1.0, 2.0),
                                     3600.000001L,
                                     1e300L,
                                     std::numeric_limits<long double>::max(),
                                     inf};
    for (size_t k = 1; k < std::size(ascending); ++k) {
        const int64_t lower = TDataFileCommands::TimeKey(ascending[k - 1]);
        const int64_t upper = TDataFileCommands::TimeKey(ascending[k]);
        EXPECT_LE(lower, upper) << k;
        // Times a double tells apart keep apart.
        if (static_cast<double>(ascending[k - 1]) != static_cast<double>(ascending[k])) {
            EXPECT_LT(lower, upper) << k;
        }
        EXPECT_NE(upper, NoTime);
    }
    EXPECT_EQ(TDataFileCommands::TimeKey(-0.0L), TDataFileCommands::TimeKey(0.0L));
    EXPECT_EQ(TDataFileCommands::TimeKey(std::nanl("")), NoTime);
    EXPECT_EQ(TDataFileCommands::TimeKey(-std::nanl("")), NoTime);
}

TEST(DataFileTimeOrder, EqualTimesAndRecordsWithoutTimeAreInOrder) {
    TTimesSource source({0.5L, 0.5L, std::nullopt, 0.75L, std::nullopt, 0.75L, 2.0L});
    EXPECT_TRUE(TDataFileCommands::RecordTimesInOrder(source));
    EXPECT_EQ(source.Reads, 7);
    TTimesSource empty({});
    EXPECT_TRUE(TDataFileCommands::RecordTimesInOrder(empty));
    TTimesSource noTimeField({3.0L, 1.0L}, false);
    EXPECT_TRUE(TDataFileCommands::RecordTimesInOrder(noTimeField));
}

TEST(DataFileTimeOrder, StopsAtTheFirstTimeBelowAnEarlierOne) {
    // The record without a time between them does not hide the descent.
    TTimesSource source({1.0L, 2.0L, std::nullopt, 1.999L, 3.0L, 4.0L});
    EXPECT_FALSE(TDataFileCommands::RecordTimesInOrder(source));
    EXPECT_EQ(source.Reads, 4);
    // A step far below a microsecond counts too.
    TTimesSource fine({10.0L, 10.0L - 1e-9L});
    EXPECT_FALSE(TDataFileCommands::RecordTimesInOrder(fine));
}

TEST(DataFileTimeOrder, TimesStartAtZero) {
    TTimesSource negative({-1.0L, 0.0L, 1.0L});
    EXPECT_FALSE(TDataFileCommands::RecordTimesInOrder(negative));
    TTimesSource negativeZero({-0.0L, 0.0L});
    EXPECT_TRUE(TDataFileCommands::RecordTimesInOrder(negativeZero));
}
