#pragma once
// An event filter on a line edit that refuses, per keystroke, the characters its rule does
// not allow. A rule of its own (a field's character check) can stand in for the fixed ones.

#include "project/TKeyRules.h"

#include <QObject>
#include <functional>

class QLineEdit;

namespace vorelt {

class TKeyFilter : public QObject {
    Q_OBJECT
public:
    using TCheck = std::function<bool(const std::string& text, int caret, char ch)>;
    // Installs itself on the edit, which owns it.
    static TKeyFilter* Install(QLineEdit* edit, TKeyRule rule);
    static TKeyFilter* Install(QLineEdit* edit, TCheck check);
    void SetRule(TKeyRule rule);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TKeyFilter(QLineEdit* edit);
    TCheck FCheck;
};

} // namespace vorelt
