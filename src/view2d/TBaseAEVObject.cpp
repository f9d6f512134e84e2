#include "view2d/TBaseAEVObject.h"

#include "view2d/TCanvasContainerCore.h"

namespace vorelt {

void TBaseAEVObject::Dispatch(TAEVMessage& msg) {
    switch (msg.Msg) {
    case AEVM_SELECT:
        if (FEnabled) {
            FSelected = true;
            Redraw();
        }
        break;
    case AEVM_UNSELECT:
        if (FEnabled) {
            FSelected = false;
            Redraw();
        }
        break;
    case AEVM_HITTEST:
    case AEVM_BACKDBLCLICK:
        if (msg.Info) msg.Info->HitKind = 0;
        break;
    default:
        break;
    }
}

void TBaseAEVObject::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0) NotifyChanged();
}

void TBaseAEVObject::NotifyChanged() {
    if (FUpdateCount > 0 || !FContainer) return;
    TAEVMessage msg;
    msg.Msg = AEVM_CHANGED;
    FContainer->Perform(msg);
}

} // namespace vorelt
