#pragma once
// The database processor's parameter page: what the driver tells about the open data file,
// and the "Sort DataBase" command that checks the file's time order and writes a sorted copy.

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace vorelt {

class TGVDb;
class TProjectAE;

class TfrmAeDb : public QWidget {
    Q_OBJECT
public:
    TfrmAeDb(TGVDb& db, TProjectAE* project, QWidget* parent = nullptr);
    QPlainTextEdit* InfoText() const { return FInfo; }
    QPushButton* SortButton() const { return FSort; }

private:
    QPlainTextEdit* FInfo;
    QPushButton* FSort;
};

} // namespace vorelt
