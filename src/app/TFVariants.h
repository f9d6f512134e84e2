#pragma once
// The variants editor: the project's named constants with their type and value, and the
// dialog that adds or edits one. The rules (checks, uses, deleting) are TVariantsRules'.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace vorelt {

class TGVVariant;
class TIniApplic;
class TProjectAE;

class TVariantDialog : public QDialog {
    Q_OBJECT
public:
    // Works on `variant` (a new one or a working copy); editing keeps the name read-only.
    TVariantDialog(TGVVariant& variant, bool editing, QWidget* parent = nullptr);
    QLineEdit* NameEdit() const { return FName; }
    QLineEdit* ValueEdit() const { return FValue; }
    QPushButton* SelectValueButton() const { return FSelect; }
    QMenu* SelectValueMenu() const { return FSelectMenu; }
    // OK: a refusal shows its text and the dialog stays (false).
    bool TryAccept();

private:
    TGVVariant& FVariant;
    QLineEdit* FName;
    QLineEdit* FValue;
    QPushButton* FSelect = nullptr;
    QMenu* FSelectMenu = nullptr;
};

class TFVariants : public QDialog {
    Q_OBJECT
public:
    TFVariants(TProjectAE& project, TIniApplic* settings, QWidget* parent = nullptr);
    ~TFVariants() override;

    QTreeWidget* List() const { return FList; }
    QMenu* AddMenu() const { return FAddMenu; }
    QPushButton* Button(const QString& name) const;

    void AddVariant(uint8_t kind);
    void EditVariant();
    void DeleteVariant();
    void Info();
    void Refresh();

private:
    void UpdateButtons();
    bool RunDialog(TVariantDialog& d);

    TProjectAE& FProject;
    TIniApplic* FSettings;
    QTreeWidget* FList;
    QMenu* FAddMenu;
    std::vector<QPushButton*> FButtons;
};

} // namespace vorelt
