#include "processing/criterion/TAECriterion.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

TAECriterion::TAECriterion(IExprOwner* exprOwner, ILCOwner* conditionOwner)
    : FLogCons(conditionOwner), FResult(exprOwner), FExpresion(exprOwner) {}

bool TAECriterion::RefersTo(std::string_view id, bool filter, bool function) const {
    if (id.empty()) return false;
    if (filter && FLogCons.ReferencesId(id)) return true;
    if (function && FExpresion.ReferencesId(id)) return true;
    if (FResult.ReferencesId(id)) return true;
    // A link names its source field in the root.
    return TypeResult == trLink && FResult.TypeElem() == teField && FResult.ID() == id;
}

void TAECriterion::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("EnabledSection", EnabledSection ? "1" : "0");
    node.AddItem("FirstHit", FirstHit ? "1" : "0");
    node.AddItem("EnabledFilter", EnabledFilter ? "1" : "0");
    node.AddItem("EnabledFunction", EnabledFunction ? "1" : "0");
    node.AddItem("TypeResult", IntToStr(TypeResult));
    FLogCons.SaveToNode(*node.AddNode("LogCons"));
    FResult.SaveToNode(*node.AddNode("Result"));
    FExpresion.SaveToNode(*node.AddNode("Expresion"));
    TNodePersist* sections = node.AddNode("Section");
    for (const std::string& id : Sections)
        sections->AddNode("ITEM")->AddItem("ID", id);
}

void TAECriterion::LoadFromNode(const TNodePersist& node) {
    auto flag = [&](const char* key, bool& target) {
        const std::string v = node.GetValue(key);
        if (!v.empty()) target = v == "1";
    };
    flag("EnabledSection", EnabledSection);
    flag("FirstHit", FirstHit);
    flag("EnabledFilter", EnabledFilter);
    flag("EnabledFunction", EnabledFunction);
    const std::string type = node.GetValue("TypeResult");
    if (!type.empty()) TypeResult = StrToInt(type);
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameTextTrimmed(child.Name(), "LogCons")) {
            FLogCons.Clear();
            FLogCons.LoadFromNode(child);
        } else if (SameTextTrimmed(child.Name(), "Result")) {
            FResult.Clear();
            FResult.LoadFromNode(child);
        } else if (SameTextTrimmed(child.Name(), "Expresion")) {
            FExpresion.Clear();
            FExpresion.LoadFromNode(child);
        } else if (SameTextTrimmed(child.Name(), "Section")) {
            Sections.clear();
            for (int k = 0; k < child.NodeCount(); ++k)
                if (SameTextTrimmed(child.Node(k)->Name(), "ITEM"))
                    Sections.push_back(child.Node(k)->GetValue("ID"));
        }
    }
}

} // namespace vorelt
