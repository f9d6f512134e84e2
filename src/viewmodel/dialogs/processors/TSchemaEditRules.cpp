#include "viewmodel/dialogs/processors/TSchemaEditRules.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"

#include <algorithm>

namespace vorelt {

namespace {

// The number that the name ends with; 1 when it ends without digits.
int64_t NameNumber(const std::string& name) {
    size_t i = name.size();
    while (i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9')
        --i;
    if (i == name.size()) return 1;
    int64_t n = 0;
    if (!TryStrToInt64(name.substr(i, 18), n)) return 1;
    return n;
}

} // namespace

bool CanAddTo(const TAEOBJ3D* selected, TSchemaAddKind kind) {
    if (!selected || !dynamic_cast<const TAEOBJ3D*>(selected->Schema())) return false;
    if (selected->Schema()->Kind() != okPipesSchema) return false;
    switch (selected->Kind()) {
    case okPipesSchema:
        return kind == TSchemaAddKind::Host || kind == TSchemaAddKind::Pipe;
    case okHost:
        return kind == TSchemaAddKind::PAE || kind == TSchemaAddKind::HostBranch;
    case okHostBranch:
        return kind == TSchemaAddKind::Pipe;
    case okPipe:
        return kind == TSchemaAddKind::PAE;
    default:
        return false;
    }
}

std::string NamePrefix(const TAEOBJ3D& obj) {
    switch (obj.Kind()) {
    case okHost:
        return "Host";
    case okHostBranch:
        return "Branch";
    case okPipe:
        return "Pipe";
    case okPAE:
        return "PAE";
    default:
        return "Schema";
    }
}

std::string NewObjectName(TAEOBJ3D& root, const TAEOBJ3D& obj) {
    const std::string cls = obj.ClassName();
    int64_t largest = 0;
    root.ForEach([&](TAEOBJ3D& o) {
        if (&o == &obj || o.ClassName() != cls) return;
        largest = std::max(largest, NameNumber(o.Text()));
    });
    const int64_t n = largest + 1;
    return NamePrefix(obj) + (n < 10 ? "0" : "") + IntToStr(n);
}

TAEOBJ3D* AddSchemaObject(TAEOBJ3D& parent, TSchemaAddKind kind) {
    if (!CanAddTo(&parent, kind)) return nullptr;
    const TSchemaAddItem& item = SchemaAddItems[static_cast<size_t>(kind)];
    std::unique_ptr<TAEOBJ3D> obj = TClassRegistry::Instance().CreateAs<TAEOBJ3D>(item.ClassName);
    if (!obj) return nullptr;
    obj->SetOwner(parent.Owner());
    TAEOBJ3D* added = parent.AddChild(std::move(obj));
    added->EnsureId(true);
    added->EnsureIdgl(true);
    TAEOBJ3D* root = parent.Schema() ? parent.Schema() : &parent;
    added->SetText(NewObjectName(*root, *added));
    added->Changed(true);
    return added;
}

uint8_t DropPlacement(const TAEOBJ3D& dragged, const TAEOBJ3D& target) {
    if (&dragged == &target || dragged.Contains(&target)) return plNone;
    const uint8_t placement = target.AllowedPlacement(dragged);
    // An object placed before the target becomes its sibling: the target needs a parent.
    if (placement == plBefore && !target.Parent()) return plNone;
    return placement;
}

TAEOBJ3D* DropSchemaObject(TAEOBJ3D& dragged, TAEOBJ3D& target, bool copy) {
    const uint8_t placement = DropPlacement(dragged, target);
    if (placement == plNone) return nullptr;
    TAEOBJ3D* placed = nullptr;
    if (copy) {
        placed = placement == plBefore ? dragged.CopyBefore(target) : dragged.CopyInto(target);
        if (!placed) return nullptr;
        TAEOBJ3D* root = placed->Schema() ? placed->Schema() : &target;
        placed->ForEach([root](TAEOBJ3D& o) { o.SetText(NewObjectName(*root, o)); });
    } else {
        const bool moved =
            placement == plBefore ? dragged.MoveBefore(target) : dragged.MoveInto(target);
        if (!moved) return nullptr;
        placed = &dragged;
    }
    placed->Changed(true);
    return placed;
}

std::vector<TAEOBJ3D*> TreeOrder(const TAEOBJ3D& parent) {
    std::vector<TAEOBJ3D*> out;
    for (int i = 0; i < parent.ChildCount(); ++i)
        if (!parent.Child(i)->IsActive()) out.push_back(parent.Child(i));
    for (int i = 0; i < parent.ChildCount(); ++i)
        if (parent.Child(i)->IsActive()) out.push_back(parent.Child(i));
    return out;
}

std::vector<std::pair<int32_t, TAEOBJ3D*>> OtherSensors(TAEOBJ3D& schema, const TAEOBJ3D* self) {
    std::vector<std::pair<int32_t, TAEOBJ3D*>> out;
    schema.ForEach([&](TAEOBJ3D& o) {
        if (&o == self) return;
        if (auto* pae = dynamic_cast<TAEOBJ3DPAEPS*>(&o)) out.emplace_back(pae->Channel(), pae);
    });
    return out;
}

bool CheckChannelInput(TAEOBJ3D& schema, const TAEOBJ3D* self, const std::string& text,
                       int32_t& channel, std::string& error) {
    error.clear();
    const std::string t = Trim(text);
    if (t.empty()) {
        channel = 0;
        return true;
    }
    if (!std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        t.size() > 9) {
        error = txtInvalidChannel;
        return false;
    }
    const int32_t n = StrToInt(t);
    if (n > MaxSensorChannel) {
        error = txtInvalidChannel;
        return false;
    }
    if (n != 0)
        for (const auto& [chan, obj] : OtherSensors(schema, self))
            if (chan == n) {
                error = txtDuplicateChannel;
                return false;
            }
    channel = n;
    return true;
}

TNumberRule SchemaNumberRule(TSchemaNumber number) {
    switch (number) {
    case TSchemaNumber::Angle:
        return {TNumberKind::Integer};
    case TSchemaNumber::Scale:
        return {TNumberKind::Count};
    case TSchemaNumber::Length:
        break;
    }
    return {TNumberKind::Decimal};
}

std::string ScaleInputText(const std::string& text) {
    int32_t n = 0;
    if (!TryStrToInt(Trim(text), n) || n <= 0) return "1000";
    return IntToStr(n);
}

} // namespace vorelt
