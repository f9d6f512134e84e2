#pragma once
// The settings frame of the math processor: its calculated fields (added by type, edited,
// deleted while nothing uses them, moved) and its two switches; and the calculated-field
// dialog, which defines a field by an expression or by a statistical function. The checks are
// TCalcFieldRules'.

#include "app/TParameterPages.h"
#include "viewmodel/dialogs/processors/TCalcFieldRules.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTreeWidget;

namespace vorelt {

class TAEField;
class TGVCPUPrc;

class TCalcFieldDialog : public QDialog {
    Q_OBJECT
public:
    TCalcFieldDialog(TGVCPUPrc& processor, TAEField& field, bool editing,
                     QWidget* parent = nullptr);

    QTabWidget* Pages() const { return FPages; }
    QLineEdit* NameEdit() const { return FName; }
    QLineEdit* DisplayNameEdit() const { return FDisplayName; }
    QLineEdit* DimensionEdit() const { return FDimension; }
    QRadioButton* ExpressionButton() const { return FExprMode; }
    QRadioButton* FunctionButton() const { return FFuncMode; }
    QPlainTextEdit* ExpressionEdit() const { return FExpression; }
    QMenu* FieldMenu() const { return FFieldMenu; }
    QMenu* VariantMenu() const { return FVariantMenu; }
    QMenu* FunctionMenu() const { return FFunctionMenu; }
    QLabel* FunctionLabel() const { return FFunctionName; }
    QCheckBox* GroupingBox() const { return FGrouping; }
    // The edit of a constant parameter; none for field parameters.
    QLineEdit* ConstantEdit(const std::string& param) const;

    // What the menus do.
    void SelectFunction(const std::string& name);
    void SelectParameterField(const std::string& param, const std::string& fieldID);
    void SelectGroupField(const std::string& fieldID);
    // "Check Expresion": "Ok" or the compiler's message.
    void CheckExpression();
    TCalcFieldInput Input() const;
    // OK: the checks in order; a failure shows its text and its page, the dialog stays.
    bool TryAccept();

private:
    void BuildParameters();
    void Prefill();
    void Show(const std::string& text);

    TGVCPUPrc& FProcessor;
    TAEField& FField;
    bool FEditing;
    QTabWidget* FPages;
    QLineEdit* FName;
    QLineEdit* FDisplayName;
    QLineEdit* FDimension;
    QRadioButton* FExprMode;
    QRadioButton* FFuncMode;
    QStackedWidget* FModes;
    QPlainTextEdit* FExpression;
    QMenu* FFieldMenu;
    QMenu* FVariantMenu;
    QMenu* FFunctionMenu;
    QLabel* FFunctionName;
    QLabel* FDescription;
    QWidget* FParamsBox;
    QFormLayout* FParamsLayout;
    QCheckBox* FGrouping;
    QLabel* FGroupLabel;
    std::string FFunction;
    std::string FGroupFieldID;
    std::vector<TStatFormParam> FParams;
    std::vector<std::pair<std::string, QLineEdit*>> FConstants;
    std::vector<std::pair<std::string, QLabel*>> FFieldLabels;
};

class TfrmAePrc : public QWidget, public IParameterPage {
    Q_OBJECT
public:
    TfrmAePrc(TGVCPUPrc& processor, const TPageContext& context, QWidget* parent = nullptr);

    QTreeWidget* FieldList() const { return FList; }
    QMenu* AddMenu() const { return FAddMenu; }
    QCheckBox* FirstHitBox() const { return FFirstHit; }
    QCheckBox* EnableCodeBox() const { return FEnableCode; }

    void AddField(uint8_t dataType);
    void EditField(int i);
    void DeleteField(int i);
    void MoveField(int i, int delta);
    void Refresh();
    void CommitEdits() override {}

private:
    bool RunDialog(TCalcFieldDialog& d);
    void Changed(bool propagate);

    TGVCPUPrc& FProcessor;
    TPageContext FContext;
    QTreeWidget* FList;
    QMenu* FAddMenu;
    QCheckBox* FFirstHit;
    QCheckBox* FEnableCode;
};

} // namespace vorelt
