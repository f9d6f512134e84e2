#pragma once
// The status window of long operations: a small stay-on-top window without border icons,
// centred on the main window, with a word-wrapped label. Once shown it stays up for at least
// 500 ms, so a quick operation does not flicker.

#include "project/IStatusDisplay.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QLabel;

namespace vorelt {

class TLongShoF : public QDialog, public IStatusDisplay {
    Q_OBJECT
public:
    explicit TLongShoF(QWidget* mainWindow = nullptr);
    void ShowText(const std::string& text) override;
    void HideText() override;
    QLabel* Label() const { return FMsg; }
    // Tests shorten the minimum display time.
    static void SetMinimumShowTime(int ms);
    static int MinimumShowTime();

private:
    QLabel* FMsg;
    QPointer<QWidget> FMain;
    QElapsedTimer FShownAt;
};

} // namespace vorelt
