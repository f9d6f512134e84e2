#include "app/TChannelPanel.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "app/TSingleInstance.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "processing/db/TGVDb.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/TScriptedDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TShellFixture {
    TTempDir dir;
    std::unique_ptr<TIniApplic> settings;
    TScriptedDialogs dialogs;
    std::unique_ptr<TFMain> main;
    std::string data;

    TShellFixture() {
        RegisterCoreClasses();
        TLongShoF::SetMinimumShowTime(0);
        data = dir.File("run.pci");
        TGenerateOptions o;
        o.Format = "pci";
        o.FileName = data;
        o.Hits = 300;
        o.Channels = 6;
        o.Seed = 3;
        std::string error;
        EXPECT_TRUE(GenerateDataFile(o, error)) << error;
        settings = std::make_unique<TIniApplic>(dir.Path() + "/");
        main = std::make_unique<TFMain>(*settings);
        main->show();
    }
    TFChild* NewProject(const std::string& name) {
        dialogs.Files = {dir.File(name), data};
        return main->OpenProjectWindow({}, true);
    }
    // What the database processor's "Sort DataBase" and a filter's save button call.
    static void SortDatabase(TFChild* c) { c->Project().OnSortDatabase(c->Project(), nullptr); }
    static void SaveDatabase(TFChild* c) {
        c->Project().OnSaveDatabase(c->Project(), &c->Project().Db());
    }
    QMdiSubWindow* Sub(TFChild* c) { return qobject_cast<QMdiSubWindow*>(c->parentWidget()); }
    int WindowCount() {
        QApplication::processEvents();
        return static_cast<int>(main->MdiArea()->subWindowList().size());
    }
};

} // namespace

TEST(NewProject, GetsOneFirstPageAndIsWrittenOnceTheDataFileIsChosen) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(f.dialogs.Titles, (std::vector<std::string>{"Create New Project", "Open Database"}));
    EXPECT_EQ(child->PageControl()->count(), 1);
    EXPECT_EQ(child->PageControl()->tabText(0), "First Page");
    EXPECT_EQ(child->PageControl()->widget(0)->objectName(), "TabSheetAE0");
    EXPECT_TRUE(std::filesystem::exists(f.dir.File("p.xml")));
    EXPECT_EQ(child->Project().FileName(), f.dir.File("p.xml"));
    EXPECT_EQ(child->Project().DbName(), f.data);
    EXPECT_FALSE(child->Project().Modified());
    EXPECT_EQ(child->CommandState(), csReady);
    EXPECT_EQ(f.main->RecentProjects().Get(0), f.dir.File("p.xml"));
    EXPECT_NE(f.main->StatusPanel(2)->text().indexOf("Ready"), -1);
    EXPECT_NE(f.main->StatusPanel(1)->text().indexOf("Database: "), -1);
}

TEST(NewProject, CancellingTheDataFileLeavesNoWindowAndTheOldFileUntouched) {
    TShellFixture f;
    const std::string old = f.dir.File("old.xml");
    vorelt::test::WriteFileBytes(old, "previous content");
    f.dialogs.Files = {old, ""};
    f.dialogs.Answers = {mrOK}; // overwrite
    EXPECT_EQ(f.main->OpenProjectWindow({}, true), nullptr);
    EXPECT_TRUE(f.dialogs.Asked("Overwrite Project?"));
    EXPECT_EQ(f.WindowCount(), 0);
    EXPECT_EQ(ReadText(old), "previous content");
    EXPECT_EQ(f.dialogs.Boxes.size(), 1u); // no error after a cancelled dialog
}

TEST(NewProject, RefusingToOverwriteAsksForAnotherName) {
    TShellFixture f;
    const std::string old = f.dir.File("old.xml");
    vorelt::test::WriteFileBytes(old, "previous content");
    f.dialogs.Files = {old, f.dir.File("other.xml"), f.data};
    f.dialogs.Answers = {mrCancel};
    TFChild* child = f.main->OpenProjectWindow({}, true);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(ReadText(old), "previous content");
    EXPECT_EQ(child->Project().FileName(), f.dir.File("other.xml"));
}

TEST(OpenProject, MovedDataFileAsksForAnotherAndCancellingClosesWithoutMessage) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    f.Sub(child)->close();
    EXPECT_EQ(f.WindowCount(), 0);
    std::filesystem::rename(f.data, f.dir.File("moved.pci"));
    f.dialogs.Boxes.clear();
    f.dialogs.Files = {""};
    EXPECT_EQ(f.main->OpenProjectWindow(f.dir.File("p.xml"), false), nullptr);
    ASSERT_EQ(f.dialogs.Boxes.size(), 1u);
    EXPECT_NE(f.dialogs.Boxes[0].find("Open Other Database?"), std::string::npos);
    EXPECT_EQ(f.WindowCount(), 0);
}

TEST(OpenProject, NotAProjectFileAsksForAnotherOne) {
    TShellFixture f;
    const std::string bad = f.dir.File("bad.xml");
    vorelt::test::WriteFileBytes(bad, "not xml at all");
    f.dialogs.Files = {""};
    EXPECT_EQ(f.main->OpenProjectWindow(bad, false), nullptr);
    ASSERT_EQ(f.dialogs.Boxes.size(), 1u);
    EXPECT_NE(f.dialogs.Boxes[0].find("Open Other Project?"), std::string::npos);
}

TEST(CloseProject, CancelKeepsTheWindowOpenAndReady) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    child->Project().SetModified(false);
    f.dialogs.Answers = {mrCancel};
    f.Sub(child)->close();
    EXPECT_EQ(f.WindowCount(), 1);
    EXPECT_EQ(child->CommandState(), csReady);
    EXPECT_TRUE(child->Project().Modified());
    EXPECT_TRUE(f.dialogs.Asked("Project Modified. Not Saved. Project \"" + f.dir.File("p.xml") +
                                "\" Save?"));
}

TEST(CloseProject, NoClosesWithoutSaving) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    const std::string before = ReadText(f.dir.File("p.xml"));
    child->Project().SetName("Changed");
    child->Project().SetModified(false);
    f.dialogs.Answers = {mrNo};
    f.Sub(child)->close();
    EXPECT_EQ(f.WindowCount(), 0);
    EXPECT_EQ(ReadText(f.dir.File("p.xml")), before);
}

TEST(CloseProject, YesSavesAndCloses) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    child->Project().SetName("Changed Name");
    child->Project().SetModified(false);
    f.dialogs.Answers = {mrYes};
    f.Sub(child)->close();
    EXPECT_EQ(f.WindowCount(), 0);
    EXPECT_NE(ReadText(f.dir.File("p.xml")).find("Changed Name"), std::string::npos);
    EXPECT_FALSE(f.dialogs.Asked("Operation Completed"));
}

TEST(CloseProject, FailedSaveKeepsTheWindowAndTheChanges) {
    TShellFixture f;
    std::filesystem::create_directory(f.dir.File("sub"));
    f.dialogs.Files = {f.dir.File("sub/p.xml"), f.data};
    TFChild* child = f.main->OpenProjectWindow({}, true);
    ASSERT_NE(child, nullptr);
    // The project's folder turns into a file: every write there fails.
    std::filesystem::remove_all(f.dir.File("sub"));
    vorelt::test::WriteFileBytes(f.dir.File("sub"), "x");
    child->Project().SetName("Unsaved");
    child->Project().SetModified(false);
    f.dialogs.Boxes.clear();
    f.dialogs.Answers = {mrYes, mrCancel}; // save: yes; try again: cancel
    f.Sub(child)->close();
    EXPECT_EQ(f.WindowCount(), 1);
    EXPECT_TRUE(f.dialogs.Asked("Try Save Project Again?"));
    EXPECT_TRUE(child->Project().Modified());
    EXPECT_EQ(child->Project().Name(), "Unsaved");
    EXPECT_EQ(child->CommandState(), csReady);
    // Choosing another file in the save dialog then lets it go.
    f.dialogs.Answers = {mrYes, mrOK};
    f.dialogs.Files = {f.dir.File("saved.xml")};
    f.Sub(child)->close();
    EXPECT_EQ(f.WindowCount(), 0);
    EXPECT_NE(ReadText(f.dir.File("saved.xml")).find("Unsaved"), std::string::npos);
}

TEST(CloseProject, MainWindowCloseAsksEveryWindowAndWritesSettings) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    child->Project().SetModified(false);
    f.dialogs.Answers = {mrCancel};
    EXPECT_FALSE(f.main->close());
    EXPECT_EQ(f.WindowCount(), 1);
    f.dialogs.Answers = {mrNo};
    EXPECT_TRUE(f.main->close());
    EXPECT_EQ(f.settings->ReadString("STACKPROJECT", "1", ""), f.dir.File("p.xml"));
    EXPECT_EQ(f.settings->ReadString("STACKPROJECT", "2", "?"), "");
    EXPECT_NE(f.settings->ReadString("COLORS", "128", ""), "");
}

TEST(Commands, StatesFollowTheWindowAndTheData) {
    TShellFixture f;
    EXPECT_FALSE(f.main->Action("mCascade")->isEnabled());
    EXPECT_FALSE(f.main->Action("mConfiguration")->isEnabled());
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(f.main->Action("mCascade")->isEnabled());
    EXPECT_TRUE(child->Action("mRun")->isEnabled());
    EXPECT_TRUE(child->Action("mSaveProject")->isEnabled());
    EXPECT_FALSE(child->Action("mDataDeletedInfo")->isEnabled());
    EXPECT_FALSE(child->Action("mReloadChecked")->isEnabled());
    EXPECT_FALSE(child->Action("mReloadData")->isEnabled()); // no focused view
    // The project menus are merged into the main menu.
    bool found = false;
    for (QAction* a : f.main->menuBar()->actions())
        found |= a->text() == "Analyze";
    EXPECT_TRUE(found);
}

TEST(Commands, SaveReportsCompletionAndSaveAsRenames) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    f.dialogs.Boxes.clear();
    child->ExecuteCommand(cmSave);
    EXPECT_EQ(f.dialogs.Boxes, std::vector<std::string>{"Operation Completed"});
    f.dialogs.Files = {f.dir.File("copy.xml")};
    child->ExecuteCommand(cmSaveAs);
    EXPECT_EQ(child->Project().FileName(), f.dir.File("copy.xml"));
    EXPECT_EQ(child->windowTitle().toStdString(), f.dir.File("copy.xml"));
    // A cancelled save dialog says nothing.
    f.dialogs.Boxes.clear();
    child->ExecuteCommand(cmSaveAs);
    EXPECT_TRUE(f.dialogs.Boxes.empty());
}

TEST(Commands, RunOnAnEmptyPageReportsNothing) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    f.dialogs.Boxes.clear();
    child->ExecuteCommand(cmRun);
    child->ExecuteCommand(cmResetAll);
    EXPECT_TRUE(f.dialogs.Boxes.empty());
    EXPECT_EQ(child->CommandState(), csReady);
}

TEST(ChannelPanel, AbsentChannelsAreDisabledAndColoursRestore) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    TChannelPanel* panel = child->ChannelPanel();
    EXPECT_TRUE(panel->Collapsed());
    ASSERT_NE(panel->ChannelBox(128), nullptr);
    EXPECT_FALSE(panel->ChannelBox(128)->isEnabled());
    int enabled = 0;
    for (int n = 1; n <= 128; ++n)
        enabled += panel->ChannelBox(n)->isEnabled() ? 1 : 0;
    EXPECT_GT(enabled, 0);
    EXPECT_LE(enabled, 6);
    EXPECT_EQ(panel->ChannelBox(33)->geometry().left(), 55 + 18);
    EXPECT_EQ(panel->ChannelSquare(1)->geometry().top(), 3);
    EXPECT_EQ(panel->ChannelSquare(9)->geometry().top(), 14 * 9 - 11 + 8);
    EXPECT_EQ(panel->ChannelSquare(65)->geometry().top(), 3 + 480);
    // "All" checks the present channels and sends them.
    panel->ToggleAllChannels();
    EXPECT_EQ(static_cast<int>(child->Project().SplitChannels().size()), enabled);
    const TColor original = PaletteColor(3);
    f.dialogs.Colors = {RGBColor(1, 2, 3)};
    panel->EditChannelColor(3);
    EXPECT_EQ(PaletteColor(3), RGBColor(1, 2, 3));
    panel->RestoreDefaultColors();
    EXPECT_EQ(PaletteColor(3), original);
    panel->SetRadioMode(true);
    EXPECT_TRUE(panel->RadioMode());
}

TEST(ChannelPanel, RadioModeKeepsOneChannelAndLeavingItUnchecksAll) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    TChannelPanel* panel = child->ChannelPanel();
    std::vector<uint32_t> present;
    for (int n = 1; n <= 128; ++n)
        if (panel->ChannelBox(n)->isEnabled()) present.push_back(static_cast<uint32_t>(n));
    ASSERT_GE(present.size(), 2u);
    auto* all = panel->findChild<QAbstractButton*>("btnAll");
    ASSERT_NE(all, nullptr);
    all->click();
    EXPECT_EQ(child->Project().SplitChannels(), present);
    panel->SetRadioMode(true);
    EXPECT_FALSE(all->isEnabled());
    EXPECT_EQ(child->Project().SplitChannels(), std::vector<uint32_t>{present[0]});
    // A click on another channel moves the one channel there.
    const int second = static_cast<int>(present[1]);
    panel->ChannelBox(second)->click();
    EXPECT_EQ(child->Project().SplitChannels(), std::vector<uint32_t>{present[1]});
    EXPECT_FALSE(panel->ChannelBox(static_cast<int>(present[0]))->isChecked());
    panel->SetRadioMode(false);
    EXPECT_TRUE(all->isEnabled());
    EXPECT_FALSE(panel->AllChecked());
    EXPECT_TRUE(child->Project().SplitChannels().empty());
    // The strip opens and closes the panel.
    auto* strip = panel->findChild<QAbstractButton*>("sbStrip");
    ASSERT_NE(strip, nullptr);
    strip->click();
    EXPECT_FALSE(panel->Collapsed());
    EXPECT_EQ(panel->width(), 140);
    EXPECT_EQ(strip->toolTip(), "Close");
    strip->click();
    EXPECT_EQ(panel->width(), 8);
    EXPECT_EQ(strip->toolTip(), "Open");
}

TEST(DataFile, AFileInTimeOrderIsReportedOk) {
    TShellFixture f;
    const std::string ordered = f.dir.File("ordered.pci");
    TGenerateOptions o;
    o.Format = "pci";
    o.FileName = ordered;
    o.Hits = 300;
    o.Seed = 5;
    o.InOrder = true;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;
    f.dialogs.Files = {f.dir.File("p.xml"), ordered};
    TFChild* child = f.main->OpenProjectWindow({}, true);
    ASSERT_NE(child, nullptr);
    f.dialogs.Boxes.clear();
    f.dialogs.Titles.clear();
    f.SortDatabase(child);
    EXPECT_EQ(f.dialogs.Boxes, std::vector<std::string>{"DataBase - Ok!"});
    EXPECT_TRUE(f.dialogs.Titles.empty());
}

TEST(DataFile, AnUnsortedFileGetsASortedCopyButNeverOverItself) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    const std::string before = ReadText(f.data);
    const std::string copy = f.dir.File("sorted.pci");
    f.dialogs.Boxes.clear();
    f.dialogs.Titles.clear();
    // The data file's own name, in other letters, is refused.
    // So is the project file.
    const std::string project = child->Project().FileName();
    const std::string projectBytes = ReadText(project);
    f.dialogs.Files = {f.dir.File("RUN.PCI"), project, copy};
    f.SortDatabase(child);
    EXPECT_EQ(
        f.dialogs.Boxes,
        (std::vector<std::string>{
            "Invalid File Name: the target is the project's data file " + f.data,
            "Invalid File Name: the target is the project file " + project, "Completed Sorting!"}));
    EXPECT_EQ(f.dialogs.Titles, (std::vector<std::string>{"Save DataBase As", "Save DataBase As",
                                                          "Save DataBase As"}));
    EXPECT_EQ(ReadText(project), projectBytes);
    EXPECT_EQ(ReadText(f.data), before);
    // The copy passes the check.
    std::string error;
    ASSERT_TRUE(child->OpenDatabase(copy, error)) << error;
    f.dialogs.Boxes.clear();
    f.SortDatabase(child);
    EXPECT_EQ(f.dialogs.Boxes, std::vector<std::string>{"DataBase - Ok!"});
}

TEST(DataFile, RecordsOfAProcessorAreSavedAndACancelledDialogSaysNothing) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    f.dialogs.Boxes.clear();
    f.dialogs.Files = {""};
    f.SaveDatabase(child);
    EXPECT_TRUE(f.dialogs.Boxes.empty());
    const std::string copy = f.dir.File("all.pci");
    f.dialogs.Files = {copy};
    f.SaveDatabase(child);
    EXPECT_EQ(f.dialogs.Boxes, std::vector<std::string>{"Completed Saving!"});
    EXPECT_TRUE(std::filesystem::exists(copy));
}

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    TTempDir dir;
    TSingleInstance first(dir.File("Vorelt.lock"));
    TSingleInstance second(dir.File("Vorelt.lock"));
    EXPECT_TRUE(first.Acquire());
    EXPECT_FALSE(second.Acquire());
    first.Release();
    EXPECT_TRUE(second.Acquire());
}

TEST(Settings, AreKeptInTheUsersConfigurationFolder) {
    TTempDir dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.File("config")));
    const std::string folder = SettingsDirectory();
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
    EXPECT_EQ(folder, dir.File("config") + "/vorelt/");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    {
        TIniApplic settings(folder);
        settings.File().WriteString("Test", "Key", "1");
    }
    EXPECT_TRUE(std::filesystem::exists(folder + "vorelt.ini"));
}

TEST(Settings, OversizedMainBoundsAreClampedToTheScreen) {
    TTempDir dir;
    RegisterCoreClasses();
    TIniApplic settings(dir.Path() + "/");
    settings.WriteBounds("MAIN", -50, -40, 50000, 60000);
    settings.WriteInteger("WSTATE", "WSTATE", 0);
    TScriptedDialogs dialogs;
    TFMain main(settings);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(main.geometry().width(), screen.width());
    EXPECT_EQ(main.geometry().height(), screen.height());
    EXPECT_EQ(main.geometry().left(), 0);
    EXPECT_EQ(main.geometry().top(), 0);
}

TEST(DataFile, RefusedFilesAreNamedWithTheReason) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    const std::string text = f.dir.File("notes.txt");
    vorelt::test::WriteFileBytes(text, "not a recording\n");
    const std::string empty = f.dir.File("empty.pci");
    vorelt::test::WriteFileBytes(empty, "");
    // "Select Database", a file that is no recording, OK to try another, an empty file,
    // Cancel: each question names the file and the reason; the data file stays.
    f.dialogs.Boxes.clear();
    f.dialogs.Files = {text, empty};
    f.dialogs.Answers = {mrOK, mrCancel};
    child->ExecuteCommand(cmSelectDatabase);
    ASSERT_EQ(f.dialogs.Boxes.size(), 2u);
    EXPECT_EQ(f.dialogs.Boxes[0], text + ": This Type File Not Support\rOpen Other Database?");
    EXPECT_EQ(f.dialogs.Boxes[1],
              empty + ": This Type File Not Support: the file is empty\rOpen Other Database?");
    EXPECT_EQ(child->Project().DbName(), f.data);
    EXPECT_EQ(child->Project().Db().GetFileName(), f.data);
}

TEST(DataFile, ChangingTheTypeDoesWhatTheButtonsSay) {
    TShellFixture f;
    TFChild* child = f.NewProject("p.xml");
    ASSERT_NE(child, nullptr);
    TGenerateOptions o;
    o.Format = "disp";
    o.FileName = f.dir.File("other.DTA");
    o.Hits = 100;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;
    // Cancel keeps the data file open now, without another dialog.
    f.dialogs.Boxes.clear();
    f.dialogs.Files = {o.FileName};
    f.dialogs.Answers = {mrCancel};
    child->ExecuteCommand(cmSelectDatabase);
    ASSERT_EQ(f.dialogs.Boxes.size(), 1u);
    EXPECT_EQ(f.dialogs.Boxes[0], "Attention! You Change Type Database\rOpen Other Database?");
    EXPECT_TRUE(f.dialogs.Files.empty());
    EXPECT_EQ(child->Project().DbName(), f.data);
    EXPECT_EQ(child->Project().Db().GetFileName(), f.data);
    // OK opens the other database.
    f.dialogs.Boxes.clear();
    f.dialogs.Files = {o.FileName};
    f.dialogs.Answers = {mrOK};
    child->ExecuteCommand(cmSelectDatabase);
    ASSERT_EQ(f.dialogs.Boxes.size(), 1u);
    EXPECT_EQ(child->Project().DbName(), o.FileName);
    EXPECT_EQ(child->Project().Db().GetFileName(), o.FileName);
}
