#pragma once
// The parameter pages of the project tree window: one settings frame per processor class,
// created for the selected processor. Each frame's class registers its creator here, so that
// frames of other parts of the program join without the window knowing them.

#include <QWidget>
#include <functional>
#include <map>
#include <string>

class QLineEdit;

namespace vorelt {

class TGVCPU;
class TIniApplic;
class TProjectAE;

// What a frame gets from the window that hosts it.
struct TPageContext {
    TProjectAE* Project = nullptr;
    // Where windows the frames open keep their bounds; none in tests.
    TIniApplic* Settings = nullptr;
    // Refreshes the processor's node and the status line (after every edit).
    std::function<void()> RefreshNode;
};

// Frames with edits that wait for leaving a control commit them before the selection moves
// on and before the window closes.
class IParameterPage {
public:
    virtual ~IParameterPage() = default;
    virtual void CommitEdits() = 0;
};

// A number edit of a frame left with a text that is no number: the edit stays marked with its
// text and the refusal is shown in a message box, once for each text left. True when refused;
// the frame then stores nothing.
bool RefusedNumber(QLineEdit* edit);

class TParameterPages {
public:
    using TCreator =
        std::function<QWidget*(TGVCPU& processor, const TPageContext& context, QWidget* parent)>;
    // Replaces an earlier creator of the class.
    static void Register(const std::string& className, TCreator creator);
    // The frame of the processor's class; a note for classes without one.
    static QWidget* Create(TGVCPU& processor, const TPageContext& context, QWidget* parent);
    static bool Has(const std::string& className);

private:
    static std::map<std::string, TCreator>& Creators();
};

// Registers the frames this part of the program brings.
void RegisterParameterPages();

} // namespace vorelt
