#pragma once
// The settings frame of the location processor: the event-building algorithm with its
// parameters, and the list of channels of abnormal type with the channel-type dialog.

#include "app/TParameterPages.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTreeWidget;

namespace vorelt {

class TGVCPULoc;

// "Add" or "Edit" of a channel type: a channel number or a range, and the type.
class TChannelTypeDialog : public QDialog {
    Q_OBJECT
public:
    // Adding offers Guard, Combined and Unused; editing shows the key read-only and offers
    // Normal to Unused with the current type chosen.
    TChannelTypeDialog(bool editing, const std::string& key, int currentType,
                       QWidget* parent = nullptr);
    QLineEdit* ChannelEdit() const { return FChannel; }
    QComboBox* TypeBox() const { return FType; }
    // OK: "Empty Channel" or "Invalid Channel" are shown and the dialog stays (false).
    bool TryAccept();
    // The accepted choice.
    int First() const { return FFirst; }
    int Last() const { return FLast; }
    bool IsRange() const { return FRange; }
    bool Ignored() const { return FIgnored; }
    int Type() const;

private:
    bool FEditing;
    QLineEdit* FChannel;
    QComboBox* FType;
    int FFirst = 0;
    int FLast = 0;
    bool FRange = false;
    bool FIgnored = false;
};

class TfrmAeLoc : public QWidget, public IParameterPage {
    Q_OBJECT
public:
    TfrmAeLoc(TGVCPULoc& location, const TPageContext& context, QWidget* parent = nullptr);

    QComboBox* AlgorithmBox() const { return FAlgorithm; }
    QStackedWidget* AlgorithmPages() const { return FStack; }
    QLineEdit* Edit(const char* key) const;
    QCheckBox* AMHCHBox() const { return FAMHCH; }
    QTreeWidget* ChannelList() const { return FChannels; }
    QPushButton* EditChannelButton() const { return FEditChannel; }

    // Leaving the combo: another algorithm is created with the values of its page.
    void AlgorithmLeft();
    // Leaving a parameter edit.
    void ParameterLeft(const char* key);
    void AMHCHLeft();
    void AddChannel();
    void EditChannel();
    void ClearChannels();
    void RefreshChannels();
    void CommitEdits() override;

private:
    void ShowValues();
    void Changed();
    bool RunDialog(QDialog& d);

    TGVCPULoc& FLocation;
    TPageContext FContext;
    QComboBox* FAlgorithm;
    QStackedWidget* FStack;
    std::vector<std::pair<std::string, QLineEdit*>> FEdits;
    QCheckBox* FAMHCH;
    QTreeWidget* FChannels;
    QPushButton* FEditChannel;
};

} // namespace vorelt
