#include "app/TFMain.h"
#include "app/TSingleInstance.h"
#include "persist/TNumberFormat.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TQtDialogService.h"
#include "view3d/RegisterView3dClasses.h"

#include <QApplication>
#include <QTimer>
#include <filesystem>

int main(int argc, char** argv) {
    using namespace vorelt;
    MaskFloatExceptions();
    // A second instance ends at once, before any window or message.
    TSingleInstance instance;
    if (!instance.Acquire()) return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorelt");
    TIniApplic settings(SettingsDirectory());
    RegisterCoreClasses();
    RegisterView2dClasses();
    RegisterView3dClasses();

    TQtDialogService dialogs;
    TScopedDialogService currentDialogs(dialogs);
    int result;
    {
        TFMain mainWindow(settings);
        dialogs.SetMainWindow(&mainWindow);
        mainWindow.show();
        if (argc > 1) {
            const std::string project =
                std::filesystem::absolute(argv[1]).lexically_normal().string();
            QTimer::singleShot(0, &mainWindow, [&mainWindow, project] {
                mainWindow.OpenProjectWindow(project, false);
            });
        }
        result = QApplication::exec();
    }
    std::string error;
    settings.Flush(error);
    return result;
}
