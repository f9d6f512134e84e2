#pragma once
// Linear scaling of a raw parametric input into an engineering value:
// value = source × Factor − Offset. Owned by the parametric field it scales.

#include "model/TAEFieldAttachment.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IParametricDb;

class TAEParametric : public TAEFieldAttachment {
public:
    explicit TAEParametric(IParametricDb* db = nullptr) : FDb(db) {}

    std::string ClassName() const override { return "TAEParametric"; }
    // "ClassName", "ID" (the source ID), "Offset", "Factor".
    void SaveToNode(TNodePersist& node) const override;
    // Present, non-empty items only; a number that does not parse reads as 0.
    void LoadFromNode(const TNodePersist& node) override;

    IParametricDb* Db() const { return FDb; }
    void SetDb(IParametricDb* db) { FDb = db; }
    const std::string& SourceID() const { return FSourceID; }
    void SetSourceID(const std::string& id) { FSourceID = id; }
    long double Offset() const { return FOffset; }
    void SetOffset(long double x) { FOffset = x; }
    long double Factor() const { return FFactor; }
    void SetFactor(long double x) { FFactor = x; }

    // Forgets database, field and source; offset and factor become 0.
    void Clear();
    void Assign(const TAEParametric& other);
    bool UsesSource(std::string_view id) const { return FField && FSourceID == id; }
    // When the source is used: adds "Field: [<db name>][<field name>]" to the sorted `lines`
    // unless it is already there, and returns true.
    bool ReportUse(std::string_view id, std::vector<std::string>& lines) const;
    long double Apply(long double source) const { return source * FFactor - FOffset; }

private:
    IParametricDb* FDb;
    std::string FSourceID;
    long double FOffset = 0;
    long double FFactor = 0;
};

} // namespace vorelt
