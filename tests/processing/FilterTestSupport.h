#pragma once
// Records, owners and spies shared by the condition and filter tests.

#include "model/TAEFieldTypes.h"
#include "model/TAEFields.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TGVVariants.h"
#include "processing/filter/ILCOwner.h"
#include "processing/filter/TLogicalCondition.h"

#include <memory>
#include <string>
#include <vector>

namespace vorelt::test {

inline constexpr char idInt[] = "0000000000100001";
inline constexpr char idInt64[] = "0000000000100002";
inline constexpr char idFloat[] = "0000000000100003";
inline constexpr char idText[] = "0000000000100004";
inline constexpr char idBool[] = "0000000000100005";
inline constexpr char idList[] = "0000000000100006";

// One set with a field of each comparison family, and a record built for it.
struct TConditionRecord {
    TAEFields Set;
    TAEListFields Layout;
    TAERecord Record;

    TConditionRecord() {
        Set.SetName("Test Fields");
        AddField(idInt, dtInteger, "Int", "Integer Field");
        AddField(idInt64, dtInt64, "Big", "Int64 Field");
        AddField(idFloat, dtExtended, "Flt", "Float Field");
        AddField(idText, dtString, "Txt", "Text Field");
        AddField(idBool, dtBoolean, "Flag", "Boolean Field");
        AddField(idList, dtListInteger, "Lst", "List Field");
        Layout.Add(&Set);
        Record.BuildForLayout(Layout);
    }
    void AddField(const char* id, uint8_t type, const char* name, const char* display) {
        std::unique_ptr<TAEField> f = NewFieldOfType(type);
        f->SetID(id);
        f->SetFieldName(name);
        f->SetDisplayName(display);
        Set.Add(std::move(f));
    }
    TAEField& F(const char* id) { return *Record.FindByID(id); }
};

struct TTestOwner : ILCOwner {
    std::string OwnerName = "FR01";
    const TAEListFields* Fields = nullptr;
    TGVVariants Variants;
    int ChangedCalls = 0;

    std::string ConditionOwnerName() const override { return OwnerName; }
    const TAEField* ConditionField(std::string_view id) const override {
        return Fields ? Fields->FindByID(id) : nullptr;
    }
    const TGVVariants* ConditionVariants() const override { return &Variants; }
    void ConditionChanged(bool) override { ++ChangedCalls; }
};

// A leaf that logs its evaluation and answers a fixed value or raises.
class TSpyCondition : public TLogicalCondition {
public:
    enum class TAnswer { True, False, Raise };
    TSpyCondition(std::string name, TAnswer answer, std::vector<std::string>* log)
        : FName(std::move(name)), FAnswer(answer), FLog(log) {}
    std::string ClassName() const override { return "TSpyCondition"; }
    bool Evaluate(const TAERecord&) override {
        FLog->push_back(FName);
        if (FAnswer == TAnswer::Raise) throw EAEError("spy " + FName);
        return FAnswer == TAnswer::True;
    }
    std::unique_ptr<TLogicalCondition> Clone() const override {
        return std::make_unique<TSpyCondition>(FName, FAnswer, FLog);
    }

private:
    std::string FName;
    TAnswer FAnswer;
    std::vector<std::string>* FLog;
};

} // namespace vorelt::test
