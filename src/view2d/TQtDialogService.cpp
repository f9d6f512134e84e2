#include "view2d/TQtDialogService.h"

#include "view2d/TCanvasDraw.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>

namespace vorelt {

namespace {

IDialogService*& Current() {
    static IDialogService* current = nullptr;
    return current;
}

} // namespace

IDialogService& Dialogs() {
    if (Current()) return *Current();
    static TQtDialogService platform;
    return platform;
}

TScopedDialogService::TScopedDialogService(IDialogService& service) : FPrevious(Current()) {
    Current() = &service;
}

TScopedDialogService::~TScopedDialogService() {
    Current() = FPrevious;
}

namespace {

// A "(*.xml)" group at either end of a description repeats the patterns that Qt adds itself.
QString WithoutPatternGroup(QString desc) {
    desc = desc.trimmed();
    static const QRegularExpression leading(R"(^\(\s*\*[^)]*\)\s*)");
    static const QRegularExpression trailing(R"(\s*\(\s*\*[^)]*\)$)");
    desc.remove(leading);
    desc.remove(trailing);
    return desc.trimmed();
}

} // namespace

QString QtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            // Files without an extension count as well.
            if (p == "*.*") p = "*";
        }
        QString desc = WithoutPatternGroup(parts[i]);
        if (desc.isEmpty() || desc.startsWith('*'))
            desc = patterns == QStringList{"*"} ? QString("All Files") : QString("Files");
        out << desc + " (" + patterns.join(' ') + ")";
    }
    return out.join(";;");
}

QString DefaultSuffix(const std::string& defaultExt) {
    QString s = QString::fromStdString(defaultExt);
    if (s.startsWith("*.")) s = s.mid(2);
    if (s == "*") s.clear();
    return s;
}

namespace {

bool RunFileDialog(QWidget* parent, const TFileDialogOptions& o, bool save, std::string& fileName) {
    QFileDialog dialog(parent, QString::fromStdString(o.Title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !o.MustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFileFilter(o.Filter));
    dialog.setDefaultSuffix(DefaultSuffix(o.DefaultExt));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !o.ConfirmOverwrite);
    if (!o.InitialFile.empty()) dialog.selectFile(QString::fromStdString(o.InitialFile));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    fileName = dialog.selectedFiles().first().toStdString();
    return true;
}

} // namespace

bool TQtDialogService::OpenFile(const TFileDialogOptions& options, std::string& fileName) {
    return RunFileDialog(FMain, options, false, fileName);
}

bool TQtDialogService::SaveFile(const TFileDialogOptions& options, std::string& fileName) {
    return RunFileDialog(FMain, options, true, fileName);
}

int TQtDialogService::ShowMessageBox(const std::string& text, TMsgKind kind, int buttons,
                                     const std::string& caption) {
    QMessageBox box(FMain);
    box.setWindowTitle(caption.empty() ? QString("Vorelt") : QString::fromStdString(caption));
    box.setText(QString::fromStdString(text).replace("\r\n", "\n").replace('\r', '\n'));
    switch (kind) {
    case TMsgKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMsgKind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case TMsgKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case TMsgKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    QMessageBox::StandardButtons set;
    if (buttons & mbOK) set |= QMessageBox::Ok;
    if (buttons & mbYes) set |= QMessageBox::Yes;
    if (buttons & mbNo) set |= QMessageBox::No;
    if (buttons & mbCancel) set |= QMessageBox::Cancel;
    box.setStandardButtons(set);
    box.adjustSize();
    if (FMain) {
        const QRect m = FMain->frameGeometry();
        box.move(m.left() + m.width() / 2 - box.width() / 2,
                 m.top() + m.height() / 2 - box.height() / 2);
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return mrOK;
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    case QMessageBox::Cancel:
        return mrCancel;
    default:
        return (buttons & mbCancel) ? mrCancel : mrOK;
    }
}

bool TQtDialogService::ChooseColor(TColor initial, TColor& chosen) {
    const QColor c = QColorDialog::getColor(TCanvasDraw::ToQColor(initial), FMain);
    if (!c.isValid()) return false;
    chosen = TCanvasDraw::FromQColor(c);
    return true;
}

bool TQtDialogService::InputText(const std::string& caption, const std::string& prompt,
                                 std::string& text) {
    QWidget* parent = QApplication::activeWindow();
    bool ok = false;
    const QString answer = QInputDialog::getText(
        parent ? parent : FMain.data(), QString::fromStdString(caption),
        QString::fromStdString(prompt), QLineEdit::Normal, QString::fromStdString(text), &ok);
    if (ok) text = answer.toStdString();
    return ok;
}

int TQtDialogService::Run(QDialog& dialog) {
    return dialog.exec();
}

QAction* TQtDialogService::Popup(QMenu& menu, const QPoint& position) {
    return menu.exec(position);
}

} // namespace vorelt
