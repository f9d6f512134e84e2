#include "testprog/TAEParametric.h"

#include "model/TAEField.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "testprog/IParametricDb.h"

#include <algorithm>

namespace vorelt {

namespace {

long double FloatOrZero(const std::string& s) {
    long double x = 0;
    return TryStrToFloat(s, x) ? x : 0.0L;
}

// The order of a sorted string list in this program: case-insensitive.
bool LessText(const std::string& a, const std::string& b) {
    return UpperCase(a) < UpperCase(b);
}

} // namespace

void TAEParametric::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("ID", FSourceID);
    node.AddItem("Offset", FloatToStr(FOffset));
    node.AddItem("Factor", FloatToStr(FFactor));
}

void TAEParametric::LoadFromNode(const TNodePersist& node) {
    std::string s;
    if (!(s = node.GetValue("ID")).empty()) FSourceID = s;
    if (!(s = node.GetValue("Offset")).empty()) FOffset = FloatOrZero(s);
    if (!(s = node.GetValue("Factor")).empty()) FFactor = FloatOrZero(s);
}

void TAEParametric::Clear() {
    FDb = nullptr;
    FField = nullptr;
    FSourceID.clear();
    FOffset = 0;
    FFactor = 0;
}

void TAEParametric::Assign(const TAEParametric& other) {
    FDb = other.FDb;
    FField = other.FField;
    FSourceID = other.FSourceID;
    FOffset = other.FOffset;
    FFactor = other.FFactor;
}

bool TAEParametric::ReportUse(std::string_view id, std::vector<std::string>& lines) const {
    if (!UsesSource(id)) return false;
    std::string line = "Field";
    line += ": [";
    line += FDb ? FDb->Name() : std::string();
    line += "][";
    line += FField->FieldName();
    line += "]";
    const std::string key = UpperCase(line);
    bool present = std::any_of(lines.begin(), lines.end(),
                               [&](const std::string& l) { return UpperCase(l) == key; });
    if (!present) {
        lines.push_back(line);
        std::stable_sort(lines.begin(), lines.end(), LessText);
    }
    return true;
}

} // namespace vorelt
