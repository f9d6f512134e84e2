#include "viewmodel/dialogs/testprog/TTestProgramRules.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "testprog/TTestGrLine.h"
#include "testprog/TTestSection.h"

#include <cmath>

namespace vorelt {

namespace {

int32_t IntOrZero(const std::string& text) {
    int32_t v = 0;
    return TryStrToInt(Trim(text), v) ? v : 0;
}

} // namespace

// --- Sections -------------------------------------------------------------------------------

std::string CheckSection(const TTestSectionList& sections, int editedIndex, const std::string& name,
                         const std::string& minText, const std::string& maxText) {
    const std::string trimmed = Trim(name);
    if (trimmed.empty()) return "Empty Name";
    for (int i = 0; i < sections.Count(); ++i)
        if (i != editedIndex && sections.Get(i)->Text() == trimmed)
            return std::string("Name") + " " + "Exists";
    for (const std::string* text : {&minText, &maxText})
        if (std::string refusal = NumberTextError(SectionSecondsRule, *text); !refusal.empty())
            return refusal;
    if (IntOrZero(minText) >= IntOrZero(maxText))
        return std::string("Invalid") + " Min( Max ) " + "Value";
    return {};
}

std::string CheckPoint(const std::string& timeText, const std::string& loadText,
                       std::optional<TSecondsRange> axisSeconds, long double loadMin,
                       long double loadMax, TGVCoord& point) {
    const std::string invalid = std::string("Invalid") + " " + "Value";
    if (!axisSeconds) return invalid + " [S]";
    long double t = 0;
    if (!TryStrToFloat(Trim(timeText), t) || t < axisSeconds->Min || t > axisSeconds->Max)
        return invalid + " " + timeText + "[S]";
    long double p = 0;
    if (!TryStrToFloat(Trim(loadText), p) || p < loadMin || p > loadMax)
        return invalid + " " + loadText + "[MPa]";
    point = {WholeSeconds(t), p};
    return {};
}

std::string CheckLoadMin(const TTestGrLine& line, long double value) {
    const std::string refused = std::string("Invalid") + " " + "Min Value";
    if (!(value < line.GetMax())) return refused;
    for (const TGVCoord& c : line.Points().Points())
        if (value > c.Y) return refused;
    return {};
}

std::string CheckLoadMax(const TTestGrLine& line, long double value) {
    const std::string refused = std::string("Invalid") + " " + "Max Value";
    if (!(value > line.GetMin())) return refused;
    for (const TGVCoord& c : line.Points().Points())
        if (value < c.Y) return refused;
    return {};
}

long double LineWidthOf(const std::string& text) {
    long double w = 0;
    return TryStrToFloat(Trim(text), w) ? w : 0.1L;
}

// --- The test graph's defaults ---------------------------------------------------------------

TTestGraphSetUp PlanTestGraphDefaults(const TTestGraphState& current) {
    TTestGraphSetUp plan;
    plan.State = current;
    TTestGraphState& s = plan.State;
    if (s.LeftField.empty()) {
        s.LeftField = TTestGraphDefaults::LeftField;
        plan.Changed = true;
    }
    if (s.BottomField.empty()) {
        s.BottomField = TTestGraphDefaults::BottomField;
        plan.Changed = true;
    }
    if (s.RightField.empty()) {
        s.RightEnabled = true;
        s.RightField = TTestGraphDefaults::RightField;
        s.RightAutoMin = s.RightAutoMax = false;
        s.RightMin = TTestGraphDefaults::RightMin;
        s.RightMax = TTestGraphDefaults::RightMax;
        plan.Changed = true;
    }
    if (s.SeriesCount == 0) {
        plan.AddPointSeries = true;
        s.SeriesCount = 1;
        plan.Changed = true;
    }
    return plan;
}

// --- Section selection ----------------------------------------------------------------------

void ToggleSectionMark(TTestSection& section) {
    section.SetChecked(section.Checked() ? 0 : 1);
}

void MarkSections(TTestSectionList& sections, const std::vector<std::string>& ids) {
    for (int i = 0; i < sections.Count(); ++i) {
        TTestSection* s = sections.Get(i);
        bool chosen = false;
        for (const std::string& id : ids)
            if (!id.empty() && id == s->ID()) chosen = true;
        s->SetChecked(chosen ? 1 : 0);
    }
}

std::vector<std::string> MarkedSectionIDs(const TTestSectionList& sections) {
    std::vector<std::string> ids;
    for (int i = 0; i < sections.Count(); ++i)
        if (sections.Get(i)->Checked()) ids.push_back(sections.Get(i)->ID());
    return ids;
}

} // namespace vorelt
