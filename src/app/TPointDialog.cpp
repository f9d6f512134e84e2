#include "app/TPointDialog.h"

#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vorelt {

TPointDialog::TPointDialog(int points, std::optional<TSecondsRange> axisSeconds,
                           long double loadMin, long double loadMax, QWidget* parent)
    : QDialog(parent), FAxis(axisSeconds), FLoadMin(loadMin), FLoadMax(loadMax) {
    setObjectName("PointDialog");
    setWindowTitle("Add Point");
    auto* box = new QVBoxLayout(this);
    const int count = points == 2 ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        auto* group =
            new QGroupBox(count == 2 ? (i == 0 ? "First Point" : "Second Point") : "", this);
        auto* form = new QFormLayout(group);
        auto* time = new QLineEdit(group);
        time->setObjectName(QString("edTime%1").arg(i));
        TNumberEdit::Attach(time, LoadLineRule);
        auto* load = new QLineEdit(group);
        load->setObjectName(QString("edLoad%1").arg(i));
        TNumberEdit::Attach(load, LoadLineRule);
        form->addRow("Value [S]", time);
        form->addRow("Value [MPa]", load);
        FTimes.push_back(time);
        FLoads.push_back(load);
        box->addWidget(group);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    box->addWidget(buttons);
}

bool TPointDialog::TryAccept() {
    std::vector<TGVCoord> points;
    for (size_t i = 0; i < FTimes.size(); ++i) {
        TGVCoord p;
        const std::string message =
            CheckPoint(FTimes[i]->text().toStdString(), FLoads[i]->text().toStdString(), FAxis,
                       FLoadMin, FLoadMax, p);
        if (!message.empty()) {
            // The edit at fault is marked (a time or load outside its range is no refused
            // number: the message says what is wrong).
            TNumberEdit::CheckAll({FTimes[i], FLoads[i]});
            Dialogs().ShowMessageBox(message, TMsgKind::Error, mbOK);
            return false;
        }
        points.push_back(p);
    }
    FPoints = std::move(points);
    return true;
}

} // namespace vorelt
