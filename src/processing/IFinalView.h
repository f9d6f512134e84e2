#pragma once
// The view that a final processor owns, as the processing core sees it. The visual layer
// implements it (tables, graphs, 3D graphs); the core only forwards to it. Every view saves,
// loads and follows the processor's settings through the same three calls.

#include <cstdint>

namespace vorelt {

class TNodePersist;
struct TAEOMSG;

class IFinalView {
public:
    virtual ~IFinalView() = default;
    // -1 when the view is ready to be activated; otherwise a view-specific code.
    virtual int32_t CheckReady() = 0;
    virtual void SetFocused(bool flag) = 0;
    virtual bool GetFocused() const = 0;
    virtual void SetChecked(bool flag) = 0;
    virtual bool GetChecked() const = 0;
    virtual void SetFirstHitOnly(bool flag) = 0;
    virtual bool GetFirstHitOnly() const = 0;
    // Messages that reach the final processor; the view decides what they mean to it.
    virtual void ViewMessage(TAEOMSG& msg) { (void)msg; }
    // The view's whole node ("VisualClass"), saved and loaded with its processor.
    virtual void SaveView(TNodePersist& node) const = 0;
    virtual void LoadView(const TNodePersist& node) = 0;
    // The processor's settings changed; `propagate` also empties the view.
    virtual void SettingsChanged(bool propagate) = 0;
};

} // namespace vorelt
