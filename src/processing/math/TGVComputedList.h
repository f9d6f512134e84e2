#pragma once
// A source whose records are a list computed from its parent on first demand (the math and
// criterion processors). It keeps whether the list is computed and a failed computation, which
// every cursor move reports until the next change forgets it.

#include "model/TAEField.h"
#include "processing/TGVCPU.h"
#include "processing/expr/TExprValue.h"

#include <cstdint>
#include <string>

namespace vorelt {

class TGVComputedList : public TGVSource {
public:
    bool Computed() const { return FComputed; }
    // Entries of the computed list (computing when needed); -1 after a failure.
    int32_t ComputedCount();

    // The list goes, then the change is announced as by every processor.
    void Changed(bool propagate) override;
    // After 0x401 and the source-state message the list goes; a change of the zone-intensity
    // parameters sends 0x401 to the processor itself when it uses them.
    void Dispatch(TAEOMSG& msg) override;

protected:
    explicit TGVComputedList(const TProcessorKind& kind) : TGVSource(kind) {}

    // Builds the list and sets FComputed, or calls ComputeFailed.
    virtual void Compute() = 0;
    virtual int32_t EntryCount() const = 0;
    // Drops the list and what was built with it, then calls ForgetComputed.
    virtual void Discard() = 0;
    // Some field's computation reads the zone-intensity parameters.
    virtual bool UsesZIP() const = 0;

    // Computes when needed; false (the cursor reports the error) after a failure.
    bool EnsureComputed(TAEPNav& nav);
    // The derived class has dropped its list: the computation failed with `text`.
    void ComputeFailed(const std::string& text);
    // The derived class has dropped its list: it is no longer computed, and a kept failure is
    // forgotten.
    void ForgetComputed();

    // Writes a computed value into its field through the field's typed setters; an empty
    // value or one of no known kind clears the field. Inline: it runs per served record.
    static void WriteSlot(TAEField& f, const TExprValue& v) {
        if (v.Empty()) {
            f.Clear();
            return;
        }
        switch (v.Kind()) {
        case TExprValue::evInteger:
            f.SetAsInt64(v.AsInteger());
            break;
        case TExprValue::evBoolean:
            f.SetAsBoolean(v.AsBoolean());
            break;
        case TExprValue::evFloat:
            f.SetAsFloat(v.AsFloat());
            break;
        case TExprValue::evString:
            f.SetAsString(std::string(v.AsString()));
            break;
        default:
            f.Clear();
        }
    }

    bool FComputed = false;
    bool FFailed = false;
};

} // namespace vorelt
