#pragma once
// The settings frame of the criterion processor: its criterion fields (added by type, plain or
// as links to another field's function output; edited; deleted only without uses; moved unless
// the lower one uses the upper one) and the criterion dialog. The checks are TCriterionRules'.

#include "app/TParameterPages.h"
#include "project/TCriterionRules.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;
class QTreeWidget;

namespace vorelt {

class IDialogService;
class TLCEditor;

class TCriterionDialog : public QDialog {
    Q_OBJECT
public:
    TCriterionDialog(TGVCPUCriterion& processor, TAEField& field, bool editing, bool link,
                     const QString& title, IDialogService* dialogs, QWidget* parent = nullptr);

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
    // The parameter's field, as "Select Field" chooses it.
    void SelectParameterField(const std::string& param, const std::string& fieldID);
    TCriterionInput Input() const;
    bool TryAccept();

private:
    void FillOutputs();

    TGVCPUCriterion& FProcessor;
    TAEField& FField;
    bool FEditing;
    bool FLink;
    IDialogService* FDialogs;
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

    static std::function<int(TCriterionDialog&)>& DialogRunner();

private:
    bool RunDialog(TCriterionDialog& d);
    void Message(const std::string& text);

    TGVCPUCriterion& FProcessor;
    TPageContext FContext;
    QTreeWidget* FList;
    QMenu* FAddMenu;
};

} // namespace vorelt
