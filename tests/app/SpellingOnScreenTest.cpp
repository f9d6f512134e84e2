// Texts people read, in English and spelled right: every caption, title, tab and menu entry of
// the demo project's windows (main window, project tree with a graph's settings frame, the
// series dialog, the test graph's settings), the filters the file dialogs show, and the
// messages and axis texts drawn or shown elsewhere. The file keys keep their old spelling: a
// project saved by an earlier version, with the old unit label, saves back byte for byte, while
// its table exports the corrected unit.

#include "TDemoSession.h"
#include "app/TDataFileCommands.h"
#include "app/TFSeries.h"
#include "app/TFTestSettings.h"
#include "app/TFTreePrj.h"
#include "app/TfrmAeGr.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/table/TGVCPUTbl.h"
#include "processing/table/TTableCsv.h"
#include "view2d/TAixsPainter.h"
#include "view2d/TGraphDb.h"
#include "view2d/TQtDialogService.h"
#include "view2d/TScriptedDialogs.h"
#include "viewmodel/dialogs/processors/TSeriesEditRules.h"
#include "viewmodel/dialogs/tree/TTreePrjRules.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TDemoSession;

namespace {

// Misspellings the windows once showed, and the Russian word of the old file filters.
const char* const BadWords[] = {
    "Aixs",      "Histigram", "Unknow ",   "ThreeView",
    "Unvisible", "Attension", "\xC2\xB5S", "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB",
    "Complited", "Serieses"};

std::string Misspelled(const QString& text) {
    const std::string s = text.toStdString();
    for (const char* bad : BadWords)
        if (s.find(bad) != std::string::npos) return bad;
    return {};
}

// "where: text" for every text of `root` and its children that holds a misspelling.
std::vector<std::string> MisspelledTexts(QWidget* root) {
    std::vector<std::string> found;
    auto check = [&](const QString& where, const QString& text) {
        if (!Misspelled(text).empty()) found.push_back((where + ": " + text).toStdString());
    };
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString name = w->metaObject()->className() + QString(" ") + w->objectName();
        check(name + " title", w->windowTitle());
        check(name + " tip", w->toolTip());
        if (auto* l = qobject_cast<QLabel*>(w)) check(name, l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) check(name, b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) check(name, g->title());
        if (auto* t = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < t->count(); ++i)
                check(name + " tab", t->tabText(i));
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                check(name + " item", c->itemText(i));
        if (auto* list = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < list->count(); ++i)
                check(name + " item", list->item(i)->text());
        if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
            for (int c = 0; c < tree->columnCount(); ++c)
                check(name + " header", tree->headerItem()->text(c));
            for (QTreeWidgetItemIterator it(tree); *it; ++it)
                for (int c = 0; c < tree->columnCount(); ++c)
                    check(name + " item", (*it)->text(c));
        }
        for (QAction* a : w->actions())
            check(name + " action " + a->objectName(), a->text());
    }
    for (QAction* a : root->findChildren<QAction*>())
        check("action " + a->objectName(), a->text());
    return found;
}

// Empty when the texts are equal, else the first line that differs in each, with its number.
std::string FirstDifference(const std::string& a, const std::string& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    if (at == a.size() && at == b.size()) return {};
    const size_t from = a.rfind('\n', at) == std::string::npos ? 0 : a.rfind('\n', at) + 1;
    const auto line = [&](const std::string& s) {
        return s.substr(from, s.find('\n', from) - from);
    };
    return "line " + std::to_string(std::count(a.begin(), a.begin() + from, '\n') + 1) + ": \"" +
           line(a) + "\" against \"" + line(b) + "\"";
}

// The filters a Qt file dialog shows for `filter`, read from the dialog itself.
QStringList ShownFilters(const std::string& filter) {
    QStringList shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            shown = d->nameFilters();
            d->reject();
        }
    });
    poll.start(10);
    TQtDialogService service;
    TFileDialogOptions o;
    o.Title = "Filter";
    o.Filter = filter;
    std::string name;
    service.SaveFile(o, name);
    return shown;
}

struct TSpellingFixture : ::testing::Test {
    TDemoSession s;

    void SetUp() override {
        qputenv("QT_FILE_DIALOG_NO_NATIVE", "1"); // read the widget dialog's filters
        if (!s.Open()) GTEST_SKIP() << "the demo project could not be made";
    }
    void TearDown() override { TfrmAeGr::ClearRegisteredPanels(); }
    TGVCPUGr* GraphProcessor(const std::string& title) {
        TGVDb& db = s.Child->Project().Db();
        for (int i = 0; i < db.ChildCount(); ++i)
            if (auto* g = dynamic_cast<TGVCPUGr*>(db.Child(i)))
                if (auto* v = dynamic_cast<TGraphVC*>(g->GetView()); v && v->Title() == title)
                    return g;
        return nullptr;
    }
};

} // namespace

TEST_F(TSpellingFixture, WindowsOfTheDemoProjectShowNoMisspelling) {
    EXPECT_EQ(MisspelledTexts(s.Main.get()), std::vector<std::string>{});

    // The project tree with the histogram's settings frame, then its series dialog.
    TGVCPUGr* graph = GraphProcessor("Hits per Channel");
    ASSERT_NE(graph, nullptr);
    std::vector<std::string> tree, series;
    bool treeShown = false;
    s.Dialogs.OnDialog = [&](QDialog& d) {
        auto& w = dynamic_cast<TFTreePrj&>(d);
        treeShown = true;
        w.SelectProcessor(graph);
        QApplication::processEvents();
        EXPECT_NE(qobject_cast<TfrmAeGr*>(w.ParameterPage()), nullptr);
        tree = MisspelledTexts(&w);
        return int(QDialog::Rejected);
    };
    s.Child->Action("mProjectThreeView")->trigger();
    EXPECT_TRUE(treeShown);
    EXPECT_EQ(tree, std::vector<std::string>{});

    auto& view = *dynamic_cast<TGraphVC*>(graph->GetView());
    ASSERT_NE(view.Series().Get(0), nullptr);
    TSeriesGr& histogram = *view.Series().Get(0);
    s.Dialogs.On<TFSeries>([&](TFSeries& d) {
        series = MisspelledTexts(&d);
        return int(QDialog::Rejected);
    });
    EditSeries(nullptr, histogram, SeriesContextOf(view, histogram), false);
    EXPECT_EQ(series, std::vector<std::string>{});

    // The test graph's settings: the axes and series pages.
    auto& testGraph = dynamic_cast<TGraphDb&>(s.Child->Project().Db().TestGraph());
    TFTestSettings settings(testGraph, s.Settings.get());
    EXPECT_EQ(MisspelledTexts(&settings), std::vector<std::string>{});

    // Texts drawn or shown without a widget of their own.
    for (const std::string& text :
         {SeriesTypeCaption(stHistigram), ReadyStatusText(2), std::string(txtEmptyMarkAixs)})
        EXPECT_EQ(Misspelled(QString::fromStdString(text)), "") << text;
}

TEST_F(TSpellingFixture, FileDialogsShowPlainEnglishFilters) {
    // The project dialogs and a data file copy, each cancelled.
    s.Child->ExecuteCommand(cmSaveAs);
    s.Main->OpenProjectWindow({}, false);
    TDataFileCommands commands(s.Child->Project(), nullptr);
    commands.SaveDatabase(&s.Child->Project().Db());
    ASSERT_GE(s.Dialogs.Filters.size(), 3u);

    // "Name (*.ext)" as Qt shows it: a description once, the patterns once.
    const QRegularExpression plain(R"(^[A-Z][A-Za-z]*( [A-Za-z]+)* \(\*[^()|]*\)$)");
    for (const std::string& filter : s.Dialogs.Filters) {
        const QStringList shown = ShownFilters(filter);
        ASSERT_FALSE(shown.isEmpty()) << filter;
        for (const QString& f : shown) {
            EXPECT_TRUE(plain.match(f).hasMatch()) << f.toStdString();
            EXPECT_EQ(Misspelled(f), "") << f.toStdString();
        }
    }
    EXPECT_EQ(ShownFilters(s.Dialogs.Filters.front()), QStringList{"XML Files (*.xml)"});

    // Older filter texts that repeat their patterns show them once.
    EXPECT_EQ(QtFileFilter("Log Files (*.log)|*.log|All Files|*.*"),
              "Log Files (*.log);;All Files (*)");
    EXPECT_EQ(QtFileFilter("(*.csv) CSV|*.csv"), "CSV (*.csv)");
    EXPECT_EQ(QtFileFilter("*.*|*.*"), "All Files (*)");

    // The table's own "Export CSV" dialog.
    TTableVC* table = s.Table();
    ASSERT_NE(table, nullptr);
    table->ExportCsvInteractive();
    EXPECT_EQ(ShownFilters(s.Dialogs.Filters.back()), QStringList{"CSV Files (*.csv)"});
}

TEST_F(TSpellingFixture, AProjectSavedBeforeKeepsItsBytesAndExportsTheCorrectedUnit) {
    // The demo project as an earlier version of the program saved it: "µS" (Windows-1251) for
    // microseconds.
    std::string error;
    ASSERT_TRUE(s.Child->Project().SaveProject(s.Project, error)) << error;
    s.Main->close();
    s.Main.reset();
    s.Child = nullptr;
    std::string bytes = test::ReadFileBytes(s.Project);
    const std::string corrected = "<Value>\xB5s</Value>", old = "<Value>\xB5S</Value>";
    for (size_t at = 0; (at = bytes.find(corrected, at)) != std::string::npos; at += old.size())
        bytes.replace(at, old.size(), old);
    ASSERT_NE(bytes.find(old), std::string::npos) << "the demo table has a column in microseconds";
    for (const char* key : {"LeftAixs", "BottomAixs", "RightAixs", "SeriesAixs", "Serieses",
                            "EnableRightAixs", "TGrAixs", "THistigramAEVObject"})
        EXPECT_NE(bytes.find(key), std::string::npos) << key;
    test::WriteFileBytes(s.Project, bytes);

    ASSERT_TRUE(s.Open());
    const std::string again = s.Dir.File("again.xml");
    ASSERT_TRUE(s.Child->Project().SaveProject(again, error)) << error;
    EXPECT_EQ(FirstDifference(test::ReadFileBytes(again), bytes), "");

    // People read the unit corrected in the table's export.
    s.Run();
    TTableVC* table = s.Table();
    ASSERT_NE(table, nullptr);
    const std::string csv = s.Dir.File("table.csv");
    ASSERT_TRUE(ExportTableCsv(*table->Table(), csv, error)) << error;
    const std::string text = test::ReadFileBytes(csv);
    const std::string units = text.substr(text.find("\r\n") + 2);
    EXPECT_NE(units.substr(0, units.find("\r\n")).find("\xC2\xB5s"), std::string::npos);
    EXPECT_EQ(text.find("\xC2\xB5S"), std::string::npos);
}
