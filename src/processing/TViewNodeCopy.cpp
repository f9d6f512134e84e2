#include "processing/TViewNodeCopy.h"

#include "persist/TNodePersist.h"

namespace vorelt {

void CopyViewNode(TNodePersist& visual, const TNodePersist* stored, const char* fallbackClass) {
    if (!stored) {
        visual.AddItem("ClassName", fallbackClass);
        return;
    }
    for (int i = 0; i < stored->ItemCount(); ++i)
        visual.AddItem(stored->ItemName(i), stored->ItemValue(i));
    for (int i = 0; i < stored->NodeCount(); ++i)
        visual.AdoptNode(stored->Node(i)->CloneTree());
}

void CopyViewClassName(TNodePersist& visual, const TNodePersist* stored,
                       const char* fallbackClass) {
    visual.AddItem("ClassName", stored ? stored->GetValue("ClassName") : fallbackClass);
}

void CopyViewPart(TNodePersist& visual, const TNodePersist* stored, std::string_view name) {
    if (!stored) return;
    if (const TNodePersist* part = stored->FindNode(name)) visual.AdoptNode(part->CloneTree());
}

} // namespace vorelt
