#pragma once
// Parameters of a function form, the tree a calculated or criterion field keeps for a
// function and its arguments: one parameter node (teParam) per argument, with the
// parameter's name and either the ID of a field or a constant as typed (decimal comma).

#include <string>
#include <vector>

namespace vorelt {

class TAEExpresion;
class TAEStatFuncParams;

// One argument as the settings give it: a field parameter names its field by ID, a constant
// parameter carries the constant as typed.
struct TStatFormParam {
    std::string Name;
    std::string FieldID;
    std::string Text;
};

// Appends one parameter node per argument to `form`; the nodes get the form's owner.
void AddFormParams(TAEExpresion& form, const std::vector<TStatFormParam>& params);
// Hands a parameter node's field ID or constant to the function's parameter of its name.
// Other nodes, and names the function does not have, are passed over.
void ApplyFormParam(const TAEExpresion& node, TAEStatFuncParams& params);

} // namespace vorelt
