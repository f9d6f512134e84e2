#pragma once
// Named time intervals of a test (whole seconds) that restrict criterion fields to parts of
// the test, and their list.

#include "persist/TPersistObject.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorelt {

class IIDGenerator;
class ITestGraphShape;

class TTestSection : public TPersistObject {
public:
    TTestSection() = default;
    TTestSection(std::string text, int32_t minVal, int32_t maxVal)
        : FText(std::move(text)), FMinVal(minVal), FMaxVal(maxVal) {}

    std::string ClassName() const override { return "TTestSection"; }

    const std::string& Text() const { return FText; }
    void SetText(std::string text) { FText = std::move(text); }
    int32_t MinVal() const { return FMinVal; }
    int32_t MaxVal() const { return FMaxVal; }
    void SetMinVal(int32_t v) { FMinVal = v; }
    void SetMaxVal(int32_t v) { FMaxVal = v; }
    const std::string& ID() const { return FID; }
    void SetID(std::string id) { FID = std::move(id); }
    // The section's rectangle on the test graph while a window shows it; not owned.
    ITestGraphShape* Rect() const { return FRect; }
    void SetRect(ITestGraphShape* rect) { FRect = rect; }
    uint8_t Checked() const { return FChecked; }
    void SetChecked(uint8_t checked) { FChecked = checked; }

    // "ClassName", "Text", "ID", "MinVal", "MaxVal".
    void SaveToNode(TNodePersist& node) const override;
    // Each key that is present and not empty; bad numbers raise EConvertError.
    void LoadFromNode(const TNodePersist& node) override;
    virtual void Clear();

    // Takes a new ID when it has none or when renewal is asked for.
    void AssignID(bool renew, IIDGenerator& generator);

private:
    std::string FText;
    int32_t FMinVal = 0;
    int32_t FMaxVal = 0;
    std::string FID;
    ITestGraphShape* FRect = nullptr;
    uint8_t FChecked = 0;
};

class TTestSectionList : public TPersistObject {
public:
    TTestSectionList() = default;
    TTestSectionList(const TTestSectionList&) = delete;
    TTestSectionList& operator=(const TTestSectionList&) = delete;

    std::string ClassName() const override { return "TTestSectionList"; }

    int Count() const { return static_cast<int>(FItems.size()); }
    // None when i is outside the list.
    TTestSection* Get(int i) const;
    // Replaces (and frees) the section at i.
    void Put(int i, std::unique_ptr<TTestSection> section);
    int Add(std::unique_ptr<TTestSection> section);
    void Delete(int i);
    void Clear() { FItems.clear(); }
    void Exchange(int i, int j);
    // Exact match; -1 for an empty id or none.
    int IndexOfID(std::string_view id) const;
    TTestSection* FindByID(std::string_view id) const;
    // Exact match of the name; -1 when none.
    int IndexOfText(std::string_view text) const;
    void AssignIDs(bool renew, IIDGenerator& generator);

    // "ClassName" and a child "Sections" with one "Section" per section.
    void SaveToNode(TNodePersist& node) const override;
    // Clears the list, then appends a section for every "Section" child of a registered class.
    void LoadFromNode(const TNodePersist& node) override;

private:
    std::vector<std::unique_ptr<TTestSection>> FItems;
};

// The section test of the criterion processor, prepared once for a run: the chosen sections'
// intervals, so that testing a record costs no string comparison.
class TSelectedSections {
public:
    TSelectedSections(const TTestSectionList& sections, const std::vector<std::string>& chosenIDs);
    // True when the project has no sections at all; otherwise true when a chosen section has
    // MinVal <= time <= MaxVal. A record without time lies in no section.
    bool Admits(std::optional<long double> timeS) const;

private:
    bool FNoSections = true;
    std::vector<std::pair<int32_t, int32_t>> FRanges;
};

// One-off form of the section test; time is the record's "TimeS", empty when it is null.
bool InSelectedSections(const TTestSectionList& sections, std::optional<long double> timeS,
                        const std::vector<std::string>& chosenIDs);

} // namespace vorelt
