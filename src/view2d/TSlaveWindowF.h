#pragma once
// The detached window of a view: stay-on-top, system menu only, at least 350 x 350, holding
// a page control with the tab sheets "Data" and "Info" whose tabs are hidden.

#include <QDialog>
#include <QRect>
#include <functional>

class QStackedWidget;

namespace vorelt {

// Stored rectangle of a detached window; -1 until first used.
struct TSlaveRect {
    int32_t Top = -1;
    int32_t Left = -1;
    int32_t Width = -1;
    int32_t Height = -1;
    bool operator==(const TSlaveRect&) const = default;
};

// Where the window opens: a stored Top or Left of -1 centres it on the main window; the size
// is limited to the screen and the window moved fully onto it.
QRect PlaceSlaveWindow(const TSlaveRect& stored, const QRect& mainWindow, const QRect& screen,
                       const QSize& defaultSize = QSize(600, 450));

class TSlaveWindowF : public QDialog {
    Q_OBJECT
public:
    explicit TSlaveWindowF(QWidget* parent = nullptr);
    QWidget* DataSheet() const { return FData; }
    QWidget* InfoSheet() const { return FInfo; }
    QStackedWidget* Pages() const { return FPages; }
    std::function<void(TSlaveWindowF&)> OnClosing;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QStackedWidget* FPages;
    QWidget* FData;
    QWidget* FInfo;
    bool FClosing = false;
};

} // namespace vorelt
