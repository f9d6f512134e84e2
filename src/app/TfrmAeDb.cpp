#include "app/TfrmAeDb.h"

#include "drivers/TAEDriverDb.h"
#include "persist/TTextHelpers.h"
#include "processing/db/TGVDb.h"
#include "project/TProjectAE.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelt {

TfrmAeDb::TfrmAeDb(TGVDb& db, TProjectAE* project, QWidget* parent) : QWidget(parent) {
    setObjectName("frmAeDb");
    auto* layout = new QVBoxLayout(this);
    FInfo = new QPlainTextEdit(this);
    FInfo->setObjectName("DbInfo");
    FInfo->setReadOnly(true);
    QString text;
    if (TAEDriverDb* driver = db.Driver())
        for (const std::string& line : driver->InfoLines())
            text += QString::fromStdString(Trim(line)) + "\n";
    FInfo->setPlainText(text);
    layout->addWidget(FInfo, 1);
    auto* row = new QHBoxLayout();
    FSort = new QPushButton("Sort DataBase", this);
    FSort->setObjectName("btSortDataBase");
    FSort->setEnabled(db.Driver() != nullptr && project != nullptr);
    connect(FSort, &QPushButton::clicked, this, [&db, project] {
        if (project && project->OnSortDatabase) project->OnSortDatabase(*project, &db);
    });
    row->addWidget(FSort);
    row->addStretch(1);
    layout->addLayout(row);
}

} // namespace vorelt
