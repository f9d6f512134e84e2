#include "processing/math/TAEStatFunc.h"

#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/math/IProjectParameters.h"
#include "testprog/TZIPParameters.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

// --- Base -----------------------------------------------------------------------------------

void TAEStatFunc::Start(const TAERecord& record) {
    Reset();
    const TAEListFields& layout = record.Fields();
    FParams.Bind(layout);
    FX = FParams.Find("X");
    FGroupPos = FGrouping ? layout.IndexOfID(FGroupFieldID) : -1;
    FZIP = FOwner ? &FindZIPParameters(*FOwner) : nullptr;
    if (!FGrouping) FGroups.Find(0);
}

bool TAEStatFunc::KindYields(const TAERecord& record) {
    return StatisticsTakeKind(record.Kind());
}

TStatAccumulator& TAEStatFunc::Accumulator(const TAERecord& record) {
    if (!FGrouping) return FGroups.Items(0);
    const TAEField* g = record.Field(FGroupPos);
    // A record without the grouping field (absent or empty) forms the group of key 0.
    const int64_t key = g && !g->IsNull() ? g->GetAsInt64() : 0;
    return FGroups.Find(key);
}

bool TAEStatFunc::ReadField(const TAERecord& record, const TAEStatFuncParam& p, long double& x) {
    const TAEField* f = record.Field(p.Position());
    if (!f || f->IsNull()) return false;
    x = f->GetAsFloat();
    return true;
}

void TAEStatFunc::SetByXType(TExprValue& result, long double v) const {
    const uint8_t t = FX ? FX->DataType() : static_cast<uint8_t>(dtUnknown);
    if (IsIntegerType(t))
        result.SetInteger(RoundToInt64(v));
    else if (IsFloatType(t))
        result.SetFloat(v);
}

namespace {

constexpr const char* kDescMin = "Min(x1...xN)";
constexpr const char* kDescMax = "Max(x1...xN)";
constexpr const char* kDescAvg = "Avg(Sum(x1...xN)/Count(x1...xN))";
constexpr const char* kDescSum = "Sum(x1...xN)";

// Functions of one field "X" that may group.
class TStatFuncX : public TAEStatFunc {
public:
    TStatFuncX(TGVCPU* owner, const char* description) : TAEStatFunc(owner) {
        FDescription = description;
        FGroupingAllowed = true;
        FParams.Add(spkField, "X");
    }
    bool Calculate(TExprValue& result, const TAERecord& record, IStatSlotLookup* lookup,
                   int fieldIndex, int32_t recordIndex) final {
        if (!KindYields(record) || !FX) return false;
        long double x;
        if (!ReadField(record, *FX, x)) return false;
        TStatAccumulator& a = Accumulator(record);
        const bool ok = Take(result, record, a, x, lookup, fieldIndex, recordIndex);
        a.First = false;
        return ok;
    }

protected:
    virtual bool Take(TExprValue& result, const TAERecord& record, TStatAccumulator& a,
                      long double x, IStatSlotLookup* lookup, int fieldIndex,
                      int32_t recordIndex) = 0;
};

class TStatMin final : public TStatFuncX {
public:
    explicit TStatMin(TGVCPU* o) : TStatFuncX(o, kDescMin) {}
    std::string GetName() const override { return "Min"; }
    bool Take(TExprValue& r, const TAERecord&, TStatAccumulator& a, long double x, IStatSlotLookup*,
              int, int32_t) override {
        a.Value = a.First ? x : std::min(a.Value, x);
        SetByXType(r, a.Value);
        return true;
    }
};

class TStatMax final : public TStatFuncX {
public:
    explicit TStatMax(TGVCPU* o) : TStatFuncX(o, kDescMax) {}
    std::string GetName() const override { return "Max"; }
    bool Take(TExprValue& r, const TAERecord&, TStatAccumulator& a, long double x, IStatSlotLookup*,
              int, int32_t) override {
        a.Value = a.First ? x : std::max(a.Value, x);
        SetByXType(r, a.Value);
        return true;
    }
};

class TStatSum final : public TStatFuncX {
public:
    explicit TStatSum(TGVCPU* o) : TStatFuncX(o, kDescSum) {}
    std::string GetName() const override { return "Sum"; }
    bool Take(TExprValue& r, const TAERecord&, TStatAccumulator& a, long double x, IStatSlotLookup*,
              int, int32_t) override {
        a.Value = a.First ? x : a.Value + x;
        SetByXType(r, a.Value);
        return true;
    }
};

class TStatAvg final : public TStatFuncX {
public:
    explicit TStatAvg(TGVCPU* o) : TStatFuncX(o, kDescAvg) {}
    std::string GetName() const override { return "Avg"; }
    bool Take(TExprValue& r, const TAERecord&, TStatAccumulator& a, long double x, IStatSlotLookup*,
              int, int32_t) override {
        a.Value = a.First ? x : a.Value + x;
        a.Count = a.First ? 1 : a.Count + 1;
        SetByXType(r, a.Value / static_cast<long double>(a.Count));
        return true;
    }
};

class TStatDeviation final : public TStatFuncX {
public:
    explicit TStatDeviation(TGVCPU* o) : TStatFuncX(o, "Deviation:x(N)-x(N-1)") {}
    std::string GetName() const override { return "Deviation"; }
    bool Take(TExprValue& r, const TAERecord&, TStatAccumulator& a, long double x, IStatSlotLookup*,
              int, int32_t) override {
        const long double previous = a.First ? 0.0L : a.Value;
        SetByXType(r, x - previous);
        a.Value = x;
        return true;
    }
};

class TStatPrev final : public TStatFuncX {
public:
    explicit TStatPrev(TGVCPU* o) : TStatFuncX(o, "Prev:X") {}
    std::string GetName() const override { return "Prev"; }
    bool Take(TExprValue& r, const TAERecord&, TStatAccumulator& a, long double x, IStatSlotLookup*,
              int, int32_t) override {
        if (a.First)
            r.Clear();
        else
            SetByXType(r, a.Value);
        a.Value = x;
        return true;
    }
};

class TStatNext final : public TStatFuncX {
public:
    explicit TStatNext(TGVCPU* o) : TStatFuncX(o, "Next:X") {}
    std::string GetName() const override { return "Next"; }
    bool Take(TExprValue&, const TAERecord& record, TStatAccumulator& a, long double x,
              IStatSlotLookup* lookup, int fieldIndex, int32_t recordIndex) override {
        if (!lookup) return false;
        if (!a.First && a.LastIndex >= 0)
            if (TExprValue* slot = lookup->StatSlot(fieldIndex, a.LastIndex)) {
                const uint8_t t = FX->DataType();
                if (IsIntegerType(t))
                    slot->SetInteger(record.Field(FX->Position())->GetAsInt64());
                else if (IsFloatType(t))
                    slot->SetFloat(x);
            }
        a.LastIndex = recordIndex;
        // The record's own value arrives with the group's next record.
        return false;
    }
};

class TStatSeverity final : public TStatFuncX {
public:
    explicit TStatSeverity(TGVCPU* o) : TStatFuncX(o, "Severity(x)") {}
    std::string GetName() const override { return "Severity"; }
    void Start(const TAERecord& record) override {
        TStatFuncX::Start(record);
        FJ = FZIP ? std::max<int32_t>(FZIP->J(), 1) : TZIPParameters::MinJ;
    }
    bool Take(TExprValue& r, const TAERecord&, TStatAccumulator& a, long double x, IStatSlotLookup*,
              int, int32_t) override {
        auto& v = a.Values;
        const size_t j = static_cast<size_t>(FJ);
        if (v.size() < j) {
            v.insert(std::upper_bound(v.begin(), v.end(), x, std::greater<long double>()), x);
            a.ValuesSum += x;
        } else if (x > v.back()) {
            a.ValuesSum += x - v.back();
            v.pop_back();
            v.insert(std::upper_bound(v.begin(), v.end(), x, std::greater<long double>()), x);
        }
        r.SetFloat(v.size() == j ? a.ValuesSum / static_cast<long double>(j) : 0.0L);
        return true;
    }

private:
    int32_t FJ = TZIPParameters::MinJ;
};

class TStatHistoricIndex final : public TStatFuncX {
public:
    explicit TStatHistoricIndex(TGVCPU* o) : TStatFuncX(o, "HistoricIndex(x)") {}
    std::string GetName() const override { return "HistoricIndex"; }
    bool Take(TExprValue& r, const TAERecord&, TStatAccumulator& a, long double x, IStatSlotLookup*,
              int, int32_t) override {
        const int64_t n = a.Count;
        const int64_t k = FZIP ? FZIP->HistoricIndexK(n) : 0;
        const int64_t rr = n - k;
        a.Total = a.First ? x : a.Total + x;
        a.Count = n + 1;
        if (rr == -1) {
            r.SetFloat(0.0L);
        } else if (rr == 0) {
            r.SetFloat(1.0L);
        } else if (rr > 0) {
            auto& w = a.Values;
            if (static_cast<int64_t>(w.size()) >= rr) {
                while (static_cast<int64_t>(w.size()) > rr - 1) {
                    a.ValuesSum -= w.front();
                    w.pop_front();
                }
                // Dropping values one by one leaves rounding residue in the running sum; an
                // emptied window starts it afresh.
                if (w.empty()) a.ValuesSum = 0;
            }
            w.push_back(x);
            a.ValuesSum += x;
            const long double count = static_cast<long double>(a.Count);
            if (!w.empty() && a.Total != 0) {
                const long double windowMean = a.ValuesSum / static_cast<long double>(w.size());
                r.SetFloat(windowMean / (a.Total / count));
            } else {
                r.SetFloat(0.0L);
            }
        } else {
            return false;
        }
        return true;
    }
};

// Functions of several parameters; they never group.
class TStatFuncAXY : public TAEStatFunc {
public:
    TStatFuncAXY(TGVCPU* o, const char* description) : TAEStatFunc(o) {
        FDescription = description;
    }
    void Start(const TAERecord& record) override {
        TAEStatFunc::Start(record);
        FA = FParams.Find("A");
        FB = FParams.Find("B");
        FK = FParams.Find("K");
        FY = FParams.Find("Y");
    }

protected:
    static long double Const(const TAEStatFuncParam* p) { return p ? p->Value() : 0.0L; }
    TAEStatFuncParam* FA = nullptr;
    TAEStatFuncParam* FB = nullptr;
    TAEStatFuncParam* FK = nullptr;
    TAEStatFuncParam* FY = nullptr;
};

class TStatRatio final : public TStatFuncAXY {
public:
    explicit TStatRatio(TGVCPU* o) : TStatFuncAXY(o, "Ratio(A*x/y)") {
        FParams.Add(spkConstant, "A");
        FParams.Add(spkField, "X");
        FParams.Add(spkField, "Y");
    }
    std::string GetName() const override { return "Ratio"; }
    bool Calculate(TExprValue& r, const TAERecord& record, IStatSlotLookup*, int,
                   int32_t) override {
        long double x, y;
        if (!KindYields(record) || !FX || !FY) return false;
        if (!ReadField(record, *FX, x) || !ReadField(record, *FY, y) || y == 0) return false;
        r.SetFloat(Const(FA) * x / y);
        return true;
    }
};

class TStatProduct final : public TStatFuncAXY {
public:
    explicit TStatProduct(TGVCPU* o) : TStatFuncAXY(o, "Product(A*x*y)") {
        FParams.Add(spkConstant, "A");
        FParams.Add(spkField, "X");
        FParams.Add(spkField, "Y");
    }
    std::string GetName() const override { return "Product"; }
    bool Calculate(TExprValue& r, const TAERecord& record, IStatSlotLookup*, int,
                   int32_t) override {
        long double x, y;
        if (!KindYields(record) || !FX || !FY) return false;
        if (!ReadField(record, *FX, x) || !ReadField(record, *FY, y)) return false;
        r.SetFloat(Const(FA) * x * y);
        return true;
    }
};

class TStatSumma final : public TStatFuncAXY {
public:
    explicit TStatSumma(TGVCPU* o) : TStatFuncAXY(o, "Summa:(A*x)+(B*y)") {
        FParams.Add(spkConstant, "A");
        FParams.Add(spkField, "X");
        FParams.Add(spkConstant, "B");
        FParams.Add(spkField, "Y");
    }
    std::string GetName() const override { return "Summa"; }
    bool Calculate(TExprValue& r, const TAERecord& record, IStatSlotLookup*, int,
                   int32_t) override {
        if (!KindYields(record)) return false;
        long double x = 0, y = 0;
        const bool hasX = FX && ReadField(record, *FX, x);
        const bool hasY = FY && ReadField(record, *FY, y);
        if (!hasX && !hasY) return false;
        // An empty operand contributes what its field reports when empty.
        if (!hasX) x = Reported(record, FX);
        if (!hasY) y = Reported(record, FY);
        r.SetFloat(Const(FA) * x + Const(FB) * y);
        return true;
    }

private:
    static long double Reported(const TAERecord& record, const TAEStatFuncParam* p) {
        const TAEField* f = p ? record.Field(p->Position()) : nullptr;
        return f ? f->GetAsFloat() : 0.0L;
    }
};

class TStatPower final : public TStatFuncAXY {
public:
    explicit TStatPower(TGVCPU* o) : TStatFuncAXY(o, "Power:A*x^K") {
        FParams.Add(spkConstant, "A");
        FParams.Add(spkField, "X");
        FParams.Add(spkConstant, "K");
    }
    std::string GetName() const override { return "Power"; }
    bool Calculate(TExprValue& r, const TAERecord& record, IStatSlotLookup*, int,
                   int32_t) override {
        long double x;
        if (!KindYields(record) || !FX || !ReadField(record, *FX, x)) return false;
        r.SetFloat(Const(FA) * std::pow(x, Const(FK)));
        return true;
    }
};

class TStatLg final : public TStatFuncAXY {
public:
    explicit TStatLg(TGVCPU* o) : TStatFuncAXY(o, "Lg:A*lg(x),base B") {
        FParams.Add(spkConstant, "A");
        FParams.Add(spkField, "X");
        FParams.Add(spkConstant, "B");
    }
    std::string GetName() const override { return "Lg"; }
    bool Calculate(TExprValue& r, const TAERecord& record, IStatSlotLookup*, int,
                   int32_t) override {
        long double x;
        if (!KindYields(record) || !FX || !ReadField(record, *FX, x) || x == 0) return false;
        r.SetFloat(Const(FA) * std::log(x) / std::log(Const(FB)));
        return true;
    }
};

class TStatLn final : public TStatFuncAXY {
public:
    explicit TStatLn(TGVCPU* o) : TStatFuncAXY(o, "Ln:A*ln(x)") {
        FParams.Add(spkConstant, "A");
        FParams.Add(spkField, "X");
    }
    std::string GetName() const override { return "Ln"; }
    bool Calculate(TExprValue& r, const TAERecord& record, IStatSlotLookup*, int,
                   int32_t) override {
        long double x;
        if (!KindYields(record) || !FX || !ReadField(record, *FX, x) || x == 0) return false;
        r.SetFloat(Const(FA) * std::log(x));
        return true;
    }
};

struct TStatFuncEntry {
    const char* Name;
    std::unique_ptr<TAEStatFunc> (*Create)(TGVCPU*);
};

template <class T> std::unique_ptr<TAEStatFunc> Make(TGVCPU* owner) {
    return std::make_unique<T>(owner);
}

const TStatFuncEntry kStatFuncs[] = {
    {"Min", &Make<TStatMin>},
    {"Max", &Make<TStatMax>},
    {"Avg", &Make<TStatAvg>},
    {"Sum", &Make<TStatSum>},
    {"Deviation", &Make<TStatDeviation>},
    {"Ratio", &Make<TStatRatio>},
    {"Product", &Make<TStatProduct>},
    {"Summa", &Make<TStatSumma>},
    {"Power", &Make<TStatPower>},
    {"Lg", &Make<TStatLg>},
    {"Ln", &Make<TStatLn>},
    {"Prev", &Make<TStatPrev>},
    {"Next", &Make<TStatNext>},
    {"Severity", &Make<TStatSeverity>},
    {"HistoricIndex", &Make<TStatHistoricIndex>},
};

} // namespace

const std::vector<std::string>& StatFunctionNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const auto& e : kStatFuncs)
            v.emplace_back(e.Name);
        return v;
    }();
    return names;
}

std::unique_ptr<TAEStatFunc> CreateStatFunc(std::string_view name, TGVCPU* owner) {
    const std::string key = Trim(name);
    for (const auto& e : kStatFuncs)
        if (SameText(e.Name, key)) return e.Create(owner);
    return nullptr;
}

bool StatFuncUsesZIP(std::string_view name) {
    const std::string key = Trim(name);
    return SameText(key, "Severity") || SameText(key, "HistoricIndex");
}

} // namespace vorelt
