#pragma once
// The settings frames of the two filtering processors. The filter: "Enable Filter", its
// condition, the "Comments" page with the title and "Save Db". The turn-off filter also has the
// two time windows, accepts digits only there, and says so when it stands below a location
// processor, where it does nothing.

#include "app/TParameterPages.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vorelt {

class TGVCPU;
class TGVCPUFltr;
class TGVCPUTurnOffFltr;
class TLCEditor;

// Stores the trimmed title when it differs from the processor's; true when it did.
bool CommitTitle(TGVCPU& processor, const std::string& typed);

class TfrmAeFltr : public QWidget, public IParameterPage {
    Q_OBJECT
public:
    TfrmAeFltr(TGVCPUFltr& filter, const TPageContext& context, QWidget* parent = nullptr);

    QTabWidget* Pages() const { return FPages; }
    QCheckBox* EnableBox() const { return FEnable; }
    TLCEditor* Editor() const { return FEditor; }
    QLineEdit* TitleEdit() const { return FTitle; }
    QPushButton* SaveDbButton() const { return FSaveDb; }

    void CommitEdits() override;

private:
    TGVCPUFltr& FFilter;
    TPageContext FContext;
    QTabWidget* FPages;
    QCheckBox* FEnable;
    TLCEditor* FEditor;
    QLineEdit* FTitle;
    QPushButton* FSaveDb;
};

class TfrmAeTurnOff : public QWidget, public IParameterPage {
    Q_OBJECT
public:
    TfrmAeTurnOff(TGVCPUTurnOffFltr& filter, const TPageContext& context,
                  QWidget* parent = nullptr);

    QTabWidget* Pages() const { return FPages; }
    QCheckBox* EnableBox() const { return FEnable; }
    QLabel* LocatedLabel() const { return FLocated; }
    QLineEdit* BeforeEdit() const { return FBefore; }
    QLineEdit* AfterEdit() const { return FAfter; }
    TLCEditor* Editor() const { return FEditor; }
    QLineEdit* TitleEdit() const { return FTitle; }

    // Leaving an edit: a changed value is stored (0 for text that is no integer).
    void BeforeEdited();
    void AfterEdited();
    void CommitEdits() override;

private:
    TGVCPUTurnOffFltr& FFilter;
    TPageContext FContext;
    QTabWidget* FPages;
    QCheckBox* FEnable;
    QLabel* FLocated;
    QLineEdit* FBefore;
    QLineEdit* FAfter;
    TLCEditor* FEditor;
    QLineEdit* FTitle;
};

} // namespace vorelt
