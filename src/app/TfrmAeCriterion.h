#pragma once
// The settings frame of the criterion processor: its criterion fields (added by type, plain or
// as links to another field's function output; edited; deleted only without uses; moved unless
// the lower one uses the upper one) and the criterion dialog. The checks are TCriterionRules'.

#include "app/TParameterPages.h"
#include "viewmodel/dialogs/processors/TCriterionRules.h"

#include <QDialog>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTreeWidget;

namespace vorelt {

class ILCOwner;
class TIniApplic;
class TLCBase;
class TLCEditor;

class TCriterionDialog : public QDialog {
    Q_OBJECT
public:
    TCriterionDialog(TGVCPUCriterion& processor, TAEField& field, bool editing, bool link,
                     const QString& title, QWidget* parent = nullptr);
    ~TCriterionDialog() override;

    // Where "Select Sections" keeps its window bounds.
    void SetSettings(TIniApplic* settings) { FSettings = settings; }

    QTabWidget* Pages() const { return FPages; }
    QLineEdit* NameEdit() const { return FName; }
    QLineEdit* DisplayNameEdit() const { return FDisplayName; }
    QCheckBox* FunctionBox() const { return FEnableFunction; }
    QComboBox* FunctionCombo() const { return FFunction; }
    QComboBox* ResultTypeBox() const { return FResultType; }
    QTableWidget* WeightTable() const { return FWeights; }
    QPlainTextEdit* ExpressionEdit() const { return FExpression; }
    QComboBox* SourceBox() const { return FSource; }
    QComboBox* OutputBox() const { return FOutput; }
    QCheckBox* SectionBox() const { return FSection; }
    QCheckBox* FilterBox() const { return FEnableFilter; }
    // The condition editor works on a copy of the field's filter, taken over on OK.
    TLCEditor* ConditionEditor() const { return FEditor; }
    QTreeWidget* SectionList() const { return FSectionList; }
    QPushButton* SelectSectionsButton() const { return FSelectSections; }
    // The "Result Function" lines of the chosen function's outputs.
    QStringList OutputLines() const;
    // "Select Sections": the marked sections of the project replace the list on OK.
    void SelectSections();
    // The parameter's field, as "Select Field" chooses it.
    void SelectParameterField(const std::string& param, const std::string& fieldID);
    TCriterionInput Input() const;
    bool TryAccept();

private:
    void FillOutputs();
    void FillSectionList();
    void FillWeights(const TAECriterion& criterion);

    TGVCPUCriterion& FProcessor;
    TAEField& FField;
    bool FEditing;
    bool FLink;
    TIniApplic* FSettings = nullptr;
    QTabWidget* FPages;
    QLineEdit* FName;
    QLineEdit* FDisplayName;
    QLineEdit* FDimension;
    QCheckBox* FSection = nullptr;
    QCheckBox* FFirstHit = nullptr;
    QCheckBox* FEnableFilter = nullptr;
    QCheckBox* FEnableFunction = nullptr;
    QComboBox* FFunction = nullptr;
    QComboBox* FResultType = nullptr;
    QTableWidget* FWeights = nullptr;
    QPlainTextEdit* FExpression = nullptr;
    QComboBox* FSource = nullptr;
    QComboBox* FOutput = nullptr;
    std::vector<TStatFormParam> FParams;
    QWidget* FOutputLines = nullptr;
    TLCEditor* FEditor = nullptr;
    QTreeWidget* FSectionList = nullptr;
    QPushButton* FSelectSections = nullptr;
    std::vector<std::string> FSections;
    // The working copy of the filter and the owner it answers to (declared in this order, so
    // that the copy goes first).
    std::unique_ptr<ILCOwner> FConditionOwner;
    std::unique_ptr<TLCBase> FCondition;
};

class TfrmAeCriterion : public QWidget, public IParameterPage {
    Q_OBJECT
public:
    TfrmAeCriterion(TGVCPUCriterion& processor, const TPageContext& context,
                    QWidget* parent = nullptr);
    QTreeWidget* FieldList() const { return FList; }
    QMenu* AddMenu() const { return FAddMenu; }

    void AddField(uint8_t dataType, bool link);
    void EditField(int i);
    void DeleteField(int i);
    void MoveField(int i, int delta);
    void Refresh();
    void CommitEdits() override {}

private:
    bool RunDialog(TCriterionDialog& d);
    void Message(const std::string& text);

    TGVCPUCriterion& FProcessor;
    TPageContext FContext;
    QTreeWidget* FList;
    QMenu* FAddMenu;
};

} // namespace vorelt
