#pragma once
// The application's surroundings for a window test or a session on a real X server: a
// temporary folder with a runtime folder of its own (so the single-instance lock and the
// settings are the test's and nobody else's), the registered classes, the scripted dialogs and
// the main window. TDemoSession adds the demo project.

#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "app/TSingleInstance.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TGraphVC.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableVC.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TGraph3DVC.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace vorelt::test {

class TAppSession {
public:
    TAppSession() {
        Runtime = Dir.File("run");
        std::filesystem::create_directory(Runtime);
        std::filesystem::permissions(Runtime, std::filesystem::perms::owner_all);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(Runtime));
        RegisterCoreClasses();
        RegisterView2dClasses();
        RegisterView3dClasses();
        TLongShoF::SetMinimumShowTime(0);
        Settings = std::make_unique<TIniApplic>(Dir.Path() + "/");
    }
    virtual ~TAppSession() {
        if (Main) Main->close();
    }
    TAppSession(const TAppSession&) = delete;
    TAppSession& operator=(const TAppSession&) = delete;

    // The main window without a project, shown; a main window shown before is gone first, as
    // when the program is closed and started again. On a real X server the window sits in the
    // screen's corner (screenshots of the screen show it whole) and is on the screen on return.
    TFMain& ShowMainWindow(int width = 1280, int height = 900) {
        Main.reset();
        Main = std::make_unique<TFMain>(*Settings);
        const bool x11 = QGuiApplication::platformName() == "xcb";
        if (x11) Main->move(0, 0);
        Main->resize(width, height);
        Main->show();
        if (x11) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(Main.get()));
        }
        QApplication::processEvents();
        return *Main;
    }

    // A new project on the data file `data` in the main window (shown first when it is not),
    // made as "New Project" makes it, with the project file `project` in the folder; null when
    // it was refused.
    TFChild* NewProjectWindow(const std::string& data, const std::string& project = "p.xml") {
        if (!Main) ShowMainWindow();
        Dialogs.Files = {Dir.File(project), data};
        return Main->OpenProjectWindow({}, true);
    }

    // Closes the main window and lets it go, as when the program ends.
    void CloseMain() {
        if (Main) Main->close();
        Main.reset();
    }

    // Takes the single-instance lock in the test's runtime folder, as the program does when it
    // starts; false when another holder has it.
    bool AcquireInstance() {
        Instance = std::make_unique<TSingleInstance>();
        return Instance->Acquire();
    }

    // Makes the demo project with vorelt-mkdemo in `folder` (of `hits` hits; the demo's own
    // number when 0) and gives the path of its project file, which exists when all went well.
    static std::string MakeDemo(const std::string& folder, int hits = 0) {
        QStringList args{QString::fromStdString(folder)};
        if (hits > 0) args << "--hits" << QString::number(hits);
        QProcess::execute(QString(VORELT_BINARY_DIR) + "/demo/vorelt-mkdemo", args);
        return folder + "/demo.xml";
    }

    // A generated data file `name` in the folder, of the format its extension names; empty
    // (and the test failed) when it could not be written.
    std::string GeneratedFile(const std::string& name, uint64_t hits, int channels, uint64_t seed) {
        TGenerateOptions o;
        o.Format = std::filesystem::path(name).extension().string().substr(1);
        o.FileName = Dir.File(name);
        o.Hits = hits;
        o.Channels = channels;
        o.Seed = seed;
        std::string error;
        if (GenerateDataFile(o, error)) return o.FileName;
        ADD_FAILURE() << name << ": " << error;
        return {};
    }

    TTempDir Dir;
    std::string Runtime;
    std::unique_ptr<TIniApplic> Settings;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TSingleInstance> Instance;
    std::unique_ptr<TFMain> Main;
};

// The views placed on the pages of a project window: the graph titled `title`, the first table,
// the 3D graph; null when there is none.
inline TGraphVC* PlacedGraph(TFChild& child, const std::string& title) {
    TGraphVC* found = nullptr;
    child.ForEachPlacedView([&](int, int, TGVVisualClass* v) {
        auto* g = dynamic_cast<TGraphVC*>(v);
        if (g && g->Title() == title) found = g;
    });
    return found;
}
inline TTableVC* PlacedTable(TFChild& child) {
    TTableVC* found = nullptr;
    child.ForEachPlacedView([&](int, int, TGVVisualClass* v) {
        if (!found) found = dynamic_cast<TTableVC*>(v);
    });
    return found;
}
inline TGraph3DVC* Placed3D(TFChild& child) {
    TGraph3DVC* found = nullptr;
    child.ForEachPlacedView([&](int, int, TGVVisualClass* v) {
        if (auto* g = dynamic_cast<TGraph3DVC*>(v)) found = g;
    });
    return found;
}

// The standard output of a program of the build run to its end; what it wrote to standard
// error goes to the test's log.
inline std::string RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    const std::string err = p.readAllStandardError().toStdString();
    if (!err.empty()) std::fprintf(stderr, "%s: %s\n", qPrintable(program), err.c_str());
    return p.readAllStandardOutput().toStdString();
}

// Where a picture named `name` goes: the folder VORELT_SHOTS names; empty when it is not set.
inline std::string ShotFile(const std::string& name) {
    const std::string dir = qEnvironmentVariable("VORELT_SHOTS").toStdString();
    return dir.empty() ? dir : dir + "/" + name;
}

// The whole screen as the X server shows it, saved to `file` (nothing when it is empty): every
// window paints now and the X server has drawn it all (a round trip) before the screen is read.
inline void ShootScreen(const std::string& file) {
    if (file.empty()) return;
    QApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) w->repaint();
    QGuiApplication::sync();
    QApplication::processEvents();
    QProcess::execute("import", {"-window", "root", QString::fromStdString(file)});
}

} // namespace vorelt::test
