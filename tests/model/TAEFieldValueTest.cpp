// The value access without a virtual call must leave every field class exactly as its virtual
// operation does: same value, same null state, and nothing written into a read-only or locked
// field.

#include "model/TAEFieldValue.h"
#include "persist/TErrors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

using namespace vorelt;

namespace {

constexpr uint8_t ScalarTypes[] = {dtString,  dtByte,  dtWord,   dtLongWord, dtShortInt, dtSmallInt,
                                   dtInteger, dtInt64, dtSingle, dtDouble,   dtExtended, dtBoolean};

void ExpectSame(const TAEField& fast, const TAEField& slow, const std::string& what) {
    EXPECT_EQ(fast.IsNull(), slow.IsNull()) << what;
    EXPECT_EQ(fast.GetAsString(), slow.GetAsString()) << what;
    if (IsFloatType(fast.DataType())) {
        // The stored bits, not only the value: a cleared field holds +0.
        EXPECT_EQ(std::memcmp(fast.GetValuePtr(), slow.GetValuePtr(), 10), 0) << what;
    }
}

// Applies `fast` to one field and `slow` to a twin, first writable, then read-only, then
// locked, after giving both the same earlier value.
void Compare(const std::function<void(TAEField&)>& fast, const std::function<void(TAEField&)>& slow,
             const std::string& what) {
    for (uint8_t type : ScalarTypes) {
        for (int mode = 0; mode < 3; ++mode) {
            auto a = NewFieldOfType(type);
            auto b = NewFieldOfType(type);
            a->SetAsString("7");
            b->SetAsString("7");
            if (mode == 1) {
                a->SetReadOnly(true);
                b->SetReadOnly(true);
            } else if (mode == 2) {
                a->SetLocked(true);
                b->SetLocked(true);
            }
            fast(*a);
            slow(*b);
            ExpectSame(*a, *b,
                       what + " on " + std::string(DataTypeName(type)) + " mode " +
                           std::to_string(mode));
        }
    }
}

} // namespace

TEST(FieldValue, FastAccessMatchesTheVirtualOperations) {
    Compare([](TAEField& f) { ClearFieldValue(f); }, [](TAEField& f) { f.Clear(); }, "clear");
    for (long double x :
         {0.0L, -2.5L, 2.5L, 3.5L, 1e30L, -0.0L, std::numeric_limits<long double>::infinity(),
          std::numeric_limits<long double>::quiet_NaN()})
        Compare([x](TAEField& f) { SetFieldFloat(f, x); }, [x](TAEField& f) { f.SetAsFloat(x); },
                "float");
    for (int64_t n : {int64_t{0}, int64_t{-3}, int64_t{300}, std::numeric_limits<int64_t>::max()})
        Compare([n](TAEField& f) { SetFieldInt64(f, n); }, [n](TAEField& f) { f.SetAsInt64(n); },
                "int64");
    for (bool v : {false, true})
        Compare([v](TAEField& f) { SetFieldBoolean(f, v); },
                [v](TAEField& f) { f.SetAsBoolean(v); }, "boolean");
    for (const std::string s : {"", "12", "x", "00 : 00 : 01"})
        Compare([s](TAEField& f) { SetFieldString(f, s); }, [s](TAEField& f) { f.SetAsString(s); },
                "string");
}

// A copy between records gives what the value's own raw copy gives, null included.
TEST(FieldValue, CopyMatchesTheRawCopyOfTheValue) {
    for (const char* text : {"", "0", "-2,5", "1E30", "255", "12"}) {
        auto source = [text](const TAEField& f) {
            std::unique_ptr<TAEField> from = NewFieldOfType(f.DataType());
            if (*text) from->SetAsString(text);
            return from;
        };
        Compare([&](TAEField& f) { CopyFieldValue(*source(f), f); },
                [&](TAEField& f) {
                    std::unique_ptr<TAEField> from = source(f);
                    if (from->IsNull())
                        f.Clear();
                    else
                        f.SetValueRaw(from->GetValuePtr());
                },
                std::string("copy of ") + text);
    }
}

// The helpers take the fields of a record, whose classes are known only at run time; the fields
// below come from NewFieldOfType for that reason.
TEST(FieldValue, ListFieldTakesTheListAndClears) {
    const TAEChannelList channels{1, 3};
    std::unique_ptr<TAEField> f = NewFieldOfType(dtListInteger);
    const auto* list = static_cast<const TAEListIntegerField*>(f.get());
    SetFieldRaw(*f, &channels);
    EXPECT_FALSE(f->IsNull());
    EXPECT_EQ(list->List(), &channels);
    ClearFieldValue(*f);
    EXPECT_TRUE(f->IsNull());
    EXPECT_EQ(list->List(), nullptr);
    f->SetReadOnly(true);
    SetFieldRaw(*f, &channels);
    EXPECT_TRUE(f->IsNull());
    // Text and numbers make no sense for a list, with or without the virtual call.
    EXPECT_THROW(SetFieldFloat(*f, 1), EInvalidOperation);
    EXPECT_THROW(SetFieldInt64(*f, 1), EInvalidOperation);
}

TEST(FieldValue, FamiliesFollowTheClassNotTheTypeCode) {
    std::unique_ptr<TAEField> f = NewFieldOfType(dtExtended);
    f->SetDataType(dtInteger); // the value storage stays extended
    SetFieldFloat(*f, 2.5L);
    EXPECT_EQ(f->GetAsFloat(), 2.5L);
    std::unique_ptr<TAEField> w = NewFieldOfType(dtWord);
    SetFieldFloat(*w, 2.5L); // rounds to even through the class's own conversion
    EXPECT_EQ(w->GetAsInt64(), 2);
    std::unique_ptr<TAEField> s = NewFieldOfType(dtSingle);
    SetFieldInt64(*s, 5);
    EXPECT_EQ(s->GetAsFloat(), 5.0L);
}
