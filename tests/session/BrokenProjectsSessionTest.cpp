// Broken demo projects opened in the application on a real X server, as the campaign breaks
// them for the command-line tools: "Open Project", every page shown, Run, and the window
// closed. None may crash the program or hang it; the recording stays as it was; a refused
// project says so in a message that names the project file.
//
// VORELT_BROKEN_PROJECTS sets how many cases run (default 60), VORELT_BROKEN_SEED the seed.

#include "../app/TDemoSession.h"
#include "common/TByteMutator.h"
#include "common/TViewProjectBreaker.h"

#include <QMdiArea>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <thread>

using namespace vorelt;
using namespace vorelt::test;

namespace {

int EnvInt(const char* name, int fallback) {
    const QByteArray v = qgetenv(name);
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n > 0 ? n : fallback;
}

// Ends the program with the case's description when one case takes longer than `limit`: a
// hung main thread cannot report itself.
class TWatchdog {
public:
    explicit TWatchdog(std::chrono::seconds limit) : FLimit(limit), FThread([this] { Watch(); }) {}
    ~TWatchdog() {
        {
            std::lock_guard lock(FMutex);
            FStop = true;
        }
        FWake.notify_all();
        FThread.join();
    }
    void Start(const std::string& what) {
        std::lock_guard lock(FMutex);
        FWhat = what;
        FSince = std::chrono::steady_clock::now();
        ++FCase;
        FWake.notify_all();
    }

private:
    void Watch() {
        std::unique_lock lock(FMutex);
        while (!FStop) {
            const int watched = FCase;
            const auto deadline = FSince + FLimit;
            if (FWake.wait_until(lock, deadline, [&] { return FStop || FCase != watched; }))
                continue;
            if (watched == 0) continue;
            std::fprintf(stderr, "hung for %lld s: %s\n", static_cast<long long>(FLimit.count()),
                         FWhat.c_str());
            std::fflush(stderr);
            std::abort();
        }
    }

    std::chrono::seconds FLimit;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::string FWhat;
    std::chrono::steady_clock::time_point FSince = std::chrono::steady_clock::now();
    int FCase = 0;
    bool FStop = false;
    std::thread FThread;
};

} // namespace

TEST(BrokenProjectsSession, OpenedShownRunAndClosedWithoutACrashOrAHang) {
    TDemoSession s(2000);
    ASSERT_TRUE(s.ShowMain());
    TFMain& main = *s.Main;
    TScriptedDialogs& dialogs = s.Dialogs;
    const std::string project = s.Project;
    const std::string data = s.Dir.File("demo.pci");
    const std::string seed = ReadFileBytes(project);
    const std::string recording = ReadFileBytes(data);
    ASSERT_FALSE(seed.empty());

    const int cases = EnvInt("VORELT_BROKEN_PROJECTS", 60);
    std::mt19937 rng(static_cast<uint32_t>(EnvInt("VORELT_BROKEN_SEED", 20261211)));
    TByteMutator mutator(rng());
    TWatchdog watchdog(std::chrono::seconds(120));
    int opened = 0, refused = 0, run = 0;
    for (int i = 0; i < cases; ++i) {
        std::string bytes = seed;
        const std::string what =
            "case " + std::to_string(i + 1) + ": " + BreakViewProject(bytes, rng, mutator);
        SCOPED_TRACE(what);
        WriteFileBytes(project, bytes);
        watchdog.Start(what);
        dialogs.Boxes.clear();
        dialogs.Titles.clear();
        dialogs.Files = {project};
        main.Action("mOpenProject")->trigger();
        // A window given up is deleted later: let it go before counting.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        TFChild* child = main.Children().isEmpty() ? nullptr : main.ActiveChild();
        if (!child) {
            ++refused;
            // A project that is not opened says why, naming the project or its data file; or
            // the user gave up a file dialog it showed (a project without a data file asks for
            // one).
            bool told = dialogs.Titles.size() > 1;
            for (const std::string& box : dialogs.Boxes)
                told = told || box.find("demo.xml") != std::string::npos ||
                       box.find("Open Other Database?") != std::string::npos;
            EXPECT_TRUE(told) << (dialogs.Boxes.empty() ? "no message" : dialogs.Boxes.back());
            continue;
        }
        ++opened;
        for (int page = 0; page < child->PageControl()->count(); ++page) {
            child->PageControl()->setCurrentIndex(page);
            QApplication::processEvents();
        }
        if (child->Action("mRun") && child->Action("mRun")->isEnabled()) {
            child->ExecuteCommand(cmRun);
            ++run;
        }
        for (int page = 0; page < child->PageControl()->count(); ++page) {
            child->PageControl()->setCurrentIndex(page);
            QApplication::processEvents();
        }
        EXPECT_EQ(main.Children().size(), 1);
        // Broken values mended when read mark the project modified; its close asks to save.
        dialogs.Answers = {mrNo};
        main.MdiArea()->closeAllSubWindows();
        // The closed window is deleted later: wait for it.
        for (int tries = 0; tries < 100 && !main.Children().isEmpty(); ++tries) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QApplication::processEvents();
        }
        ASSERT_TRUE(main.Children().isEmpty())
            << "the project window did not close; asked: "
            << (dialogs.Boxes.empty() ? "nothing" : dialogs.Boxes.back());
        EXPECT_EQ(ReadFileBytes(data), recording) << "the recording changed";
    }
    std::printf("broken projects in the window: %d cases, %d opened (%d run), %d refused\n", cases,
                opened, run, refused);
    EXPECT_EQ(opened + refused, cases);
    EXPECT_GT(run, 0);
}
