#pragma once
// While the views of a page fill, the status bar counts the records read and, once the fill
// has lasted about half a second, a box shows the percentage read with a Cancel button;
// Cancel or Escape asks the fill to stop (the views read it as the record protocol's abort
// flag). The window keeps answering: it repaints and its menus open, but the commands that
// cannot run during a fill are disabled until it ends, and other clicks and keys wait.

#include "project/TFillProgress.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;
class QAction;

namespace vorelt {

// The box of a long fill: what is read, the bar, and Cancel.
class TFillProgressBox : public QDialog {
    Q_OBJECT
public:
    explicit TFillProgressBox(QWidget* mainWindow);
    void Show(int percent, const std::string& text);
    QProgressBar* Bar() const { return FBar; }
    QPushButton* CancelButton() const { return FCancel; }
    QLabel* Label() const { return FText; }

private:
    QLabel* FText;
    QProgressBar* FBar;
    QPushButton* FCancel;
};

class TFillStop : public QObject {
    Q_OBJECT
public:
    // Shows progress on `status` (none: nowhere) and the box over `mainWindow`, whose commands
    // wait for the fill; the fill being run is the current one.
    explicit TFillStop(QLabel* status, QWidget* mainWindow = nullptr);
    ~TFillStop() override;

    // The fill being run, none between fills.
    static TFillStop* Current();

    bool Stopped() const { return FProgress.Stopped(); }
    void Stop() { FProgress.Stop(); }
    // Records passed of the total so far (0: not known): the status text, the box when the
    // fill has lasted long enough, and pending window messages are handled.
    void Progress(int64_t records, int64_t total = 0);
    int64_t LastProgress() const { return FProgress.Done(); }
    // The box, once shown.
    TFillProgressBox* Box() const { return FBox; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DisableCommands();
    bool ForBox(QObject* watched) const;

    QLabel* FStatus;
    QPointer<QWidget> FMain;
    QString FSaved;
    TFillStop* FOuter;
    TFillProgress FProgress;
    QPointer<TFillProgressBox> FBox;
    QList<QPointer<QAction>> FDisabled;
};

} // namespace vorelt
