#pragma once
// What the root of a processing tree gets from the project that owns it: the identifier
// generator, the prompt for questions and error boxes, the receiver of messages that pass the
// root on their way up, and what the views of final processors ask of the project (whether
// they stand on a page, where their status text goes).

#include <string>

namespace vorelt {

class IIDGenerator;
class IUserPrompt;
struct TAEOMSG;

class IProcessorContext {
public:
    virtual ~IProcessorContext() = default;
    // None when the project has no generator yet.
    virtual IIDGenerator* IDGenerator() = 0;
    // None when nobody can be asked; questions are then answered No.
    virtual IUserPrompt* Prompt() = 0;
    // An upward message that reached the top of the tree.
    virtual void TopMessage(TAEOMSG& msg) = 0;
    // The project file, which nothing the tree writes may replace; empty when there is none.
    virtual std::string ProjectFileName() const { return {}; }
    // Whether the view of the processor with this ID stands on one of the project's pages.
    virtual bool IsPlaced(const std::string& processorID) const {
        (void)processorID;
        return false;
    }
    // What a view is doing, shown until an empty text hides it; nowhere when nobody shows it.
    virtual void ViewStatus(const std::string& text) { (void)text; }
};

} // namespace vorelt
