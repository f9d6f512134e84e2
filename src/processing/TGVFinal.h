#pragma once
// Processors that end a branch and own a view (tables, graphs, 3D graphs). The view is the
// visual layer's business; the processor forwards the view operations to it.

#include "processing/IFinalView.h"
#include "processing/TGVCPU.h"

#include <memory>

namespace vorelt {

class TGVFinal : public TGVCPU {
public:
    TGVFinal();
    ~TGVFinal() override;
    std::string ClassName() const override { return "TGVFinal"; }

    virtual IFinalView* GetView() const { return FView.get(); }
    // Records pass through unchanged; the view reads them.
    bool WidenDemand(const TAERecord&, std::vector<uint8_t>&) const override { return true; }
    // Takes the view over; the previous one is freed. The new view shows the first hits only
    // when the processor does.
    virtual void SetView(std::unique_ptr<IFinalView> view);
    // Hands the view back without freeing it.
    std::unique_ptr<IFinalView> ReleaseView() { return std::move(FView); }
    virtual void SetFocused(bool flag);
    virtual bool GetFocused() const;
    virtual void SetChecked(bool flag);
    virtual bool GetChecked() const;
    // "AE First Hit Of Event": show only the first hit of each located event.
    virtual void SetFirstHitOnly(bool flag);
    virtual bool GetFirstHitOnly() const;

    // The view's answer; without view, ReadyWithoutView().
    int32_t CheckReady() override;
    // 0x41A up (modified without notification); 0x401 to the children only when propagating;
    // then the view follows the settings.
    void Changed(bool propagate) override;
    // The view sees every message first; then the base forwarding.
    void Dispatch(TAEOMSG& msg) override;
    // Also shows every hit again.
    void Reset() override;

protected:
    explicit TGVFinal(const TProcessorKind& kind);
    // What CheckReady answers while no view is attached (windowless tools): -1 unless the
    // processor can tell better.
    virtual int32_t ReadyWithoutView() { return -1; }

    std::unique_ptr<IFinalView> FView;
    uint8_t FFirstHitOnly = 0;
};

} // namespace vorelt
