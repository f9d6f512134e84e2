#pragma once
// The checks of the criterion dialog without the dialog: what the user entered on its pages,
// checked in the dialog's order and applied to the criterion field only when all pass.

#include "persist/TNumberInput.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/math/TStatFormParam.h"

#include <string>
#include <vector>

namespace vorelt {

class TAECriterion;
class TAEField;
class TLCBase;

inline constexpr char txtCriterionEmpty[] = "Criterion Empty";
inline constexpr char txtResultTypeEmpty[] = "Result Type Empty";
inline constexpr char txtResultError[] = "Result Error";

// Pages of the criterion dialog.
constexpr int kpAttributes = 0;
constexpr int kpData = 1;
constexpr int kpFilter = 2;
constexpr int kpFunction = 3;
constexpr int kpResult = 4;

// The values and weights of the weight table are decimal numbers; one that is not is refused
// with its conversion message.
inline constexpr TNumberRule CriterionWeightRule{TNumberKind::Decimal};

struct TCriterionInput {
    std::string Name;
    std::string DisplayName;
    std::string Dimension;
    bool EnabledSection = false;
    bool FirstHit = false;
    bool EnabledFilter = false;
    // A link field presents an output of another criterion field's function.
    bool Link = false;
    std::string SourceFieldID;
    std::string Output;
    bool EnabledFunction = true;
    std::string Function;
    std::vector<TStatFormParam> Params;
    // 0 function result, 1 weight table, 2 expression; -1 none chosen.
    int ResultType = 0;
    // Five rows of operator, value and weight.
    std::vector<TGVCPUCriterion::TWeightRow> Weights;
    std::string Expression;
    // The chosen test sections' IDs.
    std::vector<std::string> Sections;
    // The filter as edited in the dialog (a working copy); the field's own filter is kept when
    // there is none.
    const TLCBase* Condition = nullptr;
};

struct TCriterionCheck {
    std::string Error;
    int Page = kpAttributes;
};

// Every check in order: the attribute checks of calculated fields; a link without source or
// output: "Criterion Empty"; with the function on: "Function Empty", "Parameter Empty"; no
// result type: "Result Type Empty"; a weight table whose first row lacks value or weight, or
// a later row with a value and no weight (rows are read up to the first empty value), and an
// expression that does not compile: "Result Error". A failure changes nothing.
TCriterionCheck ApplyCriterion(TGVCPUCriterion& processor, TAEField& field, bool editing,
                               const TCriterionInput& input);

// The parameters of a criterion function, in order; empty for unknown names.
std::vector<std::string> CriterionFunctionParameters(const std::string& name);

// What the function page shows under "Result Function" for each output of the function, in
// order: the output's name + " (" + the name of its declared kind + " )".
std::vector<std::string> CriterionFunctionOutputLines(const std::string& name);

// The rows of the criterion's weight table, to show it again when the field is edited; none
// unless its result is a weight table.
std::vector<TGVCPUCriterion::TWeightRow> CriterionWeightRows(const TAECriterion& criterion);

} // namespace vorelt
