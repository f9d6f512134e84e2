#include "testprog/TTestSection.h"

#include "persist/IIDGenerator.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <algorithm>

namespace vorelt {

void TTestSection::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("Text", FText);
    node.AddItem("ID", FID);
    node.AddItem("MinVal", IntToStr(FMinVal));
    node.AddItem("MaxVal", IntToStr(FMaxVal));
}

void TTestSection::LoadFromNode(const TNodePersist& node) {
    std::string text = node.GetValue("Text");
    std::string id = node.GetValue("ID");
    std::string minVal = node.GetValue("MinVal");
    std::string maxVal = node.GetValue("MaxVal");
    int32_t lo = minVal.empty() ? FMinVal : StrToInt(minVal);
    int32_t hi = maxVal.empty() ? FMaxVal : StrToInt(maxVal);
    if (!text.empty()) FText = std::move(text);
    if (!id.empty()) FID = std::move(id);
    FMinVal = lo;
    FMaxVal = hi;
}

void TTestSection::Clear() {
    FText.clear();
    FMinVal = 0;
    FMaxVal = 0;
    FRect = nullptr;
}

void TTestSection::AssignID(bool renew, IIDGenerator& generator) {
    if (renew || FID.empty()) FID = generator.NewID();
}

// ---- List ----

TTestSection* TTestSectionList::Get(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return FItems[size_t(i)].get();
}

void TTestSectionList::Put(int i, std::unique_ptr<TTestSection> section) {
    if (i < 0 || i >= Count() || !section) return;
    FItems[size_t(i)] = std::move(section);
}

int TTestSectionList::Add(std::unique_ptr<TTestSection> section) {
    if (!section) return -1;
    FItems.push_back(std::move(section));
    return Count() - 1;
}

void TTestSectionList::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    FItems.erase(FItems.begin() + i);
}

void TTestSectionList::Exchange(int i, int j) {
    if (i < 0 || i >= Count() || j < 0 || j >= Count()) return;
    std::swap(FItems[size_t(i)], FItems[size_t(j)]);
}

int TTestSectionList::IndexOfID(std::string_view id) const {
    if (id.empty()) return -1;
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->ID() == id) return static_cast<int>(i);
    return -1;
}

TTestSection* TTestSectionList::FindByID(std::string_view id) const {
    return Get(IndexOfID(id));
}

int TTestSectionList::IndexOfText(std::string_view text) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->Text() == text) return static_cast<int>(i);
    return -1;
}

void TTestSectionList::AssignIDs(bool renew, IIDGenerator& generator) {
    for (auto& s : FItems)
        s->AssignID(renew, generator);
}

void TTestSectionList::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    TNodePersist* sections = node.AddNode("Sections");
    for (const auto& s : FItems)
        s->SaveToNode(*sections->AddNode("Section"));
}

void TTestSectionList::LoadFromNode(const TNodePersist& node) {
    Clear();
    const TNodePersist* sections = node.FindNode("Sections");
    if (!sections) return;
    const TClassRegistry& registry = TClassRegistry::Instance();
    for (int i = 0; i < sections->NodeCount(); ++i) {
        const TNodePersist* child = sections->Node(i);
        if (!SameTextTrimmed(child->Name(), "Section")) continue;
        std::unique_ptr<TTestSection> section =
            registry.CreateAs<TTestSection>(child->GetValue("ClassName"));
        if (!section) continue;
        section->LoadFromNode(*child);
        Add(std::move(section));
    }
}

// ---- Section test ----

TSelectedSections::TSelectedSections(const TTestSectionList& sections,
                                     const std::vector<std::string>& chosenIDs)
    : FNoSections(sections.Count() == 0) {
    for (int i = 0; i < sections.Count(); ++i) {
        const TTestSection* s = sections.Get(i);
        if (!s->ID().empty() &&
            std::find(chosenIDs.begin(), chosenIDs.end(), s->ID()) != chosenIDs.end())
            FRanges.emplace_back(s->MinVal(), s->MaxVal());
    }
}

bool TSelectedSections::Admits(std::optional<long double> timeS) const {
    if (FNoSections) return true;
    if (!timeS) return false;
    const long double t = *timeS;
    for (const auto& [lo, hi] : FRanges)
        if (lo <= t && t <= hi) return true;
    return false;
}

bool InSelectedSections(const TTestSectionList& sections, std::optional<long double> timeS,
                        const std::vector<std::string>& chosenIDs) {
    return TSelectedSections(sections, chosenIDs).Admits(timeS);
}

} // namespace vorelt
