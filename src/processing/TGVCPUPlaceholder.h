#pragma once
// Stands in for a saved processor whose class this program does not register (the visual
// processors in a headless tool). It keeps the saved node verbatim and writes it back
// unchanged in its place, so opening and saving a project loses nothing. It is never offered
// to users, cannot be copied and takes no children of its own.

#include "persist/TNodePersist.h"
#include "processing/TGVCPU.h"

#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TGVCPUPlaceholder : public TGVCPU {
public:
    // Keeps a copy of `node` (an "OBJ" node).
    explicit TGVCPUPlaceholder(const TNodePersist& node);

    // The saved class name, so that rules and pickers see the real kind.
    std::string ClassName() const override { return FSavedClass; }
    bool IsPlaceholder() const override { return true; }
    const TNodePersist& SavedNode() const { return *FNode; }

    // Every ID inside the saved node counts as taken.
    bool IsIDFree(std::string_view id) const override;
    bool ForEachID(const TIDCallback& callback) const override;
    // The saved node, verbatim.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;
    // Its data is not readable here; a consumer gets an empty stream.
    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;

private:
    void Take(const TNodePersist& node);

    std::string FSavedClass;
    std::unique_ptr<TNodePersist> FNode;
    std::vector<std::string> FSavedIDs;
};

} // namespace vorelt
