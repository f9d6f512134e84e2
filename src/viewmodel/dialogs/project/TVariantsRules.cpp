#include "viewmodel/dialogs/project/TVariantsRules.h"

#include "persist/TErrors.h"
#include "persist/TGVVariant.h"
#include "persist/TGVVariants.h"
#include "persist/TTextHelpers.h"
#include "processing/db/TGVDb.h"
#include "project/TProjectAE.h"

#include <exception>

namespace vorelt {

std::unique_ptr<TGVVariant> NewVariantOfKind(uint8_t kind) {
    switch (kind) {
    case TGVVariant::vkInteger:
        return std::make_unique<TGVIntegerVariant>();
    case TGVVariant::vkFloat:
        return std::make_unique<TGVFloatVariant>();
    case TGVVariant::vkString:
        return std::make_unique<TGVStringVariant>();
    case TGVVariant::vkBoolean:
        return std::make_unique<TGVBooleanVariant>();
    default:
        return nullptr;
    }
}

std::string VariantDialogTitle(bool editing, uint8_t kind) {
    return std::string(editing ? "Edit" : "Add") + " " + TGVVariant::KindName(kind) + " " +
           "Variant";
}

std::optional<TNumberRule> VariantNumberRule(uint8_t kind) {
    if (kind == TGVVariant::vkInteger) return TNumberRule{TNumberKind::Integer};
    if (kind == TGVVariant::vkFloat) return TNumberRule{TNumberKind::Decimal};
    return std::nullopt;
}

std::string ApplyVariantInput(TGVVariant& target, const std::string& name,
                              const std::string& value) {
    const std::string trimmed = Trim(name);
    if (trimmed.empty()) return txtEmptyName;
    if (const auto rule = VariantNumberRule(target.Kind()))
        if (std::string refusal = NumberTextError(*rule, value); !refusal.empty()) return refusal;
    std::unique_ptr<TGVVariant> trial = NewVariantOfKind(target.Kind());
    try {
        // The value is tried on a fresh variant first, so that a refusal changes nothing.
        if (trial) trial->SetAsString(Trim(value));
        target.SetAsString(Trim(value));
    } catch (const std::exception& e) {
        return e.what();
    }
    target.SetDisplayName(trimmed);
    return {};
}

std::vector<std::string> VariantUses(TProjectAE& project, const std::string& id) {
    std::vector<std::string> lines;
    project.Db().CollectFieldUses(id, lines, true);
    return lines;
}

namespace {

std::string UsesText(const std::vector<std::string>& lines) {
    std::string text = txtVariantUsed;
    text += "\r";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r";
        text += lines[i];
    }
    return text;
}

} // namespace

std::string VariantInfo(TProjectAE& project, const std::string& id) {
    const std::vector<std::string> lines = VariantUses(project, id);
    return lines.empty() ? std::string(txtVariantNotUsed) : UsesText(lines);
}

int AddVariant(TProjectAE& project, std::unique_ptr<TGVVariant> variant) {
    variant->SetID(project.GenerateID());
    const int i = project.Variants().Add(std::move(variant));
    project.SetModified(true);
    return i;
}

void StoreVariantEdit(TProjectAE& project, int index, const TGVVariant& edited) {
    TGVVariant* v = project.Variants().Get(index);
    if (!v) return;
    v->SetDisplayName(edited.GetDisplayName());
    v->SetAsString(edited.GetAsString());
    project.SetModified(true);
    project.Db().FieldChanged(v->ID());
}

std::string DeleteVariant(TProjectAE& project, int index) {
    TGVVariant* v = project.Variants().Get(index);
    if (!v) return {};
    const std::vector<std::string> lines = VariantUses(project, v->ID());
    if (!lines.empty()) return UsesText(lines);
    project.Variants().Delete(index);
    project.SetModified(true);
    return {};
}

} // namespace vorelt
