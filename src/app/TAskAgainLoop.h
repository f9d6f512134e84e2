#pragma once
// The file loop shared by opening a project, opening a data file and saving a project: a file
// is tried; when that fails the user reads why and is asked about another file, and the file
// dialog comes again. Cancelling the dialog (or answering Cancel) gives up with no further
// message, so a user never ends up in a loop that only a successful file lets them leave.

#include <functional>
#include <string>

namespace vorelt {

enum class TTryResult {
    Done,
    // `error` tells why; the question follows.
    Failed,
    // Back to the file dialog without the question (the user chose so already).
    ChooseAgain,
    // The user gave up while the file was tried: no question, no message.
    Cancelled
};

class TAskAgainLoop {
public:
    // The file dialog; `fileName` holds the name tried last. False when the user cancels.
    using TChoose = std::function<bool(std::string& fileName)>;
    using TTry = std::function<TTryResult(const std::string& fileName, std::string& error)>;

    // `question` follows the error text on its own line ("Open Other Project?").
    TAskAgainLoop(std::string question, TChoose choose, TTry attempt);

    // Tries `fileName` first, or starts with the dialog when `chooseFirst`. True once a try is
    // done (`fileName` is the file it took); false with an empty `error` when the user gave up.
    bool Run(std::string& fileName, std::string& error, bool chooseFirst);

private:
    std::string FQuestion;
    TChoose FChoose;
    TTry FTry;
};

} // namespace vorelt
