// The row keys of the record grids: the current row stays a data row whatever key is pressed.

#include "view2d/TRecordGrid.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorelt;

namespace {

class TGrid : public TRecordGrid {
public:
    explicit TGrid(int rows, int width) {
        resize(300, TRecordGrid::RowHeight * 7);
        SetSize(rows, width);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!RowKey(event)) TRecordGrid::keyPressEvent(event);
    }
};

} // namespace

TEST(RecordGrid, KeysKeepTheCurrentRowOnTheDataRows) {
    TGrid grid(102, 100); // 100 records
    grid.show();
    EXPECT_EQ(grid.CurrentRow(), TRecordGrid::FixedRows);
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(grid.CurrentRow(), TRecordGrid::FixedRows) << "a header row became current";
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.CurrentRow(), 3);
    const int page = grid.VisibleDataRows();
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_EQ(grid.CurrentRow(), 3 + page);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.CurrentRow(), 101);
    EXPECT_GE(grid.CurrentRow(), grid.TopRow());
    EXPECT_LT(grid.CurrentRow(), grid.TopRow() + grid.VisibleDataRows())
        << "not scrolled into sight";
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_EQ(grid.CurrentRow(), 101);
    QTest::keyClick(&grid, Qt::Key_End); // without Ctrl it is no row key
    EXPECT_EQ(grid.CurrentRow(), 101);
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.CurrentRow(), TRecordGrid::FixedRows);
    EXPECT_EQ(grid.TopRow(), TRecordGrid::FixedRows);
}

TEST(RecordGrid, LeftAndRightScrollOnlyAColumnWiderThanTheGrid) {
    TGrid narrow(5, 100);
    narrow.show();
    QTest::keyClick(&narrow, Qt::Key_Right);
    EXPECT_EQ(narrow.HorizontalOffset(), 0);
    TGrid wide(5, 2000);
    wide.show();
    QTest::keyClick(&wide, Qt::Key_Right);
    EXPECT_GT(wide.HorizontalOffset(), 0);
    QTest::keyClick(&wide, Qt::Key_Left);
    EXPECT_EQ(wide.HorizontalOffset(), 0);
    EXPECT_EQ(wide.CurrentRow(), TRecordGrid::FixedRows);
}

TEST(RecordGrid, RowsAtLeastOneRecordRow) {
    TGrid grid(0, 100);
    EXPECT_EQ(grid.RowCount(), TRecordGrid::FixedRows + 1);
    grid.SetCurrentRow(-5);
    EXPECT_EQ(grid.CurrentRow(), TRecordGrid::FixedRows);
    EXPECT_EQ(grid.RowAt(0), 0);
    EXPECT_EQ(grid.RowAt(TRecordGrid::RowHeight * 3), -1);
}
