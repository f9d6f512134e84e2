// The source-location processor in the project tree window offscreen: it is offered in the
// insert menu and goes only below a location processor; its frame edits the sensor table,
// shows the decimal comma for a typed ".", names a refused row in a message box and stores
// nothing then, imports a LAYOUT.csv and takes the sensors of the pipe schema below it.

#include "TAppSession.h"
#include "app/TFChild.h"
#include "app/TFTreePrj.h"
#include "app/TfrmAeSourceLoc.h"
#include "common/TestData.h"
#include "processing/TProcessorKind.h"
#include "processing/db/TGVDb.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "project/TProjectAE.h"
#include "view2d/TScriptedDialogs.h"
#include "viewmodel/dialogs/processors/TSchemaEditRules.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TAppSession;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

struct TSourceFrameFixture : ::testing::Test {
    TAppSession session;
    TScriptedDialogs& dialogs = session.Dialogs;
    TFChild* child = nullptr;
    std::unique_ptr<TFTreePrj> tree;
    TGVCPUSourceLoc* source = nullptr;

    void SetUp() override {
        const std::string data = session.GeneratedFile("run.pci", 200, 4, 5);
        ASSERT_FALSE(data.empty());
        child = session.NewProjectWindow(data);
        ASSERT_NE(child, nullptr);
        tree = std::make_unique<TFTreePrj>(child->Project(), session.Settings.get(), tmProjectTree,
                                           std::string(), child);
        tree->resize(1000, 700);
        tree->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        tree.reset();
        dialogs.Answers = {mrNo};
        session.Main.reset();
    }
    TGVDb& Db() { return child->Project().Db(); }
    // Location, then source location below it, through the insert menu; the source location
    // selected with its frame.
    TfrmAeSourceLoc* InsertBelowLocation() {
        tree->SelectProcessor(&Db());
        EXPECT_TRUE(tree->InsertProcessor(pkLoc));
        TGVCPU* location = Db().Child(0);
        tree->SelectProcessor(location);
        QAction* add = nullptr;
        for (QAction* a : tree->InsertMenu()->actions())
            if (a->objectName() == "mGVCPUSourceLoc") add = a;
        EXPECT_NE(add, nullptr);
        if (!add) return nullptr;
        EXPECT_EQ(add->text().toStdString(), "Add Source Location Processor");
        add->trigger();
        source =
            location->ChildCount() ? dynamic_cast<TGVCPUSourceLoc*>(location->Child(0)) : nullptr;
        EXPECT_NE(source, nullptr);
        if (!source) return nullptr;
        EXPECT_EQ(source->Name(), "SL01");
        tree->SelectProcessor(source);
        return qobject_cast<TfrmAeSourceLoc*>(tree->ParameterPage());
    }
};

void Type(QTableWidget* t, int row, int col, const char* text) {
    if (!t->item(row, col)) t->setItem(row, col, new QTableWidgetItem());
    t->item(row, col)->setText(text);
}

TEST_F(TSourceFrameFixture, InsertedOnlyBelowALocationProcessor) {
    tree->SelectProcessor(&Db());
    EXPECT_FALSE(tree->InsertProcessor(pkSourceLoc));
    EXPECT_EQ(dialogs.Boxes.back(),
              "Invalid Processor After Location Processor: Source Location Processor");
    EXPECT_EQ(Db().ChildCount(), 0);
    TfrmAeSourceLoc* frame = InsertBelowLocation();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->VelocityEdit()->text().toStdString(), "5000");
    EXPECT_EQ(frame->DiameterEdit()->text().toStdString(), "25,4");
    EXPECT_EQ(frame->SensorTable()->rowCount(), 0);
}

TEST_F(TSourceFrameFixture, TypedRowsBecomeTheLayoutAndARefusedRowIsNamed) {
    TfrmAeSourceLoc* frame = InsertBelowLocation();
    ASSERT_NE(frame, nullptr);
    QTableWidget* t = frame->SensorTable();
    QTest::mouseClick(frame->findChild<QPushButton*>("btAddSensor"), Qt::LeftButton);
    QTest::mouseClick(frame->findChild<QPushButton*>("btAddSensor"), Qt::LeftButton);
    ASSERT_EQ(t->rowCount(), 2);
    Type(t, 0, 0, "1");
    Type(t, 0, 1, "600.5");
    Type(t, 0, 2, "600");
    // The "." typed shows as the comma.
    EXPECT_EQ(t->item(0, 1)->text().toStdString(), "600,5");
    Type(t, 1, 0, "2");
    Type(t, 1, 1, "150");
    Type(t, 1, 2, "600");
    ASSERT_EQ(source->Layout().Count(), 2);
    EXPECT_DOUBLE_EQ(source->Layout().Sensors()[0].X, 600.5);
    EXPECT_TRUE(dialogs.Boxes.empty()) << dialogs.Boxes.front();

    // A duplicate channel: nothing stored, and leaving the page names the row.
    Type(t, 1, 0, "1");
    EXPECT_EQ(source->Layout().Sensors()[1].Chan, 2);
    frame->CommitEdits();
    ASSERT_FALSE(dialogs.Boxes.empty());
    EXPECT_EQ(dialogs.Boxes.back(), "Row 2: Duplicate Channel 1");
    EXPECT_EQ(t->currentRow(), 1);
    Type(t, 1, 0, "130");
    frame->CommitEdits();
    EXPECT_EQ(dialogs.Boxes.back(), "Row 2: Invalid Channel 130");
    EXPECT_EQ(source->Layout().Count(), 2);
    Type(t, 1, 0, "3");
    EXPECT_EQ(source->Layout().Sensors()[1].Chan, 3);

    // Velocity with a ".", method and diameter.
    frame->VelocityEdit()->setText("3200.5");
    frame->VelocityLeft();
    EXPECT_DOUBLE_EQ(source->Layout().Velocity(), 3200.5);
    frame->MethodBox()->setCurrentIndex(1);
    EXPECT_EQ(source->Layout().Method(), TLocMethod::Linear);
    frame->DiameterEdit()->setText("0");
    frame->DiameterLeft();
    EXPECT_EQ(dialogs.Boxes.back(), "Invalid Diameter");
    EXPECT_DOUBLE_EQ(source->CircleDiameter(), DefaultClusterDiameter);
}

TEST_F(TSourceFrameFixture, ImportAndPipeSchemaFillTheTable) {
    TfrmAeSourceLoc* frame = InsertBelowLocation();
    ASSERT_NE(frame, nullptr);
    TTempDir dir;
    const std::string csv = dir.File("LAYOUT.csv");
    vorelt::test::WriteFileBytes(csv, "Chan;X;Y\n1;600;600\n2;150;600\n3;150;150\n4;600;150\n");
    dialogs.Files = {csv};
    frame->ImportLayout();
    EXPECT_EQ(source->Layout().Count(), 4);
    EXPECT_EQ(frame->SensorTable()->rowCount(), 4);
    EXPECT_EQ(frame->SensorTable()->item(3, 2)->text().toStdString(), "150");
    vorelt::test::WriteFileBytes(csv, "Chan;X;Y\n1;0;0\n1;5;5\n");
    dialogs.Files = {csv};
    frame->ImportLayout();
    ASSERT_FALSE(dialogs.Boxes.empty());
    EXPECT_NE(dialogs.Boxes.back().find("Duplicate Channel 1"), std::string::npos)
        << dialogs.Boxes.back();
    EXPECT_EQ(source->Layout().Count(), 4);

    // Without a schema in the tree the button says so; with a 3D graph below that has one,
    // its sensors come with their pipe.
    frame->FromPipeSchema();
    EXPECT_EQ(dialogs.Boxes.back(), "No Pipe Schema");
    auto* graph = source->AddNew<TGVCPUGr3D>();
    graph->Data().SetSchema(graph->Data().NewSchema("TAEOBJ3DPipesSchema"));
    TAEOBJ3D* pipe = AddSchemaObject(*graph->Data().Schema(), TSchemaAddKind::Pipe);
    auto* sensor = static_cast<TAEOBJ3DPAEPS*>(AddSchemaObject(*pipe, TSchemaAddKind::PAE));
    sensor->SetChannel(7);
    frame->FromPipeSchema();
    ASSERT_NE(source->Layout().Find(7), nullptr);
    EXPECT_FALSE(source->Layout().Find(7)->Pipe.empty());
    EXPECT_EQ(frame->SensorTable()->rowCount(), 5);
    EXPECT_FALSE(frame->SensorTable()->item(4, 4)->text().isEmpty());
}

} // namespace
