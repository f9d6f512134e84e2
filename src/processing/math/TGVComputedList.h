#pragma once
// A source whose records are a list computed from its parent on first demand (the math and
// criterion processors). It keeps whether the list is computed and a failed computation, which
// every cursor move reports until the next change forgets it.

#include "processing/TGVCPU.h"

#include <cstdint>
#include <string>

namespace vorelt {

class TGVComputedList : public TGVSource {
public:
    bool Computed() const { return FComputed; }
    // Entries of the computed list (computing when needed); -1 after a failure.
    int32_t ComputedCount();

protected:
    explicit TGVComputedList(const TProcessorKind& kind) : TGVSource(kind) {}

    // Builds the list and sets FComputed, or calls ComputeFailed.
    virtual void Compute() = 0;
    virtual int32_t EntryCount() const = 0;

    // Computes when needed; false (the cursor reports the error) after a failure.
    bool EnsureComputed(TAEPNav& nav);
    // The derived class has dropped its list: the computation failed with `text`.
    void ComputeFailed(const std::string& text);
    // The derived class has dropped its list: it is no longer computed, and a kept failure is
    // forgotten.
    void ForgetComputed();

    bool FComputed = false;
    bool FFailed = false;
};

} // namespace vorelt
