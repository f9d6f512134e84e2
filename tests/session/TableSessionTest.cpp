// The table on the demo project in a real window: Run, tags and units, "f" and the find
// window, a hit mark sent with Enter, and "Export CSV" from the view's popup menu, which must
// give the same file as vorelt-export and the values that vorelt-cli dumps.

#include "../app/TDemoSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "app/TSingleInstance.h"
#include "common/TestData.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TLCCondition.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/TFindTextF.h"
#include "view2d/TLCDialog.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableGrid.h"
#include "view2d/TTableVC.h"
#include "view3d/RegisterView3dClasses.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>
#include <sstream>

using namespace vorelt;
using vorelt::test::RunTool;
using vorelt::test::TDemoSession;
using vorelt::test::TTempDir;

namespace {

// Stands below the database processor and notes the records that graphs would mark.
class TMarkSpy : public TGVCPU {
public:
    void Dispatch(TAEOMSG& msg) override {
        if (msg.Msg == omMarkRecord) Marked = msg.List;
        TGVCPU::Dispatch(msg);
    }
    std::vector<int32_t> Marked;
};

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) {
            out.push_back(cur);
            cur.clear();
        } else if (c != '\r') {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

} // namespace

TEST(TableSession, RunFindMarkAndExportOnTheDemoProject) {
    TDemoSession s;
    ASSERT_TRUE(s.AcquireInstance());
    TTempDir& dir = s.Dir;
    const QString bin = VORELT_BINARY_DIR;
    const std::string demo = s.Project;
    TLongShoF::SetMinimumShowTime(50);
    vorelt::test::TScriptedDialogs& dialogs = s.Dialogs;
    std::vector<std::string>& boxes = dialogs.Boxes;
    const std::string menuCsv = dir.File("menu.csv");
    std::string name;
    {
        ASSERT_TRUE(s.Open());
        TFMain& main = *s.Main;
        TFChild* child = s.Child;
        TTableVC* view = s.Table();
        ASSERT_NE(view, nullptr);
        TGVCPUTbl* table = view->Table();
        name = table->GetName();
        auto* spy = child->Project().Db().AddNew<TMarkSpy>();

        child->ExecuteCommand(cmRun);
        QApplication::processEvents();
        ASSERT_TRUE(view->Active());
        ASSERT_GT(view->Data().RowCount(), 20000); // hits and every other kind
        EXPECT_EQ(view->Data().TypeRec(), 0);
        EXPECT_EQ(table->FindField(fidAmpl)->GetDisplayDimension(), "dB");
        TAERecord record;
        table->PrepareRecord(record);
        TAEPNav nav;
        std::vector<std::string> tags;
        for (int32_t r = 0; r < 200; ++r) {
            ASSERT_TRUE(table->FetchRow(nav, record, r + 1, view->Data().RowPosition(r)));
            const char* tag = KindTagOf(record.Kind(), record.RecFlags()).Text;
            if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(tag);
        }
        EXPECT_NE(std::find(tags.begin(), tags.end(), std::string("Ht")), tags.end());
        EXPECT_GE(tags.size(), 2u);

        // "f" opens the find window; a condition on the amplitude finds rows one after another.
        view->Clicked();
        QTest::keyClick(view->Grid(), Qt::Key_F);
        // The key is read when the shortcut timer ends.
        EXPECT_TRUE(QTest::qWaitFor(
            [view] { return view->FindWindow() && view->FindWindow()->isVisible(); }, 5000));
        TFindTextF* find = view->FindWindow();
        ASSERT_NE(find, nullptr);
        ASSERT_TRUE(find->isVisible());
        dialogs.On<TLCDialog>([&](TLCDialog& d) {
            d.SelectField(table->FindField(fidAmpl));
            d.OperationBox()->setCurrentIndex(d.OperationBox()->findData(coGreater));
            d.ValueEdit()->setText("80");
            return d.TryAccept() ? 1 : 0;
        });
        find->Editor()->AddCondition();
        EXPECT_NE(find->Editor()->Memo()->toPlainText().indexOf("> 80"), -1);
        find->SeekButton()->click();
        const int first = view->Grid()->CurrentRow();
        EXPECT_EQ(find->StatusLabel()->text(), "Ok");
        find->SeekButton()->click();
        const int second = view->Grid()->CurrentRow();
        EXPECT_GT(second, first);
        EXPECT_TRUE(boxes.empty());

        // Enter with hit marks on sends the row's record down to every branch.
        QList<QAction*> items;
        view->OnPopupMenu = [&](TVisualClass& v, const QPoint& pos, const QList<QAction*>& list) {
            items = list;
            child->ShowViewPopup(v, pos, list);
            child->ViewPopup()->hide();
        };
        view->ShowContextMenu(QPoint(10, 10));
        QMenu* popup = child->ViewPopup();
        QAction* editCopy = nullptr;
        for (QAction* a : popup->actions())
            if (a->objectName() == "mGVVisualClass") editCopy = a;
        ASSERT_NE(editCopy, nullptr);
        ASSERT_NE(editCopy->menu(), nullptr);
        editCopy->menu()->actions().value(0)->trigger(); // "Hit Marks"
        ASSERT_TRUE(view->Data().HitMarks());
        view->Grid()->setFocus();
        QTest::keyClick(view->Grid(), Qt::Key_Return);
        ASSERT_EQ(spy->Marked.size(), 1u);
        EXPECT_EQ(spy->Marked[0], view->Data().RowPosition(second - TTableGrid::FixedRows));

        // "Export CSV" from the popup menu: onto the recording or the project it is refused
        // with the reason and changes nothing; onto a new name it writes the rows.
        auto exportTo = [&](const std::string& target) {
            dialogs.Files = {target};
            view->ShowContextMenu(QPoint(10, 10));
            QAction* exportCopy = nullptr;
            for (QAction* a : popup->actions())
                if (a->objectName() == "mExportCsvVC") exportCopy = a;
            ASSERT_NE(exportCopy, nullptr);
            exportCopy->trigger();
        };
        const std::string pci = dir.File("demo.pci");
        const std::string recording = vorelt::test::ReadFileBytes(pci);
        const std::string project = vorelt::test::ReadFileBytes(demo);
        exportTo(pci);
        exportTo(demo);
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0], "the target is the project's data file " + pci);
        EXPECT_EQ(boxes[1], "the target is the project file " + demo);
        EXPECT_TRUE(vorelt::test::ReadFileBytes(pci) == recording) << "the recording changed";
        EXPECT_EQ(vorelt::test::ReadFileBytes(demo), project);
        boxes.clear();
        exportTo(menuCsv);
        ASSERT_TRUE(std::filesystem::exists(menuCsv));

        // A picture of the window for whoever looks at the run.
        QApplication::processEvents();
        main.grab().save(bin + "/table-session.png");
        find->close();
        child->Project().Db().DetachChild(spy);
        child->Project().SetModified(false);
        s.CloseMain();
    }

    // The headless tool writes the same file.
    const std::string toolCsv = dir.File("tool.csv");
    QProcess::execute(bin + "/tools/export/vorelt-export",
                      {QString::fromStdString(demo), QString::fromStdString(name),
                       QString::fromStdString(toolCsv)});
    const std::string menuText = vorelt::test::ReadFileBytes(menuCsv);
    EXPECT_TRUE(menuText == vorelt::test::ReadFileBytes(toolCsv)) << "the files differ";

    // The first hit against vorelt-cli's dump of the stream the table reads: the database
    // processor's, since the table stands right below it.
    const std::string dump =
        RunTool(bin + "/tools/cli/vorelt-cli",
                {"project", QString::fromStdString(demo), "--dump", "Database"});
    const std::vector<std::string> dumpLines = Split(dump, '\n');
    ASSERT_GE(dumpLines.size(), 2u);
    const std::vector<std::string> names = Split(dumpLines[0], ';');
    const std::vector<std::string> csvLines = Split(menuText, '\n');
    ASSERT_GE(csvLines.size(), 3u);
    EXPECT_EQ(csvLines[0].substr(0, 3), "\xEF\xBB\xBF");
    const std::vector<std::string> captions = Split(csvLines[0].substr(3), ';');
    EXPECT_EQ(captions.size(), 9u);
    // Find the first hit in both and compare the amplitude and the channel.
    auto column = [&](const char* field) {
        return std::find(names.begin(), names.end(), field) - names.begin();
    };
    const size_t amp = static_cast<size_t>(column("Ampl"));
    const size_t chan = static_cast<size_t>(column("Chan"));
    ASSERT_LT(amp, names.size());
    for (size_t i = 2; i < csvLines.size() && i - 1 < dumpLines.size(); ++i) {
        const std::vector<std::string> row = Split(csvLines[i], ';');
        const std::vector<std::string> values = Split(dumpLines[i - 1], ';');
        if (row.size() != 9 || row[4].empty()) continue; // not a hit
        EXPECT_EQ(row[4], values[amp]);
        EXPECT_EQ(row[3], values[chan]);
        break;
    }
}
