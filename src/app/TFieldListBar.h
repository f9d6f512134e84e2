#pragma once
// The field lists of the processor frames: a list of name, type and display name under a bar
// of push buttons that act on its current row.

#include <QHBoxLayout>
#include <QTreeWidget>

#include <functional>
#include <vector>

namespace vorelt {

struct TBarButton {
    const char* Name;
    const char* Caption;
    std::function<void()> Run;
};

// The buttons in the order given, each run on click.
void AddBarButtons(QHBoxLayout* bar, QWidget* parent, const std::vector<TBarButton>& buttons);
// The three-column list, without a root decoration.
QTreeWidget* MakeFieldList(QWidget* parent, const char* objectName);
// The row of the current item, or -1 without one.
int CurrentFieldRow(const QTreeWidget& list);

} // namespace vorelt
