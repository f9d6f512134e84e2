// The project window never writes a project over its data file, and its status line tells
// what opening found wrong with the data file.

#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "common/TestData.h"
#include "drivers/TAEDriverDb.h"
#include "drivers/TLogFile.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEMessageNumbers.h"
#include "model/TAERecordProtocol.h"
#include "processing/db/TGVDb.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/TScriptedDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

struct TSafeShell {
    TTempDir dir;
    std::unique_ptr<TIniApplic> settings;
    TScriptedDialogs dialogs;
    std::unique_ptr<TFMain> main;

    TSafeShell() {
        RegisterCoreClasses();
        TLongShoF::SetMinimumShowTime(0);
        settings = std::make_unique<TIniApplic>(dir.Path() + "/");
        main = std::make_unique<TFMain>(*settings);
        main->show();
    }
    std::string Generate(const std::string& format, const std::string& name) {
        TGenerateOptions o;
        o.Format = format;
        o.FileName = dir.File(name);
        o.Hits = 200;
        o.Channels = 4;
        o.Seed = 9;
        std::string error;
        EXPECT_TRUE(GenerateDataFile(o, error)) << error;
        return o.FileName;
    }
    int WindowCount() {
        QApplication::processEvents();
        return static_cast<int>(main->MdiArea()->subWindowList().size());
    }
};

} // namespace

TEST(SafeProject, SaveAsRefusesTheDataFileAndAsksAgain) {
    TSafeShell s;
    const std::string data = s.Generate("disp", "run.DTA");
    s.dialogs.Files = {s.dir.File("p.xml"), data};
    TFChild* child = s.main->OpenProjectWindow({}, true);
    ASSERT_NE(child, nullptr);
    const std::string bytes = test::ReadFileBytes(data);
    const std::string log = test::ReadFileBytes(s.dir.File("run.log"));
    // The save dialog is given the data file, then its log; the question to try again is
    // answered OK the first time, Cancel the second.
    s.dialogs.Boxes.clear();
    s.dialogs.Files = {data, s.dir.File("run.log")};
    s.dialogs.Answers = {mrOK, mrCancel};
    child->ExecuteCommand(cmSaveAs);
    ASSERT_EQ(s.dialogs.Boxes.size(), 2u);
    EXPECT_EQ(s.dialogs.Boxes[0], "Error Saving Project: the target is the project's data file " +
                                      data + "\rTry Save Project Again?");
    EXPECT_EQ(s.dialogs.Boxes[1].rfind("Error Saving Project: the target is the data file's "
                                       "companion log ",
                                       0),
              0u)
        << s.dialogs.Boxes[1];
    EXPECT_EQ(test::ReadFileBytes(data), bytes);
    EXPECT_EQ(test::ReadFileBytes(s.dir.File("run.log")), log);
    EXPECT_EQ(child->Project().FileName(), s.dir.File("p.xml"));
}

TEST(SafeProject, NewProjectOverADataFileIsRefused) {
    TSafeShell s;
    const std::string data = s.Generate("pci", "run.pci");
    const std::string bytes = test::ReadFileBytes(data);
    // The new project's file is the data file itself; overwriting is confirmed.
    s.dialogs.Files = {data, data};
    s.dialogs.Answers = {mrOK};
    EXPECT_EQ(s.main->OpenProjectWindow({}, true), nullptr);
    EXPECT_TRUE(s.dialogs.Asked("Error Saving Project: the target is the project's data file"));
    EXPECT_EQ(s.WindowCount(), 0);
    EXPECT_EQ(test::ReadFileBytes(data), bytes);
}

TEST(SafeProject, StatusLineShowsWhatOpeningFound) {
    TSafeShell s;
    const std::string data = s.Generate("disp", "run.DTA");
    const size_t size = std::filesystem::file_size(data);
    test::WriteFileBytes(data, test::ReadFileBytes(data) + std::string(65536, '\0'));
    s.dialogs.Files = {s.dir.File("p.xml"), data};
    TFChild* child = s.main->OpenProjectWindow({}, true);
    ASSERT_NE(child, nullptr);
    const std::string status = s.main->StatusPanel(2)->text().toStdString();
    EXPECT_NE(status.find("Ready; warning: 32768 Unknown Or Empty Messages In A Row From Byte "
                          "Offset " +
                          std::to_string(size)),
              std::string::npos)
        << status;
}

TEST(SafeProject, StatusLineShowsADamagedLogAndWhereItIsKept) {
    TSafeShell s;
    const std::string data = s.Generate("spartan", "run.spt");
    const std::string log = s.dir.File("run.log");
    s.dialogs.Files = {s.dir.File("p.xml"), data};
    {
        TFChild* child = s.main->OpenProjectWindow({}, true);
        ASSERT_NE(child, nullptr);
        // A deleted group gives the data file its log.
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = {1};
        child->Project().Db().Driver()->HandleMessage(del);
        child->Project().SetModified(false);
        s.dialogs.Answers = {mrNo};
        child->parentWidget()->close();
        ASSERT_EQ(s.WindowCount(), 0);
    }
    const std::string clean = test::ReadFileBytes(log);
    ASSERT_FALSE(clean.empty());
    test::WriteFileBytes(log, clean + "\x30");
    s.dialogs.Files = {};
    TFChild* child = s.main->OpenProjectWindow(s.dir.File("p.xml"), false);
    ASSERT_NE(child, nullptr);
    const std::string status = s.main->StatusPanel(2)->text().toStdString();
    EXPECT_NE(
        status.find("warning: Log File Damaged At Byte Offset " + std::to_string(clean.size())),
        std::string::npos)
        << status;
    EXPECT_NE(status.find(log + ".damaged"), std::string::npos) << status;
    EXPECT_EQ(test::ReadFileBytes(log + ".damaged"), clean + "\x30");
}

TEST(SafeProject, ClosingWhenTheLogCannotBeWrittenOffersToKeepTheGroups) {
    TSafeShell s;
    const std::string data = s.Generate("pci", "run.pci");
    s.dialogs.Files = {s.dir.File("p.xml"), data};
    TFChild* child = s.main->OpenProjectWindow({}, true);
    ASSERT_NE(child, nullptr);
    child->Project().SetModified(false);
    TAEDriverDb* driver = child->Project().Db().Driver();
    ASSERT_NE(driver, nullptr);
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {1, 2, 3};
    driver->HandleMessage(del);
    // The log cannot be written: a folder has taken its name.
    const std::string log = s.dir.File("run.log");
    std::filesystem::create_directory(log);

    // The project is not saved (No); then Cancel: the window stays, with its groups.
    s.dialogs.Boxes.clear();
    s.dialogs.Answers = {mrNo, mrCancel};
    child->parentWidget()->close();
    EXPECT_EQ(s.WindowCount(), 1);
    ASSERT_EQ(s.dialogs.Boxes.size(), 2u);
    EXPECT_NE(s.dialogs.Boxes[1].find("The deleted and selected groups cannot be kept: "),
              std::string::npos);
    EXPECT_NE(s.dialogs.Boxes[1].find(log), std::string::npos) << s.dialogs.Boxes[1];

    // OK: the groups go to a file the user names, then the window closes.
    const std::string kept = s.dir.File("kept.log");
    s.dialogs.Answers = {mrNo, mrOK};
    s.dialogs.Files = {kept};
    child->parentWidget()->close();
    EXPECT_EQ(s.WindowCount(), 0);
    TLogFile reader;
    TRecordGroups selected, deleted;
    std::filesystem::remove(log);
    std::filesystem::copy_file(kept, log);
    reader.Open(data, selected, deleted);
    EXPECT_EQ(deleted, (TRecordGroups{{1, 2, 3}}));
}
