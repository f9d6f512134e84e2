#pragma once
// The parametric fields of the database processor as their window and field dialog handle
// them, without widgets: the list rows, adding, editing, deleting (refused while the field is
// used) and the use report, the working copy that the dialog edits with its checks in order,
// and the source picker's exclusions.

#include "model/TAEFieldTypes.h"
#include "persist/TNumberInput.h"

#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TAEField;
class TAEParametric;
class TGVDb;

struct TParametricRow {
    std::string Name;   // display name
    std::string Source; // the source field's name, or "<Empty>"
    std::string Factor;
    std::string Offset;
};

// The field dialog's pages, named by the check that failed.
enum class TParametricPage : uint8_t { Attributes, FieldCode };

// What the field dialog edits: a copy that becomes the field only on OK.
struct TParametricFieldEdit {
    bool Editing = false;    // false: a new field
    std::string CurrentName; // the field's name when editing
    std::string FieldName;
    std::string DisplayName;
    std::string DisplayDimension;
    std::string SourceID;
    std::string FactorText;
    std::string OffsetText;
};

struct TParametricCheck {
    bool Ok = true;
    std::string Message;
    TParametricPage Page = TParametricPage::Attributes;
};

class TParametricFields {
public:
    static constexpr int MaxNameLength = 40;
    // "Factor" and "Offset" are decimal numbers.
    static constexpr TNumberRule FactorRule{TNumberKind::Decimal};

    explicit TParametricFields(TGVDb& db);

    TGVDb& Db() const { return FDb; }

    int Count() const;
    TAEField* Field(int i) const;
    TAEParametric* Scaling(int i) const;
    TParametricRow Row(int i) const;
    // The source field's name, or "<Empty>" when the field has none or it is not found.
    std::string SourceText(const TAEParametric* p) const;

    // The dialog's copy of a new field, or of field i.
    TParametricFieldEdit NewEdit() const;
    TParametricFieldEdit EditOf(int i) const;
    // The checks of OK in their order (a factor or offset that is no number is refused with
    // its conversion message); the first failure ends them.
    TParametricCheck Check(const TParametricFieldEdit& edit) const;
    // A new field from a checked copy: appended, given an ID and the processor changed. None
    // when the copy does not pass.
    TAEField* Add(const TParametricFieldEdit& edit);
    // Field i takes the copy's names and scaling; its ID and (read-only) field name stay.
    bool Apply(int i, const TParametricFieldEdit& edit);

    // Every use of field i in the project, one line each, sorted.
    std::vector<std::string> Uses(int i) const;
    // "Field Used" and the uses, one per line (lines joined by "\r"); empty without uses.
    std::string UsedMessage(int i) const;
    // Refused with UsedMessage while the field is used.
    bool Delete(int i, std::string& message);
    // UsedMessage, or "Field Not Used".
    std::string Info(int i) const;

    // Fields that the source picker must not offer: all outside the driver's parametric set.
    std::vector<std::string> SourceExclusions() const;
    bool CanBeSource(const TAEField& field) const;

private:
    TGVDb& FDb;
};

} // namespace vorelt
