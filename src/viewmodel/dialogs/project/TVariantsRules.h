#pragma once
// The rules of the variants editor without its window: the new variant of a type, the checks
// of the variant dialog, where a variant is used, and deleting one only while nothing uses it.

#include "persist/TNumberInput.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorelt {

class TGVVariant;
class TProjectAE;

inline constexpr char txtEmptyName[] = "Empty Name";
inline constexpr char txtVariantUsed[] = "Variant Used";
inline constexpr char txtVariantNotUsed[] = "Variant Not Used";

// A variant of the kind (0 Integer, 1 Float, 2 String, 3 Boolean); none for other kinds.
std::unique_ptr<TGVVariant> NewVariantOfKind(uint8_t kind);
// "Add Integer Variant", "Edit Float Variant", ...
std::string VariantDialogTitle(bool editing, uint8_t kind);

// What the value edit of a variant of the kind takes; none for boolean and string variants.
std::optional<TNumberRule> VariantNumberRule(uint8_t kind);
// OK of the variant dialog on `target` (a new variant or a working copy): an empty trimmed
// name fails with "Empty Name"; otherwise a value that is no number of a number
// variant is refused with its conversion message, else the trimmed name and value are applied
// and a conversion error is the result. Empty when accepted. A refusal leaves `target` as it was.
std::string ApplyVariantInput(TGVVariant& target, const std::string& name,
                              const std::string& value);

// The lines of the tree's uses of the variant (deep).
std::vector<std::string> VariantUses(TProjectAE& project, const std::string& id);
// "Variant Used", a carriage return and one use per line; "Variant Not Used" without uses.
std::string VariantInfo(TProjectAE& project, const std::string& id);

// Appends a variant accepted by the dialog: it gets an ID from the project and the project
// becomes modified. Returns its position.
int AddVariant(TProjectAE& project, std::unique_ptr<TGVVariant> variant);
// Copies the edited name and value back, marks the project modified and lets every processor
// that refers to the variant recompute.
void StoreVariantEdit(TProjectAE& project, int index, const TGVVariant& edited);
// Refused with the "Variant Used" text while the tree uses it; otherwise deleted (empty text).
std::string DeleteVariant(TProjectAE& project, int index);

} // namespace vorelt
