// A decimal point typed in a number on a real X server: in the project tree window a filter is
// inserted, and the condition "TimeS < 90.5" is typed into its condition dialog with the
// keyboard and confirmed with the mouse. The value is kept as 90,5 (not 905); "1,2,3" typed
// instead stays as typed, is marked and refused with a message while the dialog stays open.
// Screenshots of the screen go to the build folder when VORELT_SHOTS is set.

#include "../app/TAppSession.h"
#include "../app/TTreeSteps.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TFTreePrj.h"
#include "app/TfrmAeFltr.h"
#include "model/TAEFieldIDs.h"
#include "processing/TProcessorKind.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCCondition.h"
#include "view2d/TLCDialog.h"
#include "view2d/TLCEditor.h"
#include "view2d/TPickerMenu.h"
#include "view2d/TScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// A refused number field carries this dynamic property (style sheets can use it too).
bool Marked(const QLineEdit* edit) {
    return edit->property("refusedNumber").toBool();
}

// Only for a person who looks at the session.
void Screenshot(const std::string& file) {
    if (!qEnvironmentVariableIsEmpty("VORELT_SHOTS")) ShootScreen(file);
}

} // namespace

TEST(DecimalPointSession, APointTypedInAConditionValueIsTheDecimalCommaAndOtherTextsAreRefused) {
    TAppSession s;
    ASSERT_TRUE(s.AcquireInstance());
    const std::string data = s.GeneratedFile("decimal.pci", 500, 4, 29);
    ASSERT_FALSE(data.empty());
    vorelt::test::TScriptedDialogs& dialogs = s.Dialogs;

    const std::string shots = std::string(VORELT_BINARY_DIR) + "/decimal-session-";
    TFMain& main = s.ShowMainWindow();
    TFChild* child = s.NewProjectWindow(data, "decimal.xml");
    ASSERT_NE(child, nullptr);

    TLCCondition* condition = nullptr;
    std::vector<QString> shown;
    bool refusedStayedOpen = false, refusedMarked = false;
    dialogs.OnDialog = [&](QDialog& d) {
        auto& w = static_cast<TFTreePrj&>(d);
        TGVDb& db = child->Project().Db();
        TfrmAeFltr* frame = ShowTreeAndInsertFilter(w, db, 1000, 700);
        if (!frame) return int(QDialog::Rejected);
        // The user types each text into the value and clicks OK; the last one is taken.
        std::vector<const char*> typed = {"1,2,3", "90.5"};
        dialogs.On<TLCDialog>([&](TLCDialog& c) {
            c.show();
            QApplication::processEvents();
            if (QAction* time = FindPickerAction(*c.FieldMenu(), fidTimeS)) time->trigger();
            c.OperationBox()->setCurrentIndex(c.OperationBox()->findData(coLess));
            for (const char* text : typed) {
                c.ValueEdit()->setFocus();
                c.ValueEdit()->selectAll();
                QTest::keyClick(c.ValueEdit(), Qt::Key_Backspace);
                QTest::keyClicks(c.ValueEdit(), text);
                shown.push_back(c.ValueEdit()->text());
                c.setResult(QDialog::Rejected);
                QTest::mouseClick(c.OkButton(), Qt::LeftButton);
                QApplication::processEvents();
                if (c.result() != QDialog::Accepted) {
                    refusedStayedOpen = c.isVisible();
                    refusedMarked = Marked(c.ValueEdit());
                    Screenshot(shots + "refused.png");
                }
            }
            return c.result();
        });
        // "Add", then "Logical Condition" in its menu, with the mouse.
        EXPECT_TRUE(frame->Editor()->AddButton()->isEnabled());
        QTest::mouseClick(frame->Editor()->AddButton(), Qt::LeftButton);
        auto* menu = frame->Editor()->findChild<QMenu*>("ppAdd");
        EXPECT_NE(menu, nullptr);
        if (!menu) return int(QDialog::Rejected);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
        QAction* add = menu->actions().value(0);
        EXPECT_NE(add, nullptr);
        if (add) QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(add).center());
        QApplication::processEvents();
        if (frame->Editor()->Root()->Count())
            condition = dynamic_cast<TLCCondition*>(frame->Editor()->Root()->Items(0));
        Screenshot(shots + "taken.png");
        w.CloseWindow();
        return w.result();
    };
    child->Action("mProjectThreeView")->trigger();

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "1,2,3"); // nothing dropped
    EXPECT_EQ(shown[1], "90,5");  // the point shows as the decimal comma
    EXPECT_TRUE(refusedStayedOpen);
    EXPECT_TRUE(refusedMarked);
    EXPECT_TRUE(dialogs.Asked("'1,2,3' is not a valid floating point value"));
    ASSERT_NE(condition, nullptr);
    EXPECT_EQ(condition->Value(), "90,5");
    EXPECT_EQ(condition->Operation(), coLess);
    main.close();
}
