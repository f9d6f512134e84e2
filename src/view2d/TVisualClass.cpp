#include "view2d/TVisualClass.h"

#include "model/TAERecordProtocol.h"
#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "processing/IProcessorContext.h"
#include "processing/TAEMessages.h"
#include "processing/TGVFinal.h"

namespace vorelt {

namespace {
constexpr uint8_t SourceReady = 9;
}

TVisualClass::TVisualClass() : FProperties(std::make_unique<TGVProperties>()) {
    auto* title = FProperties->AddNew<TGVStringProperty>("Title");
    title->SetDisplayName("Title");
}

TVisualClass::~TVisualClass() = default;

void TVisualClass::SetProperties(std::unique_ptr<TGVProperties> list) {
    if (list) FProperties = std::move(list);
    UpdateAppearance();
}

std::string TVisualClass::Title() const {
    if (auto* p = FProperties->FindAs<TGVProperty>("Title")) return p->GetAsString();
    return {};
}

void TVisualClass::SetEnabled(bool value) {
    FEnabled = value;
    if (!value) SetActive(false);
}

void TVisualClass::SetActive(bool value) {
    if (!value || FEnabled) FActive = value;
    SetOutdated(false);
}

void TVisualClass::SetOutdated(bool value) {
    if (!value || FEnabled) FOutdated = value;
}

void TVisualClass::SetWidth(int32_t value) {
    if (value > 0) FWidth = value;
}

void TVisualClass::SetFocusedView(bool value) {
    if (value == FFocused) return;
    FFocused = value;
    if (value) {
        if (OnFocus) OnFocus(*this);
    } else if (OnUnfocus) {
        OnUnfocus(*this);
    }
}

void TVisualClass::Detach() {
    SetVisible(false);
    SetParentWindow(nullptr);
    OnFocus = nullptr;
    OnUnfocus = nullptr;
    OnPopupMenu = nullptr;
}

void TVisualClass::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    FProperties->SaveToNode(*node.AddNode("Properties"));
}

void TVisualClass::LoadFromNode(const TNodePersist& node) {
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist* child = node.Node(i);
        if (child && child->Name() == "Properties") FProperties->LoadFromNode(*child);
    }
}

TGVVisualClass::TGVVisualClass(TGVFinal* processor) : FProcessor(processor) {}

void TGVVisualClass::SetModified(bool resetData) {
    if (FProcessor) FProcessor->Changed(true);
    if (resetData) SetActive(false);
}

bool TGVVisualClass::ReportFieldUse(const std::string&, std::vector<std::string>&) {
    return false;
}

bool TGVVisualClass::UsesField(const std::string&) const {
    return false;
}

void TGVVisualClass::RemoveField(const std::string&) {}

int32_t TGVVisualClass::CheckReady() {
    if (!Configured()) return crNotConfigured;
    IProcessorContext* context = FProcessor ? FProcessor->Context() : nullptr;
    if (!context || !context->IsPlaced(FProcessor->ID())) return crNotPlaced;
    return crReady;
}

void TGVVisualClass::ViewMessage(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omLoseFocus:
        SetFocusedView(false);
        break;
    case omFocusView:
        if (FProcessor && msg.Text == FProcessor->ID()) SetFocusedView(true);
        break;
    case omDetachViews:
        Detach();
        break;
    case omCheckViews:
        SetCheckMark(true);
        break;
    case omUncheckViews:
        SetCheckMark(false);
        break;
    case omDataChanged:
        SetActive(false);
        break;
    default:
        break;
    }
}

std::string TGVVisualClass::GetCaption() const {
    const std::string name = FProcessor ? FProcessor->GetName() : std::string();
    const std::string title = Title();
    if (title.empty()) return name;
    return title + " [" + name + "]";
}

int32_t TGVVisualClass::StandardStatus() const {
    if (!FEnabled || !FProcessor || FProcessor->GetSourceState() != SourceReady)
        return vsUnavailable;
    if (FOutdated) return vsOutdated;
    if (FActive) return vsActive;
    return vsEmpty;
}

} // namespace vorelt
