// A whole chain on a data file: database -> location -> filter, over an ISA file whose hits are
// placed by hand so that every event is known in advance.

#include "ProjectTestSupport.h"
#include "drivers/TarvelTestFiles.h"
#include "model/TAEFieldIDs.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TLocOutMPT.h"
#include "viewmodel/dialogs/processors/TLCEditRules.h"

namespace vorelt {
namespace {

struct TSeen {
    uint8_t Kind;
    int64_t Chan;      // -1 when empty
    int64_t TimeUs;    // -1 when empty
    int64_t Sigs;      // -1 when empty
    int64_t IdxLocHit; // -1 when empty
    uint8_t EventBits; // RecFlags & 0x0C
    bool operator==(const TSeen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TSeen& s) {
    return os << "{kind " << int(s.Kind) << ", chan " << s.Chan << ", t " << s.TimeUs << ", sigs "
              << s.Sigs << ", idx " << s.IdxLocHit << ", bits " << int(s.EventBits) << "}";
}

std::vector<TSeen> Walk(TGVCPU& p) {
    TAERecord rec;
    p.PrepareRecord(rec);
    TAEPNav nav;
    std::vector<TSeen> out;
    auto value = [&](std::string_view id) -> int64_t {
        TAEField* f = rec.FindByID(id);
        return f && !f->IsNull() ? f->GetAsInt64() : -1;
    };
    int32_t i = p.FirstRecord(nav, rec, -1);
    while (!(nav.Out.Status & nsEndForward)) {
        EXPECT_FALSE(nav.Out.Status & nsError) << nav.Out.Message;
        if (nav.Out.Status & nsError) break;
        p.ReadRecord(nav, rec, i);
        out.push_back({rec.Kind(), value(fidChan), value(fidTime), value(fidSIGS),
                       value(fidIdxLocHit), uint8_t(rec.RecFlags() & 0x0C)});
        i = p.NextRecord(nav, rec, i);
    }
    return out;
}

TEST(LocationChain, DatabaseLocationFilterGivesTheKnownEvents) {
    test::RegisterTestClasses();
    test::TTempDir dir;
    using B = test::TTarvelFileBuilder;
    B b(false, 4);
    auto hit = [&](int64_t t, uint8_t chanIndex) {
        b.IsaMessage(0, t, B::IsaHitBody(false, chanIndex, 1000, 10, 100, 10, 5));
    };
    hit(1000000, 0); // event A: Chan 1, 2 within the MPT
    hit(1000100, 1);
    hit(1000250, 2); // Chan 3 is a guard channel: it cannot join, and disappears
    hit(1000800, 3); // inside the lockout, past the MPT: discarded after event A
    hit(2000000, 3); // a lone hit: an event of one
    hit(3000000, 1); // event B: Chan 2, then Chan 1
    hit(3000050, 0);
    hit(3000400, 2);                                       // the guard channel again
    b.IsaMessage(3, 3500000, std::vector<uint8_t>(24, 0)); // parametric: passes everything
    hit(4000000, 2);                                       // a guard event: its hits disappear
    hit(4000100, 0);
    hit(5000000, 0); // a lone hit after the guard event
    const std::string data = dir.File("chain.isa");
    test::WriteFileBytes(data, b.Bytes());

    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
    auto* loc = test::AddKind<TGVCPULoc>(project, project.Db());
    auto& mpt = dynamic_cast<TLocOutMPT&>(loc->Algorithm());
    mpt.SetLockOut(1000);
    mpt.SetMPT(500);
    loc->SetChannelType(3, 2); // Guard
    loc->Changed(true);
    auto* filter = test::AddKind<TGVCPUFltr>(project, *loc);
    ASSERT_TRUE(LCAddCondition(
        filter->Condition(),
        std::make_unique<TLCCondition>(std::string(fidSIGS), coGreaterOrEquals, "2")));

    const std::vector<TSeen> located = Walk(*loc);
    const std::vector<TSeen> expectedLocated = {
        {rkUnknown, -1, -1, -1, -1, 0},                                   // the file's header
        {rkHit, 1, 1000000, 2, 1, 0x0C},                                  // event A
        {rkHit, 2, 1000100, -1, 2, 0x08}, {rkHit, 4, 1000800, -1, -1, 0}, // discarded after event A
        {rkHit, 4, 2000000, 1, 1, 0x0C},                                  // lone event
        {rkHit, 2, 3000000, 2, 1, 0x0C},                                  // event B
        {rkHit, 1, 3000050, -1, 2, 0x08}, {rkSetup, -1, 3500000, -1, -1, 0}, // parametric message
        {rkHit, 1, 5000000, 1, 1, 0x0C}, // lone event after the guard event
    };
    EXPECT_EQ(located, expectedLocated);

    // The filter judges event members on their first hit: events A and B pass whole, lone
    // hits and the discarded hit do not, non-hits pass.
    const std::vector<TSeen> filtered = Walk(*filter);
    const std::vector<TSeen> expectedFiltered = {
        expectedLocated[0], expectedLocated[1], expectedLocated[2],
        expectedLocated[5], expectedLocated[6], expectedLocated[7],
    };
    EXPECT_EQ(filtered, expectedFiltered);
}

} // namespace
} // namespace vorelt
