#include "viewmodel/dialogs/processors/TCalcFieldRules.h"

#include "model/TAEField.h"
#include "persist/TNumberFormat.h"
#include "persist/TNumberInput.h"
#include "persist/TTextHelpers.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/expr/TPreProcessor.h"
#include "processing/math/TAEStatFunc.h"
#include "processing/math/TGVCPUPrc.h"

namespace vorelt {

std::string CheckFieldAttributes(const TGVCPU& tree, const std::string& currentName,
                                 const std::string& name, const std::string& displayName) {
    const std::string n = Trim(name);
    if (n.empty()) return "Empty Name";
    long double number = 0;
    if (TryStrToFloat(n, number)) return "Invalid Name";
    if (n != currentName && !tree.IsNameFree(n))
        return std::string(txtNotUniqueName) + " [ " + n + " ]";
    if (Trim(displayName).empty()) return txtEmptyDisplayName;
    return {};
}

std::vector<std::pair<std::string, bool>> FunctionParameters(const std::string& name) {
    std::vector<std::pair<std::string, bool>> out;
    std::unique_ptr<TAEStatFunc> f = CreateStatFunc(name, nullptr);
    if (!f) return out;
    for (int i = 0; i < f->Params().Count(); ++i)
        out.emplace_back(f->Params().Items(i).Name(), f->Params().Items(i).IsField());
    return out;
}

TCalcFieldCheck ApplyCalcField(TGVCPUPrc& processor, TAEField& field, bool editing,
                               const TCalcFieldInput& input) {
    TCalcFieldCheck result;
    const TGVCPU* top = &processor;
    while (top->Parent())
        top = top->Parent();
    const std::string name = editing ? field.FieldName() : Trim(input.Name);
    result.Error = CheckFieldAttributes(*top, field.FieldName(), editing ? name : input.Name,
                                        input.DisplayName);
    if (!result.Error.empty()) return result;
    result.Page = cpCode;
    std::vector<TStatFormParam> params;
    if (input.ExpressionMode) {
        // Compiled aside first: a failure leaves the field's tree as it was.
        TAEExpresion trial(&processor);
        TPreProcessor pp;
        pp.SetText(Trim(input.Expression));
        if (!pp.Compile(trial, result.Error)) {
            if (result.Error.empty()) result.Error = "Error";
            return result;
        }
    } else {
        const auto wanted = FunctionParameters(input.Function);
        if (Trim(input.Function).empty() || wanted.empty()) {
            result.Error = txtFunctionEmpty;
            return result;
        }
        if (input.Grouping && input.GroupFieldID.empty()) {
            result.Error = txtGroupingFieldEmpty;
            return result;
        }
        for (const auto& [pname, isField] : wanted) {
            TStatFormParam p;
            p.Name = pname;
            for (const TStatFormParam& given : input.Params)
                if (SameTextTrimmed(given.Name, pname)) p = given;
            p.Name = pname;
            const bool empty = isField ? p.FieldID.empty() : Trim(p.Text).empty();
            if (empty) {
                result.Error = txtParameterEmpty;
                return result;
            }
            if (!isField) {
                result.Error = NumberTextError(CalcConstantRule, p.Text);
                if (!result.Error.empty()) return result;
            }
            if (isField)
                p.Text.clear();
            else
                p.FieldID.clear();
            params.push_back(p);
        }
    }
    result.Error.clear();
    if (!editing) {
        field.SetFieldName(name);
        // Tables take a column's width from its field.
        if (field.GetDisplayWidth() <= 0) field.SetDisplayWidth(100);
    }
    field.SetDisplayName(Trim(input.DisplayName));
    field.SetDisplayDimension(input.Dimension);
    if (input.ExpressionMode) {
        std::string error;
        processor.SetFieldExpression(field, input.Expression, error);
    } else {
        processor.SetFieldFunction(field, input.Function, input.Grouping ? input.GroupFieldID : "",
                                   params);
    }
    return result;
}

} // namespace vorelt
