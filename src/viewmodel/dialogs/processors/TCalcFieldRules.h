#pragma once
// The checks of the calculated-field dialog of the math processor, without the dialog: what
// the user entered, checked in the dialog's order, and applied to the field only when every
// check passes. The attribute checks serve the criterion dialog too.

#include "persist/TNumberInput.h"
#include "processing/math/TStatFormParam.h"

#include <string>
#include <vector>

namespace vorelt {

class TAEField;
class TGVCPU;
class TGVCPUPrc;

inline constexpr char txtEmptyDisplayName[] = "Empty Display Name";
inline constexpr char txtNotUniqueName[] = "Not Unique Name";
inline constexpr char txtFunctionEmpty[] = "Function Empty";
inline constexpr char txtGroupingFieldEmpty[] = "Grouping Field Empty";
inline constexpr char txtParameterEmpty[] = "Parameter Empty";

// Pages of the dialog a failure shows.
constexpr int cpAttributes = 0;
constexpr int cpCode = 1;

// The constant parameters of a function are decimal numbers; one that is not is refused with
// its conversion message on the code page.
inline constexpr TNumberRule CalcConstantRule{TNumberKind::Decimal};

struct TCalcFieldInput {
    std::string Name;
    std::string DisplayName;
    std::string Dimension;
    bool ExpressionMode = false;
    std::string Expression;
    std::string Function;
    bool Grouping = false;
    std::string GroupFieldID;
    // One per parameter of the function, by name: the field ID or the constant as typed.
    std::vector<TStatFormParam> Params;
};

struct TCalcFieldCheck {
    std::string Error; // empty: accepted
    int Page = cpAttributes;
};

// The name checks: "Empty Name", "Invalid Name" (a number), "Not Unique Name [ name ]" for a
// changed name the tree already has, "Empty Display Name". `currentName` is the field's name
// before the dialog.
std::string CheckFieldAttributes(const TGVCPU& tree, const std::string& currentName,
                                 const std::string& name, const std::string& displayName);

// Every check in order; on success the name (when not editing), display name, dimension and
// the expression or function form are written to the field. A failure changes nothing.
TCalcFieldCheck ApplyCalcField(TGVCPUPrc& processor, TAEField& field, bool editing,
                               const TCalcFieldInput& input);

// The parameters the function asks for, in order, with their kind; empty for unknown names.
std::vector<std::pair<std::string, bool /*field*/>> FunctionParameters(const std::string& name);

} // namespace vorelt
