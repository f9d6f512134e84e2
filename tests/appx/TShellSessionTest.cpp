#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "app/TSingleInstance.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/TScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QProcess>
#include <QTabWidget>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

TEST(ShellSession, CreateRunSaveCloseAndReopenFromTheRecentList) {
    TTempDir dir;
    // A runtime folder of our own, so the lock is the test's and nobody else's.
    const std::string runtime = dir.File("run");
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    TSingleInstance instance;
    ASSERT_TRUE(instance.Acquire());

    RegisterCoreClasses();
    TLongShoF::SetMinimumShowTime(50);
    const std::string data = dir.File("session.pci");
    TGenerateOptions o;
    o.Format = "pci";
    o.FileName = data;
    o.Hits = 2000;
    o.Channels = 8;
    o.Seed = 11;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;

    TIniApplic settings(dir.Path() + "/");
    TScriptedDialogs dialogs;
    const std::string project = dir.File("session.xml");
    {
        TFMain main(settings, dialogs);
        main.show();
        QApplication::processEvents();
        dialogs.Files = {project, data};
        main.Action("mNewProject")->trigger();
        QApplication::processEvents();
        ASSERT_EQ(main.Children().size(), 1);
        TFChild* child = main.Children().first();
        ASSERT_EQ(child->PageControl()->count(), 1);
        EXPECT_EQ(child->PageControl()->tabText(0), "First Page");
        EXPECT_TRUE(child->isVisible());

        // A second start while this one runs ends at once, silently and successfully.
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
        second.setProcessEnvironment(env);
        second.start(QString(VORELT_BINARY_DIR) + "/src/app/vorelt", {});
        ASSERT_TRUE(second.waitForFinished(20000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(second.readAllStandardError().isEmpty());
        EXPECT_TRUE(second.readAllStandardOutput().isEmpty());

        dialogs.Boxes.clear();
        child->Action("mRun")->trigger();
        EXPECT_TRUE(dialogs.Boxes.empty());
        child->Action("mSaveProject")->trigger();
        EXPECT_EQ(dialogs.Boxes, std::vector<std::string>{"Operation Completed"});
        EXPECT_TRUE(std::filesystem::exists(project));
        EXPECT_TRUE(main.close());
        EXPECT_EQ(settings.ReadString("STACKPROJECT", "1", ""), project);
    }
    {
        TFMain main(settings, dialogs);
        main.show();
        QApplication::processEvents();
        QAction* recent = main.Action("mFStack0");
        ASSERT_NE(recent, nullptr);
        EXPECT_NE(recent->text().indexOf("1 "), -1);
        recent->trigger();
        QApplication::processEvents();
        ASSERT_EQ(main.Children().size(), 1);
        TFChild* child = main.Children().first();
        EXPECT_EQ(child->Project().FileName(), project);
        EXPECT_EQ(child->Project().DbName(), data);
        EXPECT_EQ(child->PageControl()->tabText(0), "First Page");
        EXPECT_EQ(child->CommandState(), csReady);
        EXPECT_TRUE(main.close());
    }
    instance.Release();
}
