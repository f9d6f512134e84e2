#include "viewmodel/dialogs/conditioning/TParametricFields.h"

#include "model/TAEExtendedField.h"
#include "model/TAEListFields.h"
#include "persist/IIDGenerator.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/db/TGVDb.h"
#include "testprog/TAEParametric.h"

namespace vorelt {

namespace {

long double FloatOrZero(const std::string& text) {
    long double x = 0;
    return TryStrToFloat(Trim(text), x) ? x : 0;
}

} // namespace

TParametricFields::TParametricFields(TGVDb& db) : FDb(db) {}

int TParametricFields::Count() const {
    return FDb.OwnFields().Count();
}

TAEField* TParametricFields::Field(int i) const {
    return i >= 0 && i < Count() ? FDb.OwnFields().Get(i) : nullptr;
}

TAEParametric* TParametricFields::Scaling(int i) const {
    const TAEField* f = Field(i);
    return f ? FDb.ParametricOf(*f) : nullptr;
}

std::string TParametricFields::SourceText(const TAEParametric* p) const {
    if (p && !p->SourceID().empty())
        if (const TAEField* source = FDb.FindField(p->SourceID())) return source->FieldName();
    return std::string("<") + "Empty" + ">";
}

TParametricRow TParametricFields::Row(int i) const {
    TParametricRow row;
    const TAEField* f = Field(i);
    if (!f) return row;
    const TAEParametric* p = Scaling(i);
    row.Name = f->GetDisplayName();
    row.Source = SourceText(p);
    row.Factor = FloatToStr(p ? p->Factor() : 0);
    row.Offset = FloatToStr(p ? p->Offset() : 0);
    return row;
}

TParametricFieldEdit TParametricFields::NewEdit() const {
    return {};
}

TParametricFieldEdit TParametricFields::EditOf(int i) const {
    TParametricFieldEdit e;
    const TAEField* f = Field(i);
    if (!f) return e;
    e.Editing = true;
    e.CurrentName = f->FieldName();
    e.FieldName = f->FieldName();
    e.DisplayName = f->GetDisplayName();
    e.DisplayDimension = f->GetDisplayDimension();
    if (const TAEParametric* p = Scaling(i)) {
        e.SourceID = p->SourceID();
        e.FactorText = FloatToStr(p->Factor());
        e.OffsetText = FloatToStr(p->Offset());
    }
    return e;
}

TParametricCheck TParametricFields::Check(const TParametricFieldEdit& e) const {
    auto fail = [](std::string text, TParametricPage page) {
        return TParametricCheck{false, std::move(text), page};
    };
    const std::string name = Trim(e.FieldName);
    if (name.empty()) return fail("Empty Name", TParametricPage::Attributes);
    if (name != e.CurrentName && !FDb.IsNameFree(name))
        return fail(std::string("Not Unique Name") + " [ " + name + " ]",
                    TParametricPage::Attributes);
    if (Trim(e.DisplayName).empty()) return fail("Empty Display Name", TParametricPage::Attributes);
    if (e.SourceID.empty() || !FDb.FindField(e.SourceID))
        return fail("Field Empty", TParametricPage::FieldCode);
    if (Trim(e.FactorText).empty()) return fail("Empty Factor", TParametricPage::FieldCode);
    if (std::string refusal = NumberTextError(FactorRule, e.FactorText); !refusal.empty())
        return fail(std::move(refusal), TParametricPage::FieldCode);
    if (Trim(e.OffsetText).empty()) return fail("Empty Offset", TParametricPage::FieldCode);
    if (std::string refusal = NumberTextError(FactorRule, e.OffsetText); !refusal.empty())
        return fail(std::move(refusal), TParametricPage::FieldCode);
    return {};
}

TAEField* TParametricFields::Add(const TParametricFieldEdit& e) {
    if (!Check(e).Ok) return nullptr;
    TAEField* f = FDb.AddParametricField(Trim(e.FieldName), e.SourceID, FloatOrZero(e.FactorText),
                                         FloatOrZero(e.OffsetText));
    f->SetDisplayName(Trim(e.DisplayName));
    f->SetDisplayDimension(e.DisplayDimension);
    if (IProcessorContext* context = FDb.Context())
        if (IIDGenerator* ids = context->IDGenerator()) f->AssignID(false, *ids);
    FDb.Changed(true);
    return f;
}

bool TParametricFields::Apply(int i, const TParametricFieldEdit& e) {
    TAEField* f = Field(i);
    if (!f || !Check(e).Ok) return false;
    // The name is read-only while editing, so every use of the field stays valid.
    f->SetDisplayName(Trim(e.DisplayName));
    f->SetDisplayDimension(e.DisplayDimension);
    auto p = std::make_unique<TAEParametric>(&FDb);
    p->SetField(f);
    p->SetSourceID(e.SourceID);
    p->SetFactor(FloatOrZero(e.FactorText));
    p->SetOffset(FloatOrZero(e.OffsetText));
    f->SetParametric(std::move(p));
    FDb.Changed(true);
    return true;
}

std::vector<std::string> TParametricFields::Uses(int i) const {
    std::vector<std::string> lines;
    if (const TAEField* f = Field(i)) FDb.CollectFieldUses(f->ID(), lines, true);
    return lines;
}

std::string TParametricFields::UsedMessage(int i) const {
    const std::vector<std::string> lines = Uses(i);
    if (lines.empty()) return {};
    std::string text = std::string("Field") + " " + "Used";
    for (const std::string& line : lines)
        text += "\r" + line;
    return text;
}

bool TParametricFields::Delete(int i, std::string& message) {
    message.clear();
    if (!Field(i)) return false;
    message = UsedMessage(i);
    if (!message.empty()) return false;
    FDb.OwnFields().Delete(i);
    FDb.Changed(true);
    return true;
}

std::string TParametricFields::Info(int i) const {
    if (!Field(i)) return {};
    const std::string used = UsedMessage(i);
    return used.empty() ? std::string("Field") + " " + "Not Used" : used;
}

std::vector<std::string> TParametricFields::SourceExclusions() const {
    std::vector<std::string> ids;
    TAEListFields layout;
    FDb.GetFields(&layout, true);
    for (int s = 0; s < layout.Count(); ++s) {
        const TAEFields* set = layout.Get(s);
        for (int i = 0; set && i < set->Count(); ++i)
            if (!CanBeSource(*set->Get(i))) ids.push_back(set->Get(i)->ID());
    }
    return ids;
}

bool TParametricFields::CanBeSource(const TAEField& field) const {
    return field.Group() == fgParametric && !FDb.OwnFields().FindByID(field.ID());
}

} // namespace vorelt
