#include "processing/graph3d/TAEOBJ3D.h"

#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <algorithm>
#include <random>

namespace vorelt {

namespace {

// Objects made without an owner (registry, tools) still get names that their own tree does
// not use, so a schema never holds one twice.
int32_t LocalIdgl(const TAEOBJ3D& root) {
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int32_t> pick(1, 2147483646);
    for (;;) {
        const int32_t n = pick(random);
        if (root.IsIdglFree(n)) return n;
    }
}

const TAEOBJ3D& RootOf(const TAEOBJ3D& obj) {
    const TAEOBJ3D* p = &obj;
    while (p->Parent())
        p = p->Parent();
    return *p;
}

} // namespace

TAEOBJ3D::TAEOBJ3D(IObj3DOwner* owner)
    : FOwner(owner), FProperties(std::make_unique<TGVProperties>()) {}

TAEOBJ3D::~TAEOBJ3D() {
    while (!FChildren.empty())
        FChildren.pop_back();
}

void TAEOBJ3D::SetProperties(std::unique_ptr<TGVProperties> list) {
    if (list) FProperties = std::move(list);
}

std::string TAEOBJ3D::PropertyText(std::string_view name) const {
    if (auto* p = FProperties->FindAs<TGVProperty>(name)) return p->GetAsString();
    return {};
}

long double TAEOBJ3D::PropertyFloat(std::string_view name) const {
    if (auto* p = FProperties->FindAs<TGVProperty>(name)) {
        try {
            return p->GetAsFloat();
        } catch (const EConvertError&) {
        }
    }
    return 0;
}

int32_t TAEOBJ3D::PropertyInt(std::string_view name) const {
    if (auto* p = FProperties->FindAs<TGVProperty>(name)) {
        try {
            return p->GetAsInteger();
        } catch (const EConvertError&) {
        }
    }
    return 0;
}

bool TAEOBJ3D::PropertyBool(std::string_view name) const {
    if (auto* p = FProperties->FindAs<TGVProperty>(name)) {
        try {
            return p->GetAsBoolean();
        } catch (const EConvertError&) {
        }
    }
    return false;
}

TGVIntegerProperty* TAEOBJ3D::AddInteger(const std::string& name, const std::string& caption,
                                         const std::string& unit, int32_t value) {
    auto* p = FProperties->AddNew<TGVIntegerProperty>(name);
    p->SetDisplayName(caption.empty() ? name : caption);
    p->SetDisplayDimension(unit);
    p->SetAsInteger(value);
    return p;
}

TGVFloatProperty* TAEOBJ3D::AddFloat(const std::string& name, const std::string& caption,
                                     const std::string& unit, long double value) {
    auto* p = FProperties->AddNew<TGVFloatProperty>(name);
    p->SetDisplayName(caption.empty() ? name : caption);
    p->SetDisplayDimension(unit);
    p->SetAsFloat(value);
    return p;
}

TGVBooleanProperty* TAEOBJ3D::AddBoolean(const std::string& name, const std::string& caption,
                                         bool value) {
    auto* p = FProperties->AddNew<TGVBooleanProperty>(name);
    p->SetDisplayName(caption.empty() ? name : caption);
    p->SetAsBoolean(value);
    return p;
}

TGVStringProperty* TAEOBJ3D::AddString(const std::string& name, const std::string& caption) {
    auto* p = FProperties->AddNew<TGVStringProperty>(name);
    p->SetDisplayName(caption.empty() ? name : caption);
    p->SetAsString("");
    return p;
}

std::string TAEOBJ3D::GetDisplayText() const {
    const std::string title = Trim(PropertyText("Title"));
    if (title.empty()) return FText;
    return title + " [" + FText + "]";
}

void TAEOBJ3D::Clear() {
    FText.clear();
    while (!FChildren.empty())
        FChildren.pop_back();
    FParent = nullptr;
    FImageIndex = -1;
    FKind = 0;
    FErrorText.clear();
    FComputed = false;
    FCoords.clear();
}

// --- Identity -------------------------------------------------------------------------------

void TAEOBJ3D::SetOwner(IObj3DOwner* owner) {
    ForEach([owner](TAEOBJ3D& o) { o.FOwner = owner; });
}

void TAEOBJ3D::EnsureId(bool force) {
    if (!force && !FID.empty()) return;
    if (!FOwner) return;
    std::string id = FOwner->NewObjectID();
    if (!id.empty()) FID = std::move(id);
}

void TAEOBJ3D::EnsureIdgl(bool force) {
    if (!force && FIDGL != 0) return;
    FIDGL = FOwner ? FOwner->NewIDGL() : LocalIdgl(RootOf(*this));
}

bool TAEOBJ3D::IsIdFree(std::string_view id) const {
    if (FID == id) return false;
    for (const auto& c : FChildren)
        if (!c->IsIdFree(id)) return false;
    return true;
}

bool TAEOBJ3D::IsIdglFree(int32_t value) const {
    if (FIDGL == value) return false;
    for (const auto& c : FChildren)
        if (!c->IsIdglFree(value)) return false;
    return true;
}

TAEOBJ3D* TAEOBJ3D::FindById(std::string_view id) {
    if (id.empty()) return nullptr;
    if (FID == id) return this;
    for (const auto& c : FChildren)
        if (TAEOBJ3D* f = c->FindById(id)) return f;
    return nullptr;
}

TAEOBJ3D* TAEOBJ3D::FindByIdgl(int32_t value) {
    if (FIDGL == value) return this;
    for (const auto& c : FChildren)
        if (TAEOBJ3D* f = c->FindByIdgl(value)) return f;
    return nullptr;
}

// --- Errors ---------------------------------------------------------------------------------

void TAEOBJ3D::CollectErrors(std::string& text) const {
    if (!FErrorText.empty() && text.find(FErrorText) == std::string::npos) {
        if (!text.empty()) text += "\r\n";
        text += FErrorText;
    }
    for (const auto& c : FChildren)
        c->CollectErrors(text);
}

void TAEOBJ3D::ClearErrors() {
    FErrorText.clear();
    for (const auto& c : FChildren)
        c->ClearErrors();
}

// --- Tree -----------------------------------------------------------------------------------

TAEOBJ3D* TAEOBJ3D::Schema() {
    return FParent ? FParent->Schema() : nullptr;
}

TAEOBJ3D* TAEOBJ3D::Child(int i) const {
    return i >= 0 && i < ChildCount() ? FChildren[static_cast<size_t>(i)].get() : nullptr;
}

int TAEOBJ3D::IndexOf(const TAEOBJ3D* child) const {
    for (size_t i = 0; i < FChildren.size(); ++i)
        if (FChildren[i].get() == child) return static_cast<int>(i);
    return -1;
}

TAEOBJ3D* TAEOBJ3D::AddChild(std::unique_ptr<TAEOBJ3D> child) {
    return InsertChild(ChildCount(), std::move(child));
}

TAEOBJ3D* TAEOBJ3D::InsertChild(int index, std::unique_ptr<TAEOBJ3D> child) {
    if (!child) return nullptr;
    TAEOBJ3D* raw = child.get();
    raw->FParent = this;
    if (index < 0 || index >= ChildCount())
        FChildren.push_back(std::move(child));
    else
        FChildren.insert(FChildren.begin() + index, std::move(child));
    return raw;
}

std::unique_ptr<TAEOBJ3D> TAEOBJ3D::DetachChild(TAEOBJ3D* child) {
    const int i = IndexOf(child);
    if (i < 0) return nullptr;
    std::unique_ptr<TAEOBJ3D> out = std::move(FChildren[static_cast<size_t>(i)]);
    FChildren.erase(FChildren.begin() + i);
    out->FParent = nullptr;
    return out;
}

void TAEOBJ3D::Delete() {
    if (FParent) FParent->DetachChild(this); // the returned owner frees this object
}

// Searched downwards and compared by address only, so that a pointer a view still holds to a
// deleted object is answered without reading it.
bool TAEOBJ3D::Contains(const TAEOBJ3D* obj) const {
    if (obj == this) return true;
    for (const auto& child : FChildren)
        if (child->Contains(obj)) return true;
    return false;
}

void TAEOBJ3D::ForEach(const std::function<void(TAEOBJ3D&)>& visit) {
    visit(*this);
    for (size_t i = 0; i < FChildren.size(); ++i)
        FChildren[i]->ForEach(visit);
}

uint8_t TAEOBJ3D::AllowedPlacement(const TAEOBJ3D& obj) const {
    const std::string name = obj.ClassName();
    for (const TAllowedChild& a : FAllowedChildren)
        if (SameText(a.ClassName, name)) return a.Placement;
    return plNone;
}

bool TAEOBJ3D::MoveBefore(TAEOBJ3D& target) {
    TAEOBJ3D* newParent = target.FParent;
    if (!newParent || &target == this || Contains(&target) || !FParent) return false;
    if (FOnCanMove && !FOnCanMove(*this, FParent)) return false;
    std::unique_ptr<TAEOBJ3D> self = FParent->DetachChild(this);
    newParent->InsertChild(newParent->IndexOf(&target), std::move(self));
    return true;
}

bool TAEOBJ3D::MoveInto(TAEOBJ3D& target) {
    if (&target == this || Contains(&target) || !FParent) return false;
    if (FOnCanMove && !FOnCanMove(*this, FParent)) return false;
    target.AddChild(FParent->DetachChild(this));
    return true;
}

std::unique_ptr<TAEOBJ3D> TAEOBJ3D::CloneWithNewIds() const {
    TNodePersist node("OBJ");
    SaveToNode(node);
    std::unique_ptr<TAEOBJ3D> copy = TClassRegistry::Instance().CreateAs<TAEOBJ3D>(ClassName());
    if (!copy) return nullptr;
    copy->SetOwner(FOwner);
    copy->LoadFromNode(node);
    // Every object of the copy is new: identifiers of the original may not appear twice.
    copy->ForEach([](TAEOBJ3D& o) {
        o.EnsureId(true);
        o.EnsureIdgl(true);
    });
    return copy;
}

TAEOBJ3D* TAEOBJ3D::CopyBefore(TAEOBJ3D& target) const {
    TAEOBJ3D* newParent = target.FParent;
    if (!newParent) return nullptr;
    std::unique_ptr<TAEOBJ3D> copy = CloneWithNewIds();
    if (!copy) return nullptr;
    return newParent->InsertChild(newParent->IndexOf(&target), std::move(copy));
}

TAEOBJ3D* TAEOBJ3D::CopyInto(TAEOBJ3D& target) const {
    std::unique_ptr<TAEOBJ3D> copy = CloneWithNewIds();
    if (!copy) return nullptr;
    return target.AddChild(std::move(copy));
}

// --- Change and scene -----------------------------------------------------------------------

void TAEOBJ3D::Changed(bool flag) {
    if (FParent) FParent->Changed(flag);
}

void TAEOBJ3D::Rebuild(ISchemaScene* scene) {
    if (FParent) FParent->Rebuild(scene);
}

void TAEOBJ3D::ResetComputed() {
    FComputed = false;
    for (const auto& c : FChildren)
        c->ResetComputed();
}

void TAEOBJ3D::Compute() {
    ComputeChildren();
}

void TAEOBJ3D::ComputeChildren() {
    for (const auto& c : FChildren)
        c->Compute();
}

void TAEOBJ3D::BuildVisuals(ISchemaScene& scene) {
    BuildChildren(scene);
}

void TAEOBJ3D::BuildChildren(ISchemaScene& scene) {
    for (const auto& c : FChildren)
        c->BuildVisuals(scene);
}

TAEOBJ3D* TAEOBJ3D::PreviousElement(bool) const {
    return nullptr;
}

bool TAEOBJ3D::EndCoords(int, TCoordList&) const {
    return false;
}

bool TAEOBJ3D::CoordPoint(uint8_t endFlag, TPoint3& p) const {
    int found = 0;
    for (const TCoordRecord& r : FCoords) {
        if (r.EndFlag != endFlag) continue;
        switch (r.Axis) {
        case 'X':
            p.X = r.Value;
            found |= 1;
            break;
        case 'Y':
            p.Y = r.Value;
            found |= 2;
            break;
        case 'Z':
            p.Z = r.Value;
            found |= 4;
            break;
        default:
            break;
        }
    }
    return found == 7;
}

void TAEOBJ3D::SetCoordPoint(uint8_t endFlag, const TPoint3& p) {
    std::erase_if(FCoords, [endFlag](const TCoordRecord& r) { return r.EndFlag == endFlag; });
    FCoords.push_back({endFlag, 'X', p.X});
    FCoords.push_back({endFlag, 'Y', p.Y});
    FCoords.push_back({endFlag, 'Z', p.Z});
}

// --- Persistence ----------------------------------------------------------------------------

void TAEOBJ3D::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("ID", FID);
    node.AddItem("IDGL", IntToStr(FIDGL));
    node.AddItem("Text", FText);
    SaveItems(node);
    FProperties->SaveToNode(*node.AddNode(NodeObj3DProperties));
    for (const auto& c : FChildren)
        c->SaveToNode(*node.AddNode(NodeObj3DChild));
}

void TAEOBJ3D::LoadFromNode(const TNodePersist& node) {
    while (!FChildren.empty())
        FChildren.pop_back();
    if (node.IndexOfItem("ID") >= 0) FID = Trim(node.GetValue("ID"));
    int32_t idgl = 0;
    if (TryStrToInt(Trim(node.GetValue("IDGL")), idgl)) FIDGL = idgl;
    if (node.IndexOfItem("Text") >= 0) FText = node.GetValue("Text");
    LoadItems(node);
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameTextTrimmed(child.Name(), NodeObj3DProperties)) {
            FProperties->LoadFromNode(child);
            continue;
        }
        if (!SameTextTrimmed(child.Name(), NodeObj3DChild)) continue;
        std::unique_ptr<TAEOBJ3D> obj =
            TClassRegistry::Instance().CreateAs<TAEOBJ3D>(Trim(child.GetValue("ClassName")));
        if (!obj) continue;
        obj->SetOwner(FOwner);
        TAEOBJ3D* added = AddChild(std::move(obj));
        added->LoadFromNode(child);
        added->EnsureId(false);
        added->EnsureIdgl(false);
    }
}

} // namespace vorelt
