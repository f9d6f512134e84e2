#include "app/TFMain.h"

#include <QLabel>
#include <QStatusBar>

namespace vorelt {

TFMain::TFMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Vorelt");
    setObjectName("FMain");
    auto* label = new QLabel("Vorelt: acoustic-emission test data workstation", this);
    label->setAlignment(Qt::AlignCenter);
    setCentralWidget(label);
    statusBar()->showMessage("Ready");
    resize(1024, 700);
}

} // namespace vorelt
