#include "processing/TGVFinal.h"

namespace vorelt {

namespace {
const TProcessorKind pkFinalBase{"TGVFinal", "Final Processor", "", -1, kfFinal, "", 0};
}

TGVFinal::TGVFinal() : TGVCPU(pkFinalBase) {}

TGVFinal::TGVFinal(const TProcessorKind& kind) : TGVCPU(kind) {}

TGVFinal::~TGVFinal() = default;

void TGVFinal::SetView(std::unique_ptr<IFinalView> view) {
    FView = std::move(view);
    if (FView) FView->SetFirstHitOnly(FFirstHitOnly != 0);
}

void TGVFinal::SetFocused(bool flag) {
    if (FView) FView->SetFocused(flag);
}

bool TGVFinal::GetFocused() const {
    return FView && FView->GetFocused();
}

void TGVFinal::SetChecked(bool flag) {
    if (FView) FView->SetChecked(flag);
}

bool TGVFinal::GetChecked() const {
    return FView && FView->GetChecked();
}

void TGVFinal::SetFirstHitOnly(bool flag) {
    FFirstHitOnly = flag ? 1 : 0;
    if (FView) FView->SetFirstHitOnly(flag);
}

bool TGVFinal::GetFirstHitOnly() const {
    return FFirstHitOnly != 0;
}

int32_t TGVFinal::CheckReady() {
    return FView ? FView->CheckReady() : ReadyWithoutView();
}

void TGVFinal::Changed(bool propagate) {
    TAEOMSG msg;
    msg.Msg = omModifiedSilent;
    msg.Text = FID;
    SendUp(msg);
    if (propagate) {
        TAEOMSG down;
        down.Msg = omDataChanged;
        down.Text = FID;
        SendDown(down);
    }
    if (FView) FView->SettingsChanged(propagate);
}

void TGVFinal::Dispatch(TAEOMSG& msg) {
    if (FView) FView->ViewMessage(msg);
    TGVCPU::Dispatch(msg);
}

void TGVFinal::Reset() {
    TGVCPU::Reset();
    FFirstHitOnly = 0;
    if (FView) FView->SetFirstHitOnly(false);
}

} // namespace vorelt
