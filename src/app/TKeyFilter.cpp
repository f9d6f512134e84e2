#include "app/TKeyFilter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace vorelt {

TKeyFilter::TKeyFilter(QLineEdit* edit) : QObject(edit) {
    edit->installEventFilter(this);
}

TKeyFilter* TKeyFilter::Install(QLineEdit* edit, TKeyRule rule) {
    auto* f = new TKeyFilter(edit);
    f->SetRule(rule);
    return f;
}

TKeyFilter* TKeyFilter::Install(QLineEdit* edit, TCheck check) {
    auto* f = new TKeyFilter(edit);
    f->FCheck = std::move(check);
    return f;
}

void TKeyFilter::SetRule(TKeyRule rule) {
    FCheck = [rule](const std::string& text, int caret, char ch) {
        return AcceptsKey(rule, text, caret, ch);
    };
}

bool TKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !FCheck) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    if (typed.size() != 1 || typed[0].unicode() < 32) return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return false;
    // Characters outside the single-byte range are never part of numbers or names here.
    const char16_t u = typed[0].unicode();
    if (u > 0x7F) return !FCheck(edit->text().toStdString(), edit->cursorPosition(), '\x7F');
    QString rest = edit->text();
    int caret = edit->cursorPosition();
    if (edit->hasSelectedText()) {
        caret = edit->selectionStart();
        rest.remove(caret, edit->selectedText().size());
    }
    return !FCheck(rest.toStdString(), caret, static_cast<char>(u));
}

} // namespace vorelt
