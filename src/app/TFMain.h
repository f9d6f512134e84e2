#pragma once

#include <QMainWindow>

namespace vorelt {

class TFMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFMain(QWidget* parent = nullptr);
};

} // namespace vorelt
