#include "../app/TAppSession.h"
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
#include <QMdiArea>
#include <QTabWidget>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TAppSession;
using vorelt::test::TScriptedDialogs;

TEST(ShellSession, CreateRunSaveCloseAndReopenFromTheRecentList) {
    TAppSession s;
    ASSERT_TRUE(s.AcquireInstance());
    TLongShoF::SetMinimumShowTime(50);
    const std::string data = s.GeneratedFile("session.pci", 2000, 8, 11);
    ASSERT_FALSE(data.empty());
    TScriptedDialogs& dialogs = s.Dialogs;
    const std::string project = s.Dir.File("session.xml");
    {
        TFMain& main = s.ShowMainWindow();
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
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(s.Runtime));
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
        EXPECT_EQ(s.Settings->ReadString("STACKPROJECT", "1", ""), project);
    }
    {
        TFMain& main = s.ShowMainWindow();
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
}
