#pragma once
// The table's find window: the search condition as an editable tree with its text below, and
// the "Seek" button with its three modes (from the first row, after the current row, from the
// current row). Stay-on-top; Esc closes it. A row found is scrolled into the middle of the
// grid, and the window steps off it.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace vorelt {

class TLCEditor;
class TTableVC;

class TFindTextF : public QDialog {
    Q_OBJECT
public:
    explicit TFindTextF(TTableVC& view, QWidget* parent = nullptr);

    TLCEditor* Editor() const { return FEditor; }
    QPushButton* SeekButton() const { return FSeek; }
    QCheckBox* NewSeekBox() const { return FNewSeek; }
    QLabel* StatusLabel() const { return FStatus; }
    int Mode() const { return FMode; }
    // One search by the current mode; the grid row found, or -1.
    int Seek();

private:
    void NewSeekToggled(bool on);
    // Moves the window off the row (screen coordinates) when it covers it.
    void KeepOffRow(const QRect& row);

    TTableVC& FView;
    TLCEditor* FEditor;
    QPushButton* FSeek;
    QCheckBox* FNewSeek;
    QLabel* FStatus;
    int FMode = 0;
};

} // namespace vorelt
