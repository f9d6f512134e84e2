#pragma once
// The one key handling of the windows' edits. A number edit shows the decimal comma for every
// "." typed and marks itself (a red background and the refusal as its tip) while its text is
// no number of its rule; the window refuses OK, or the leaving of the edit, with the refusal.
// A name edit takes no blanks.

#include "persist/TNumberInput.h"

#include <QObject>
#include <QPalette>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class QLineEdit;
class QTableWidget;

namespace vorelt {

class TNumberEdit : public QObject {
    Q_OBJECT
public:
    // The rule may change with the window's state (the field of an axis, the bin mode).
    using TRuleSource = std::function<TNumberRule()>;
    // Installs itself on the edit, which owns it.
    static TNumberEdit* Attach(QLineEdit* edit, TNumberRule rule);
    static TNumberEdit* Attach(QLineEdit* edit, TRuleSource rule);
    // The number handling of an edit; none for other edits.
    static TNumberEdit* Of(const QLineEdit* edit);
    // The dynamic property that says an edit is marked (for style sheets and tests).
    static constexpr char MarkProperty[] = "refusedNumber";
    static bool IsMarked(const QLineEdit* edit);

    // The refusal of the edit's text (empty when it is taken); marks or unmarks the edit.
    // A disabled or read-only edit is never refused.
    std::string Check();
    // Check of the edits in order: the first refused one gets the focus and its refusal is
    // returned; edits without number handling pass.
    static std::string CheckAll(std::initializer_list<QLineEdit*> edits);
    static std::string CheckAll(const std::vector<QLineEdit*>& edits);

    TNumberRule Rule() const;

private:
    TNumberEdit(QLineEdit* edit, TRuleSource rule);
    void Typed();
    void Mark(const std::string& refusal);

    QLineEdit* FEdit;
    TRuleSource FRule;
    QPalette FPalette;
    bool FMarked = false;
    // Until the user types or a check runs, a text that is no number (an empty edit of a new
    // item) is not marked.
    bool FTouched = false;
};

// The number cells of a table (the given columns; empty cells are left alone): a "." typed
// shows as the comma and a cell that is no number of the rule gets the refused background
// and the refusal as its tip.
void AttachNumberCells(QTableWidget* table, std::vector<int> columns, TNumberRule rule);

// Refuses blanks typed into a name edit.
void AttachNameKeys(QLineEdit* edit);

} // namespace vorelt
