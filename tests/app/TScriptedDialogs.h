#pragma once
// Dialog answers given by the test, and a record of what the shell asked.

#include "app/IDialogService.h"

#include <deque>
#include <string>
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
    std::vector<std::string> Boxes;
    std::deque<TColor> Colors;

    bool OpenFile(const TFileDialogOptions& o, std::string& fileName) override {
        return Next(o, fileName);
    }
    bool SaveFile(const TFileDialogOptions& o, std::string& fileName) override {
        return Next(o, fileName);
    }
    int ShowMessageBox(const std::string& text, TMsgKind, int buttons) override {
        Boxes.push_back(text);
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
    bool Asked(const std::string& part) const {
        for (const auto& b : Boxes)
            if (b.find(part) != std::string::npos) return true;
        return false;
    }

private:
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
