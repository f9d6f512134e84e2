#include "view2d/TNumberEdit.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QValidator>
#include <algorithm>

namespace vorelt {

namespace {

const QColor RefusedBackground(255, 200, 200);

class TNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (c.unicode() < 0x80 && !AcceptsNameChar(static_cast<char>(c.unicode())))
                return Invalid;
        return Acceptable;
    }
};

} // namespace

TNumberEdit::TNumberEdit(QLineEdit* edit, TRuleSource rule)
    : QObject(edit), FEdit(edit), FRule(std::move(rule)), FPalette(edit->palette()) {
    setObjectName("numberEdit");
    connect(edit, &QLineEdit::textEdited, this, [this] { Typed(); });
    // A text set by the window (a stored value, a refusal put right) takes the mark away or
    // renews it once the user has typed.
    connect(edit, &QLineEdit::textChanged, this, [this] {
        if (FTouched || FMarked) Check();
    });
}

TNumberEdit* TNumberEdit::Attach(QLineEdit* edit, TNumberRule rule) {
    return Attach(edit, [rule] { return rule; });
}

TNumberEdit* TNumberEdit::Attach(QLineEdit* edit, TRuleSource rule) {
    if (TNumberEdit* old = Of(edit)) delete old;
    return new TNumberEdit(edit, std::move(rule));
}

TNumberEdit* TNumberEdit::Of(const QLineEdit* edit) {
    return edit ? edit->findChild<TNumberEdit*>("numberEdit", Qt::FindDirectChildrenOnly) : nullptr;
}

bool TNumberEdit::IsMarked(const QLineEdit* edit) {
    return edit && edit->property(MarkProperty).toBool();
}

TNumberRule TNumberEdit::Rule() const {
    return FRule ? FRule() : TNumberRule{};
}

void TNumberEdit::Typed() {
    FTouched = true;
    const QString text = FEdit->text();
    if (text.contains('.')) {
        const int caret = FEdit->cursorPosition();
        FEdit->setText(QString::fromStdString(DecimalCommaText(text.toStdString())));
        FEdit->setCursorPosition(caret);
    }
    Check();
}

std::string TNumberEdit::Check() {
    FTouched = true;
    std::string refusal;
    if (FEdit->isEnabled() && !FEdit->isReadOnly())
        refusal = NumberTextError(Rule(), FEdit->text().toStdString());
    Mark(refusal);
    return refusal;
}

void TNumberEdit::Mark(const std::string& refusal) {
    const bool marked = !refusal.empty();
    FEdit->setToolTip(QString::fromStdString(refusal));
    if (marked == FMarked) return;
    FMarked = marked;
    FEdit->setProperty(MarkProperty, marked);
    if (marked) {
        FPalette = FEdit->palette();
        QPalette p = FPalette;
        p.setColor(QPalette::Base, RefusedBackground);
        FEdit->setPalette(p);
    } else {
        FEdit->setPalette(FPalette);
    }
}

std::string TNumberEdit::CheckAll(std::initializer_list<QLineEdit*> edits) {
    return CheckAll(std::vector<QLineEdit*>(edits));
}

std::string TNumberEdit::CheckAll(const std::vector<QLineEdit*>& edits) {
    std::string first;
    QLineEdit* firstEdit = nullptr;
    for (QLineEdit* e : edits) {
        TNumberEdit* n = Of(e);
        if (!n) continue;
        const std::string refusal = n->Check();
        if (!refusal.empty() && !firstEdit) {
            first = refusal;
            firstEdit = e;
        }
    }
    if (firstEdit) {
        firstEdit->setFocus();
        firstEdit->selectAll();
    }
    return first;
}

void AttachNumberCells(QTableWidget* table, std::vector<int> columns, TNumberRule rule) {
    rule.EmptyAllowed = true;
    QObject::connect(
        table, &QTableWidget::itemChanged, table,
        [columns = std::move(columns), rule](QTableWidgetItem* item) {
            if (std::find(columns.begin(), columns.end(), item->column()) == columns.end()) return;
            const QString text = item->text();
            if (text.contains('.')) {
                // Comes back here once with the comma.
                item->setText(QString::fromStdString(DecimalCommaText(text.toStdString())));
                return;
            }
            const std::string refusal = NumberTextError(rule, text.toStdString());
            item->setToolTip(QString::fromStdString(refusal));
            item->setBackground(refusal.empty() ? QBrush() : QBrush(RefusedBackground));
        });
}

void AttachNameKeys(QLineEdit* edit) {
    edit->setValidator(new TNameValidator(edit));
}

} // namespace vorelt
