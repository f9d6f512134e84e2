#include "app/TFMain.h"

#include <QApplication>
#include <QStatusBar>
#include <gtest/gtest.h>

TEST(MainWindow, OpensWithTitleAndStatusBar) {
    vorelt::TFMain window;
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.windowTitle(), "Vorelt");
    EXPECT_TRUE(window.isVisible());
    EXPECT_NE(window.statusBar(), nullptr);
}
