#pragma once
// Steps a user takes in the project tree window, shared by the sessions that build a project
// with the mouse.

#include "app/TFTreePrj.h"
#include "app/TfrmAeFltr.h"
#include "app/TfrmAePrc.h"
#include "model/TAEFieldIDs.h"
#include "processing/TProcessorKind.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCCondition.h"
#include "view2d/TLCDialog.h"
#include "view2d/TScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace vorelt::test {

// The tree window shown at `width` x `height`, a filter inserted below the database and
// selected; its settings frame, null (and the test failed) when none came. The filter is the
// database's first child.
inline TfrmAeFltr* ShowTreeAndInsertFilter(TFTreePrj& w, TGVDb& db, int width, int height) {
    w.resize(width, height);
    w.show();
    QApplication::processEvents();
    w.SelectProcessor(&db);
    EXPECT_TRUE(w.InsertProcessor(pkFltr));
    w.SelectProcessor(db.Child(0));
    auto* frame = qobject_cast<TfrmAeFltr*>(w.ParameterPage());
    EXPECT_NE(frame, nullptr);
    return frame;
}

// "Ampl > 60" chosen in the condition dialog and OK clicked; whether the dialog took it.
inline bool ChooseAmplitudeAbove60(TLCDialog& c, const TGVCPU& filter) {
    c.SelectField(filter.FindField(fidAmpl));
    c.OperationBox()->setCurrentIndex(c.OperationBox()->findData(coGreater));
    c.ValueEdit()->setText("60");
    return c.TryAccept();
}

// A math processor inserted below the selected `parent` and selected, and the field
// "Double Ampl" = {Ampl} * 2 typed into its field dialog. The math processor; null (and the
// test failed) when its frame did not come or the field was not added.
inline TGVCPU* InsertDoubleAmplitudeMath(TFTreePrj& w, TGVCPU& parent, TScriptedDialogs& dialogs) {
    EXPECT_TRUE(w.InsertProcessor(pkPrc));
    if (parent.ChildCount() == 0) return nullptr;
    TGVCPU* math = parent.Child(0);
    w.SelectProcessor(math);
    auto* mathFrame = qobject_cast<TfrmAePrc*>(w.ParameterPage());
    EXPECT_NE(mathFrame, nullptr);
    if (!mathFrame) return nullptr;
    dialogs.On<TCalcFieldDialog>([](TCalcFieldDialog& c) {
        QTest::keyClicks(c.NameEdit(), "Double");
        c.DisplayNameEdit()->setText("Double Ampl");
        c.ExpressionButton()->setChecked(true);
        c.ExpressionEdit()->setPlainText("{Ampl} * 2");
        return c.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    mathFrame->AddField(dtExtended);
    EXPECT_EQ(math->OwnFields().Count(), 1);
    return math->OwnFields().Count() == 1 ? math : nullptr;
}

} // namespace vorelt::test
