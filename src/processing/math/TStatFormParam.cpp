#include "processing/math/TStatFormParam.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/math/TAEStatFuncParam.h"

#include <memory>

namespace vorelt {

void AddFormParams(TAEExpresion& form, const std::vector<TStatFormParam>& params) {
    for (const TStatFormParam& p : params) {
        auto node = std::make_unique<TAEExpresion>(form.Owner());
        node->SetTypeElem(teParam);
        node->SetName(p.Name);
        if (!p.FieldID.empty())
            node->SetID(p.FieldID);
        else
            node->SetText(p.Text);
        form.Add(std::move(node));
    }
}

void ApplyFormParam(const TAEExpresion& node, TAEStatFuncParams& params) {
    if (node.TypeElem() != teParam) return;
    TAEStatFuncParam* p = params.Find(node.Name());
    if (!p) return;
    if (p->IsField())
        p->SetFieldID(node.ID());
    else
        p->SetValue(StrToFloat(Trim(node.Text())));
}

} // namespace vorelt
