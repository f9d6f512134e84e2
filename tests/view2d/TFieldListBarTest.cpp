// The lists with buttons of the settings frames.

#include "view2d/TFieldListBar.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <string>

using namespace vorelt;

namespace {

std::vector<std::string> Names(const std::vector<QPushButton*>& buttons) {
    std::vector<std::string> names;
    for (const QPushButton* b : buttons)
        names.push_back(b->objectName().toStdString() + ":" + b->text().toStdString());
    return names;
}

} // namespace

TEST(TFieldListBar, ButtonsKeepTheirOrderAndRunOnClick) {
    QWidget parent;
    auto* bar = new QHBoxLayout(&parent);
    std::string ran;
    const std::vector<QPushButton*> made = AddBarButtons(
        bar, &parent,
        {{"btEdit", "Edit", [&] { ran += "E"; }}, {"btDelete", "Delete", [&] { ran += "D"; }}});
    EXPECT_EQ(Names(made), (std::vector<std::string>{"btEdit:Edit", "btDelete:Delete"}));
    ASSERT_EQ(bar->count(), 2);
    EXPECT_EQ(bar->itemAt(0)->widget(), made[0]);
    made[1]->click();
    made[0]->click();
    EXPECT_EQ(ran, "DE");
    EXPECT_EQ(made[0]->menu(), nullptr);
}

TEST(TFieldListBar, AListPageHasItsListBesideTheButtonsAndAnEmptyMenu) {
    QWidget parent;
    int moved = 0;
    const TListPage page = MakeListPage(&parent, "lbThings",
                                        {{"btnAddThing", "Add", {}, "ppAddThing"},
                                         {"btnUpThing", "Up", [&] { --moved; }},
                                         {"btnDownThing", "Down", [&] { ++moved; }}});
    ASSERT_NE(page.Page, nullptr);
    EXPECT_EQ(page.Page->parentWidget(), &parent);
    EXPECT_EQ(page.List->objectName(), "lbThings");
    EXPECT_EQ(page.List->parentWidget(), page.Page);
    EXPECT_EQ(Names(page.Buttons),
              (std::vector<std::string>{"btnAddThing:Add", "btnUpThing:Up", "btnDownThing:Down"}));
    QMenu* menu = page.Buttons[0]->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "ppAddThing");
    EXPECT_TRUE(menu->actions().isEmpty());
    page.Buttons[2]->click();
    page.Buttons[2]->click();
    page.Buttons[1]->click();
    EXPECT_EQ(moved, 1);

    // The list takes the width; the buttons stand in a column from the top, pushed up.
    auto* box = qobject_cast<QHBoxLayout*>(page.Page->layout());
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemAt(0)->widget(), page.List);
    EXPECT_EQ(box->stretch(0), 1);
    auto* column = qobject_cast<QVBoxLayout*>(box->itemAt(1)->layout());
    ASSERT_NE(column, nullptr);
    ASSERT_EQ(column->count(), 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(column->itemAt(i)->widget(), page.Buttons[i]);
    EXPECT_NE(column->itemAt(3)->spacerItem(), nullptr);
}
