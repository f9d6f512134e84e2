#pragma once
// Objects a field owns but the data model does not know: the formula of a calculated field,
// its criterion and its parametric scaling live in higher libraries and derive from this.

#include "persist/TPersistObject.h"

namespace vorelt {

class TAEField;

class TAEFieldAttachment : public TPersistObject {
public:
    // Called by the owning field when it takes the object over; the back reference is never
    // owned.
    virtual void SetField(TAEField* field) { FField = field; }
    TAEField* Field() const { return FField; }

protected:
    TAEField* FField = nullptr;
};

} // namespace vorelt
