#pragma once
// A stand-in processor for expression tests: a layout of typed fields with names and IDs, a
// variant list and a working record filled with known values.

#include "model/TAEBooleanField.h"
#include "model/TAEExtendedField.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListFields.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"
#include "model/TAEStringField.h"
#include "persist/TGVVariants.h"
#include "persist/TNumberFormat.h"
#include "processing/expr/IExprOwner.h"
#include "processing/expr/TExprValue.h"

#include <cmath>
#include <memory>
#include <string>

namespace vorelt::exprtest {

class TTestOwner : public IExprOwner {
public:
    TTestOwner() {
        AddField(std::make_unique<TAEIntegerField>(), "A", "0000000000000101");
        AddField(std::make_unique<TAEExtendedField>(), "B", "0000000000000102");
        AddField(std::make_unique<TAEExtendedField>(), "Rise Time", "0000000000000103");
        AddField(std::make_unique<TAEStringField>(), "S", "0000000000000104");
        AddField(std::make_unique<TAEBooleanField>(), "Flag", "0000000000000105");
        AddField(std::make_unique<TAEInt64Field>(), "Big", "0000000000000106");
        AddField(std::make_unique<TAEListIntegerField>(), "List", "0000000000000107");
        AddField(std::make_unique<TAEByteField>(), "Chan", "0000000000000108");
        FLayout.Add(&FSet);
        FRecord.BuildForLayout(FLayout);
        Set("A", [](TAEField& f) { f.SetAsInt64(7); });
        Set("B", [](TAEField& f) { f.SetAsFloat(2.5L); });
        Set("Rise Time", [](TAEField& f) { f.SetAsFloat(12.5L); });
        Set("S", [](TAEField& f) { f.SetAsString("abc"); });
        Set("Flag", [](TAEField& f) { f.SetAsBoolean(true); });
        Set("Big", [](TAEField& f) { f.SetAsInt64(3000000000LL); });
        Set("Chan", [](TAEField& f) { f.SetAsInt64(3); });

        AddVariant(std::make_unique<TGVIntegerVariant>(), "Limit", "V1")->SetAsInt64(10);
        AddVariant(std::make_unique<TGVFloatVariant>(), "Gain", "V2")->SetAsFloat(0.5L);
        AddVariant(std::make_unique<TGVStringVariant>(), "Label", "V3")->SetAsString("xyz");
        AddVariant(std::make_unique<TGVBooleanVariant>(), "Ok", "V4")->SetAsBoolean(false);
    }

    std::string ExprFieldID(std::string_view name) const override {
        const TAEField* f = FLayout.FindByName(name);
        return f ? f->ID() : std::string();
    }
    TGVVariants* ExprVariants() const override { return const_cast<TGVVariants*>(&FVariants); }
    std::string ExprOwnerName() const override { return "Math01"; }

    const TAEListFields& Layout() const { return FLayout; }
    TAERecord& Record() { return FRecord; }
    TGVVariants& Variants() { return FVariants; }

private:
    void AddField(std::unique_ptr<TAEField> f, const std::string& name, const std::string& id) {
        f->SetFieldName(name);
        f->SetID(id);
        FSet.Add(std::move(f));
    }
    template <class F> void Set(const std::string& name, F fill) {
        fill(*FRecord.Fields().FindByName(name));
    }
    TGVVariant* AddVariant(std::unique_ptr<TGVVariant> v, const std::string& name,
                           const std::string& id) {
        v->SetDisplayName(name);
        v->SetID(id);
        TGVVariant* p = v.get();
        FVariants.Add(std::move(v));
        return p;
    }

    TAEFields FSet;
    TAEListFields FLayout;
    TAERecord FRecord;
    TGVVariants FVariants;
};

// "E" for an empty value, else the kind's letter and the value: "I:7", "F:2,5", "B:1", "S:abc".
inline std::string Show(const TExprValue& v) {
    if (v.Empty()) return "E";
    switch (v.Kind()) {
    case TExprValue::evInteger:
        return "I:" + IntToStr(v.AsInteger());
    case TExprValue::evBoolean:
        return std::string("B:") + (v.AsBoolean() ? "1" : "0");
    case TExprValue::evFloat: {
        long double x = v.AsFloat();
        if (std::isnan(x)) return "F:nan";
        if (std::isinf(x)) return x > 0 ? "F:inf" : "F:-inf";
        return "F:" + FloatToStr(x);
    }
    case TExprValue::evString:
        return "S:" + std::string(v.AsString());
    default:
        return "?";
    }
}

} // namespace vorelt::exprtest
