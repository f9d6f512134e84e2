#pragma once
// A project as text, for comparing it before and after it was saved and opened again, and the
// menu entries that sessions pick by their text.

#include "processing/TGVCPU.h"
#include "project/TDispatchDraw.h"

#include <QAction>
#include <QMenu>
#include <QString>

#include <string>

namespace vorelt::test {

// The entry of `menu` or of one of its submenus whose text is `text`; field entries read
// "FieldName<tab>DisplayName[Dimension]" and are found by the field's name.
inline QAction* FindActionByText(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions()) {
        if (a->text() == text || a->text().startsWith(text + "\t")) return a;
        if (a->menu())
            if (QAction* hit = FindActionByText(a->menu(), text)) return hit;
    }
    return nullptr;
}

// The tree as text: every processor with its depth and name.
inline std::string TreeText(TGVCPU& p, int depth = 0) {
    std::string s = std::string(size_t(depth) * 2, ' ') + p.ClassName() + " " + p.Name() + "\n";
    for (int i = 0; i < p.ChildCount(); ++i)
        s += TreeText(*p.Child(i), depth + 1);
    return s;
}

// The pages as text: each page's name and the rectangles of the views placed on it.
inline std::string PagesText(TDispatchDraw& pages) {
    std::string s;
    for (int i = 0; i < pages.PageCount(); ++i) {
        TAEPage* page = pages.Page(i);
        s += page->Name() + ":";
        for (int j = 0; j < page->PlacementCount(); ++j) {
            RecListGVCPU pl;
            page->GetPlacement(j, pl);
            s += " " + pl.ID + "@" + std::to_string(double(pl.TopLeftX)) + "," +
                 std::to_string(double(pl.TopLeftY)) + "," +
                 std::to_string(double(pl.BottomRightX)) + "," +
                 std::to_string(double(pl.BottomRightY));
        }
        s += "\n";
    }
    return s;
}

} // namespace vorelt::test
