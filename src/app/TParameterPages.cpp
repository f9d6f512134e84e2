#include "app/TParameterPages.h"

#include "persist/TTextHelpers.h"
#include "processing/TGVCPU.h"
#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vorelt {

bool RefusedNumber(QLineEdit* edit) {
    static constexpr char Shown[] = "shownRefusal";
    TNumberEdit* number = TNumberEdit::Of(edit);
    if (!number) return false;
    const std::string refusal = number->Check();
    if (refusal.empty()) {
        edit->setProperty(Shown, QVariant());
        return false;
    }
    // Leaving the edit and then the frame with the same text tells it once.
    const QVariant shown = edit->property(Shown);
    if (!shown.isValid() || shown.toString() != edit->text()) {
        edit->setProperty(Shown, edit->text());
        Dialogs().ShowMessageBox(refusal, TMsgKind::Error, mbOK);
    }
    return true;
}

std::map<std::string, TParameterPages::TCreator>& TParameterPages::Creators() {
    static std::map<std::string, TCreator> creators;
    return creators;
}

void TParameterPages::Register(const std::string& className, TCreator creator) {
    Creators()[UpperCase(className)] = std::move(creator);
}

bool TParameterPages::Has(const std::string& className) {
    return Creators().count(UpperCase(className)) > 0;
}

QWidget* TParameterPages::Create(TGVCPU& processor, const TPageContext& context, QWidget* parent) {
    auto it = Creators().find(UpperCase(processor.ClassName()));
    if (it != Creators().end())
        if (QWidget* w = it->second(processor, context, parent)) return w;
    // A processor whose settings this build cannot edit yet keeps them as they are.
    auto* note = new QWidget(parent);
    note->setObjectName("NoParameters");
    auto* layout = new QVBoxLayout(note);
    auto* label = new QLabel(QString::fromStdString(processor.KindName()), note);
    layout->addWidget(label);
    layout->addStretch(1);
    return note;
}

} // namespace vorelt
