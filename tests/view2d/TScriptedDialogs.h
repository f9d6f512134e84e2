#pragma once
// Dialog answers given by the test, and a record of what the windows asked. The fake is the
// current dialog service for its lifetime, so a test or fixture that holds one answers every
// dialog the windows open. It lives with the view tests, the lowest that may see the service;
// the tests above include it from there.

#include "view2d/IDialogService.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <typeindex>
#include <vector>

namespace vorelt::test {

class TScriptedDialogs : public IDialogService {
public:
    // File dialog answers in order; an empty text cancels. Running out cancels too.
    std::deque<std::string> Files;
    // Message box answers in order; running out answers OK (or Cancel when there is no OK).
    std::deque<int> Answers;
    std::vector<std::string> Titles;
    // The filter of every file dialog asked for, in order.
    std::vector<std::string> Filters;
    // The text and the caption of every message box, in order.
    std::vector<std::string> Boxes;
    std::vector<std::string> Captions;
    std::deque<TColor> Colors;
    // Text input answers: the test edits the suggestion and answers false to cancel; without an
    // answer every input is cancelled.
    std::function<bool(const std::string& caption, const std::string& prompt, std::string& text)>
        OnInput;
    // Popup menus: the test returns the action to choose (or null); an enabled choice is
    // triggered as a real menu does. Without an answer nothing is chosen.
    std::function<QAction*(QMenu&, const QPoint&)> OnMenu;
    // The program's dialogs that no answer of their own type takes; without it they are
    // rejected without being shown.
    std::function<int(QDialog&)> OnDialog;

    // Answers the dialogs whose most derived type is D.
    template <class D> void On(std::function<int(D&)> answer) {
        if (!answer) {
            FByType.erase(typeid(D));
            return;
        }
        FByType[typeid(D)] = [answer](QDialog& d) { return answer(static_cast<D&>(d)); };
    }

    bool OpenFile(const TFileDialogOptions& o, std::string& fileName) override {
        return Next(o, fileName);
    }
    bool SaveFile(const TFileDialogOptions& o, std::string& fileName) override {
        return Next(o, fileName);
    }
    using IDialogService::ShowMessageBox;
    int ShowMessageBox(const std::string& text, TMsgKind, int buttons,
                       const std::string& caption) override {
        Boxes.push_back(text);
        Captions.push_back(caption);
        if (!Answers.empty()) {
            const int a = Answers.front();
            Answers.pop_front();
            return a;
        }
        return (buttons & mbOK) ? mrOK : mrCancel;
    }
    bool ChooseColor(TColor, TColor& chosen) override {
        if (Colors.empty()) return false;
        chosen = Colors.front();
        Colors.pop_front();
        return true;
    }
    bool InputText(const std::string& caption, const std::string& prompt,
                   std::string& text) override {
        return OnInput && OnInput(caption, prompt, text);
    }
    int Run(QDialog& dialog) override {
        const auto own = FByType.find(typeid(dialog));
        if (own != FByType.end()) return own->second(dialog);
        return OnDialog ? OnDialog(dialog) : int(QDialog::Rejected);
    }
    QAction* Popup(QMenu& menu, const QPoint& position) override {
        QAction* chosen = OnMenu ? OnMenu(menu, position) : nullptr;
        if (chosen && chosen->isEnabled()) chosen->trigger();
        return chosen;
    }
    bool Asked(const std::string& part) const {
        for (const auto& b : Boxes)
            if (b.find(part) != std::string::npos) return true;
        return false;
    }

private:
    std::map<std::type_index, std::function<int(QDialog&)>> FByType;
    TScopedDialogService FCurrent{*this};

    bool Next(const TFileDialogOptions& o, std::string& fileName) {
        Titles.push_back(o.Title);
        Filters.push_back(o.Filter);
        if (Files.empty()) return false;
        std::string f = Files.front();
        Files.pop_front();
        if (f.empty()) return false;
        fileName = f;
        return true;
    }
};

} // namespace vorelt::test
