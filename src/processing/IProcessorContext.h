#pragma once
// What the root of a processing tree gets from the project that owns it: the identifier
// generator, the prompt for questions and error boxes, and the receiver of messages that pass
// the root on their way up.

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
};

} // namespace vorelt
