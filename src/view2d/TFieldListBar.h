#pragma once
// The lists with buttons of the settings frames: the field lists of the processor frames under a
// bar of push buttons, and the list pages of the table and graph frames with their buttons in a
// column beside the list. The buttons act on the list's current row.

#include <QBoxLayout>
#include <QTreeWidget>

#include <functional>
#include <vector>

class QListWidget;
class QPushButton;

namespace vorelt {

struct TBarButton {
    const char* Name;
    const char* Caption;
    std::function<void()> Run;
    // Given, the button opens an empty menu of this name that its frame fills.
    const char* MenuName = nullptr;
};

// The buttons in the order given, each run on click; returned in that order.
std::vector<QPushButton*> AddBarButtons(QBoxLayout* bar, QWidget* parent,
                                        const std::vector<TBarButton>& buttons);
// The three-column list, without a root decoration.
QTreeWidget* MakeFieldList(QWidget* parent, const char* objectName);
// The row of the current item, or -1 without one.
int CurrentFieldRow(const QTreeWidget& list);

struct TListPage {
    QWidget* Page;
    QListWidget* List;
    std::vector<QPushButton*> Buttons;
};

// A page of its own: the list, taking the width, beside its buttons from the top down.
TListPage MakeListPage(QWidget* parent, const char* listName,
                       const std::vector<TBarButton>& buttons);

} // namespace vorelt
