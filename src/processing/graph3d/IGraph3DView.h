#pragma once
// What the 3D graph processor asks of its view beyond what every final processor asks: the
// view saves and loads its node, and refreshes when the processor's settings change.

#include <string>

namespace vorelt {

class TNodePersist;

class IGraph3DView {
public:
    virtual ~IGraph3DView() = default;
    // The whole "VisualClass" node.
    virtual void SaveGraph3DView(TNodePersist& node) const = 0;
    virtual void LoadGraph3DView(const TNodePersist& node) = 0;
    // The settings changed; `propagate` also empties the view.
    virtual void Graph3DChanged(bool propagate) = 0;
    // The schema changed (edited, added, replaced or deleted).
    virtual void Graph3DSchemaChanged() = 0;
    // The caption the processor answers as its name.
    virtual std::string Graph3DCaption() const = 0;
};

} // namespace vorelt
