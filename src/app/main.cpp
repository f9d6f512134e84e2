#include "app/TFMain.h"
#include "persist/TNumberFormat.h"

#include <QApplication>

int main(int argc, char** argv) {
    vorelt::MaskFloatExceptions();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorelt");
    vorelt::TFMain mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
