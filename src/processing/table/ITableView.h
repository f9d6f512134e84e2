#pragma once
// What the table processor asks of its view beyond what every final processor asks: the view
// saves and loads itself, and reacts when the table's settings change.

namespace vorelt {

class TNodePersist;

class ITableView {
public:
    virtual ~ITableView() = default;
    // The whole node of the view ("VisualClass").
    virtual void SaveTableView(TNodePersist& node) const = 0;
    virtual void LoadTableView(const TNodePersist& node) = 0;
    // The settings changed; `propagate` also empties the view.
    virtual void TableChanged(bool propagate) = 0;
};

} // namespace vorelt
