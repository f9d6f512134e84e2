#pragma once
// The add-on switches of a graph on its settings frame: one panel "paAddon_" + index with a
// check box "cbAddon_" + index per add-on the chain offered at the graph's last fill. A click
// switches the add-on, stores the graph's switches and marks the graph processor changed
// (which empties the graph until it runs again). The frame that hosts the panels builds them
// with CreateAddonPanels.

#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QVBoxLayout;

namespace vorelt {

class TGraphVC;

class TAddonPanels : public QWidget {
public:
    explicit TAddonPanels(TGraphVC& graph, QWidget* parent = nullptr);
    // One panel per present add-on, checked from its switch.
    void Rebuild();
    // The check boxes, in the order of the graph's add-ons.
    const std::vector<QCheckBox*>& Boxes() const { return FBoxes; }

private:
    void Toggle(const std::string& id, bool checked);

    TGraphVC& FGraph;
    QVBoxLayout* FLayout;
    std::vector<QWidget*> FPanels;
    std::vector<QCheckBox*> FBoxes;
    std::vector<std::string> FIds;
};

// The panels for a graph's settings frame; none (nullptr) for a view that is no 2D graph.
QWidget* CreateAddonPanels(TGraphVC* graph, QWidget* parent);

} // namespace vorelt
