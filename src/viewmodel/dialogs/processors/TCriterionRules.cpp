#include "viewmodel/dialogs/processors/TCriterionRules.h"

#include "model/TAEField.h"
#include "persist/TNumberInput.h"
#include "persist/TTextHelpers.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TAECrtFunc.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/expr/TPreProcessor.h"
#include "processing/filter/TLCBlock.h"
#include "viewmodel/dialogs/processors/TCalcFieldRules.h"

namespace vorelt {

std::vector<std::string> CriterionFunctionParameters(const std::string& name) {
    std::vector<std::string> out;
    std::unique_ptr<TAECrtFunc> f = CreateCrtFunc(name, nullptr);
    if (!f) return out;
    for (int i = 0; i < f->Params().Count(); ++i)
        out.push_back(f->Params().Items(i).Name());
    return out;
}

std::vector<std::string> CriterionFunctionOutputLines(const std::string& name) {
    std::vector<std::string> out;
    std::unique_ptr<TAECrtFunc> f = CreateCrtFunc(name, nullptr);
    if (!f) return out;
    for (int i = 0; i < f->Outputs().Count(); ++i) {
        const TAECrtFuncParamOut& o = f->Outputs().Items(i);
        out.push_back(o.Name() + " (" + OutputKindName(o.DeclaredKind()) + " )");
    }
    return out;
}

std::vector<TGVCPUCriterion::TWeightRow> CriterionWeightRows(const TAECriterion& criterion) {
    std::vector<TGVCPUCriterion::TWeightRow> rows;
    const TAEExpresion& r = criterion.Result();
    if (criterion.TypeResult != trWeights || r.TypeElem() != teCase) return rows;
    for (int i = 0; i < r.Count(); ++i) {
        const TAEExpresion* cmp = r.Items(i);
        if (!cmp || cmp->TypeElem() != teCompare || cmp->Count() < 2) continue;
        rows.push_back({cmp->Text(), cmp->Items(0)->Text(), cmp->Items(1)->Text()});
    }
    return rows;
}

TCriterionCheck ApplyCriterion(TGVCPUCriterion& processor, TAEField& field, bool editing,
                               const TCriterionInput& input) {
    TCriterionCheck r;
    const TGVCPU* top = &processor;
    while (top->Parent())
        top = top->Parent();
    const std::string name = editing ? field.FieldName() : Trim(input.Name);
    r.Error = CheckFieldAttributes(*top, field.FieldName(), editing ? name : input.Name,
                                   input.DisplayName);
    if (!r.Error.empty()) return r;

    const TAEField* source = nullptr;
    std::vector<TStatFormParam> params;
    std::vector<TGVCPUCriterion::TWeightRow> weights;
    if (input.Link) {
        r.Page = kpResult;
        source = processor.OwnFields().FindByID(input.SourceFieldID);
        if (!source || Trim(input.Output).empty()) {
            r.Error = txtCriterionEmpty;
            return r;
        }
    } else {
        if (input.EnabledFunction) {
            r.Page = kpFunction;
            const std::vector<std::string> wanted = CriterionFunctionParameters(input.Function);
            if (wanted.empty()) {
                r.Error = txtFunctionEmpty;
                return r;
            }
            for (const std::string& pname : wanted) {
                TStatFormParam p;
                for (const TStatFormParam& given : input.Params)
                    if (SameTextTrimmed(given.Name, pname)) p = given;
                p.Name = pname;
                if (p.FieldID.empty()) {
                    r.Error = txtParameterEmpty;
                    return r;
                }
                p.Text.clear();
                params.push_back(p);
            }
        }
        r.Page = kpResult;
        if (input.ResultType < 0 || input.ResultType > 2) {
            r.Error = txtResultTypeEmpty;
            return r;
        }
        if (input.ResultType == 1) {
            for (size_t i = 0; i < input.Weights.size(); ++i) {
                const auto& row = input.Weights[i];
                const bool hasValue = !Trim(row.Value).empty();
                const bool hasWeight = !Trim(row.Weight).empty();
                if (i == 0 && (!hasValue || !hasWeight)) {
                    r.Error = txtResultError;
                    return r;
                }
                if (!hasValue) break;
                if (!hasWeight) {
                    r.Error = txtResultError;
                    return r;
                }
                for (const std::string* text : {&row.Value, &row.Weight}) {
                    r.Error = NumberTextError(CriterionWeightRule, *text);
                    if (!r.Error.empty()) return r;
                }
                weights.push_back({row.Op, DecimalCommaText(Trim(row.Value)),
                                   DecimalCommaText(Trim(row.Weight))});
            }
            if (weights.empty()) {
                r.Error = txtResultError;
                return r;
            }
        } else if (input.ResultType == 2) {
            TAEExpresion trial(&processor);
            TPreProcessor pp;
            pp.SetText(Trim(input.Expression));
            std::string error;
            if (Trim(input.Expression).empty() || !pp.Compile(trial, error)) {
                r.Error = txtResultError;
                return r;
            }
        }
    }

    r.Error.clear();
    TAECriterion* c = TGVCPUCriterion::CriterionOf(field);
    if (!c) {
        r.Error = txtCriterionEmpty;
        return r;
    }
    if (!editing) {
        field.SetFieldName(name);
        if (field.GetDisplayWidth() <= 0) field.SetDisplayWidth(100);
    }
    field.SetDisplayName(Trim(input.DisplayName));
    field.SetDisplayDimension(input.Dimension);
    c->EnabledSection = input.EnabledSection;
    c->FirstHit = input.FirstHit;
    c->EnabledFilter = input.EnabledFilter;
    if (input.Link) {
        processor.SetLink(field, *source, Trim(input.Output));
        return r;
    }
    c->Sections = input.Sections;
    if (input.Condition) input.Condition->CopyTo(c->LogCons());
    c->EnabledFunction = input.EnabledFunction;
    if (input.EnabledFunction) processor.SetFunction(field, input.Function, params);
    switch (input.ResultType) {
    case 0:
        c->TypeResult = trFunction;
        c->Result().Clear();
        break;
    case 1:
        processor.SetWeights(field, weights);
        break;
    case 2: {
        std::string error;
        processor.SetResultExpression(field, input.Expression, error);
        break;
    }
    default:
        break;
    }
    return r;
}

} // namespace vorelt
