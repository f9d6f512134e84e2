#include "app/TAskAgainLoop.h"

#include "view2d/IDialogService.h"

#include <utility>

namespace vorelt {

TAskAgainLoop::TAskAgainLoop(std::string question, TChoose choose, TTry attempt)
    : FQuestion(std::move(question)), FChoose(std::move(choose)), FTry(std::move(attempt)) {}

bool TAskAgainLoop::Run(std::string& fileName, std::string& error, bool chooseFirst) {
    bool choose = chooseFirst;
    for (;;) {
        if (choose && !FChoose(fileName)) {
            error.clear();
            return false;
        }
        switch (FTry(fileName, error)) {
        case TTryResult::Done:
            return true;
        case TTryResult::ChooseAgain:
            break;
        case TTryResult::Cancelled:
            error.clear();
            return false;
        case TTryResult::Failed: {
            // OK chooses another file; Cancel gives up (the question showed the error already).
            // The message names the file when the reason does not.
            const std::string text =
                error.find(fileName) == std::string::npos ? fileName + ": " + error : error;
            if (Dialogs().ShowMessageBox(text + "\r" + FQuestion, TMsgKind::Error, mbOKCancel) !=
                mrOK) {
                error.clear();
                return false;
            }
            break;
        }
        }
        choose = true;
    }
}

} // namespace vorelt
