#pragma once
// The condition dialog: the field to test (from a menu of the fields that reach the owner), the
// comparison, and either a value typed in (checked by the field itself on OK) or a project
// variant of a fitting kind.

#include <QDialog>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace vorelt {

class TAEField;
class TAEListFields;
class TGVVariants;
class TLCCondition;

class TLCDialog : public QDialog {
    Q_OBJECT
public:
    // `layout` holds the fields offered; `variants` may be none.
    TLCDialog(const TAEListFields& layout, const TGVVariants* variants, bool editing,
              QWidget* parent = nullptr);
    ~TLCDialog() override;

    // Shows what the condition holds.
    void Prefill(const TLCCondition& condition);
    // Chooses the field (what a click in the field menu does); none clears.
    void SelectField(const TAEField* field);
    const TAEField* Field() const { return FField; }

    QPushButton* SelectFieldButton() const { return FSelectField; }
    QMenu* FieldMenu() const { return FFieldMenu; }
    QLabel* FieldLabel() const { return FFieldLabel; }
    QComboBox* OperationBox() const { return FOperation; }
    QLineEdit* ValueEdit() const { return FValue; }
    QComboBox* VariantBox() const { return FVariant; }
    QPushButton* OkButton() const { return FOk; }

    // OK: the value is checked by the field; a rejected value shows the field's own message
    // and keeps the dialog open (false).
    bool TryAccept();

    // The accepted condition.
    const std::string& FieldID() const { return FResultFieldID; }
    uint8_t Operation() const { return FResultOperation; }
    const std::string& Value() const { return FResultValue; }
    const std::string& VariantID() const { return FResultVariantID; }

private:
    void BuildFieldMenu();
    void VariantChosen(int index);

    const TAEListFields& FLayout;
    const TGVVariants* FVariants;
    const TAEField* FField = nullptr;
    QPushButton* FSelectField;
    QMenu* FFieldMenu;
    QLabel* FFieldLabel;
    QComboBox* FOperation;
    QLineEdit* FValue;
    QComboBox* FVariant;
    QPushButton* FOk;
    std::string FResultFieldID;
    uint8_t FResultOperation = 1;
    std::string FResultValue;
    std::string FResultVariantID;
};

} // namespace vorelt
