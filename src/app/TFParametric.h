#pragma once
// The parametric fields window of the database processor ("PARAMETRIC") and its field dialog
// ("PARAMETRICFIELD"): add, edit, delete and inspect the fields that scale a raw parametric
// input of the data file.

#include "viewmodel/dialogs/conditioning/TParametricFields.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;

namespace vorelt {

class TGVDb;
class TIniApplic;

class TFParametricField : public QDialog {
    Q_OBJECT
public:
    TFParametricField(TParametricFields& fields, TParametricFieldEdit edit, TIniApplic* settings,
                      QWidget* parent = nullptr);
    ~TFParametricField() override;

    QTabWidget* Pages() const { return FPages; }
    QLineEdit* NameEdit() const { return FName; }
    QLineEdit* DisplayNameEdit() const { return FDisplayName; }
    QLineEdit* DimensionEdit() const { return FDimension; }
    QLineEdit* SourceText() const { return FSource; }
    QLineEdit* FactorEdit() const { return FFactor; }
    QLineEdit* OffsetEdit() const { return FOffset; }
    QMenu* SourceMenu() const { return FSourceMenu; }
    const TParametricFieldEdit& Edit() const { return FEdit; }

    // The source picker's menu for the current source.
    void PrepareSourceMenu();
    void ChooseSource(const TAEField* field);
    // OK: the checks in order; a failure shows its message, switches to its page and keeps
    // the dialog open.
    bool TryAccept();

private:
    TParametricFields& FFields;
    TParametricFieldEdit FEdit;
    TIniApplic* FSettings;
    QTabWidget* FPages;
    QLineEdit* FName;
    QLineEdit* FDisplayName;
    QLineEdit* FDimension;
    QLineEdit* FSource;
    QLineEdit* FFactor;
    QLineEdit* FOffset;
    QMenu* FSourceMenu;
};

class TFParametric : public QDialog {
    Q_OBJECT
public:
    TFParametric(TGVDb& db, TIniApplic* settings, QWidget* parent = nullptr);
    ~TFParametric() override;

    TParametricFields& Fields() { return FFields; }
    QTreeWidget* List() const { return FList; }
    QToolButton* Tool(const char* name) const;

    void Refresh();
    int Selected() const;
    void AddField();
    void EditField();
    void DeleteField();
    void Info();

protected:
    void done(int result) override;

private:
    void UpdateTools();
    void SaveBounds();

    TGVDb& FDb;
    TParametricFields FFields;
    TIniApplic* FSettings;
    QTreeWidget* FList;
    bool FSaved = false;
};

} // namespace vorelt
