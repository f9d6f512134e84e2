// Entry point of the widget test executables: one QApplication on the stack for the whole run,
// destroyed before the program ends (a static one crashes in Qt's own teardown). Widget tests
// run offscreen unless the caller chose a platform (GL tests choose xcb under Xvfb).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
