#pragma once
// Steps a user takes in the project tree window, shared by the sessions that build a project
// with the mouse.

#include "app/TFTreePrj.h"
#include "app/TfrmAeFltr.h"
#include "model/TAEFieldIDs.h"
#include "processing/TProcessorKind.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCCondition.h"
#include "view2d/TLCDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

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

} // namespace vorelt::test
