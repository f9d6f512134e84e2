#pragma once
// Value access without a virtual call, for the loops that fill, read or clear the fields of
// millions of records. Each value family has final value operations, so the family a field
// carries from its constructor selects exactly the code the virtual call would reach, and the
// compiler can inline it (an extended value then goes straight into the field instead of through
// the stack). A field of any other class takes the virtual call. They are meant for fields
// reached through TAEField (the fields of a record); where the class is known the operation
// itself is direct.

#include "model/TAEBooleanField.h"
#include "model/TAEExtendedField.h"
#include "model/TAEField.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListIntegerField.h"
#include "model/TAEStringField.h"

#include <cstdint>
#include <string>

namespace vorelt {

inline void ClearFieldValue(TAEField& f) {
    switch (f.ValueFamily()) {
    case vfFloat:
        static_cast<TAEExtendedField&>(f).Clear();
        break;
    case vfInteger:
        static_cast<TAEIntegerField&>(f).Clear();
        break;
    case vfString:
        static_cast<TAEStringField&>(f).Clear();
        break;
    case vfBoolean:
        static_cast<TAEBooleanField&>(f).Clear();
        break;
    case vfList:
        static_cast<TAEListIntegerField&>(f).Clear();
        break;
    default:
        f.Clear();
        break;
    }
}

inline void SetFieldFloat(TAEField& f, long double x) {
    switch (f.ValueFamily()) {
    case vfFloat:
        static_cast<TAEExtendedField&>(f).SetAsFloat(x);
        break;
    default:
        f.SetAsFloat(x);
        break;
    }
}

inline void SetFieldInt64(TAEField& f, int64_t n) {
    switch (f.ValueFamily()) {
    case vfInteger:
        static_cast<TAEIntegerField&>(f).SetAsInt64(n);
        break;
    case vfFloat:
        static_cast<TAEExtendedField&>(f).SetAsInt64(n);
        break;
    default:
        f.SetAsInt64(n);
        break;
    }
}

inline void SetFieldBoolean(TAEField& f, bool b) {
    switch (f.ValueFamily()) {
    case vfBoolean:
        static_cast<TAEBooleanField&>(f).SetAsBoolean(b);
        break;
    default:
        f.SetAsBoolean(b);
        break;
    }
}

inline void SetFieldString(TAEField& f, const std::string& s) {
    switch (f.ValueFamily()) {
    case vfString:
        static_cast<TAEStringField&>(f).SetAsString(s);
        break;
    default:
        f.SetAsString(s);
        break;
    }
}

inline long double GetFieldFloat(const TAEField& f) {
    switch (f.ValueFamily()) {
    case vfFloat:
        return static_cast<const TAEExtendedField&>(f).GetAsFloat();
    case vfInteger:
        return static_cast<const TAEIntegerField&>(f).GetAsFloat();
    default:
        return f.GetAsFloat();
    }
}

inline int64_t GetFieldInt64(const TAEField& f) {
    switch (f.ValueFamily()) {
    case vfInteger:
        return static_cast<const TAEIntegerField&>(f).GetAsInt64();
    default:
        return f.GetAsInt64();
    }
}

inline bool GetFieldBoolean(const TAEField& f) {
    switch (f.ValueFamily()) {
    case vfBoolean:
        return static_cast<const TAEBooleanField&>(f).GetAsBoolean();
    default:
        return f.GetAsBoolean();
    }
}

// The value of `from`, or its absence, into `to`, a field of the same class.
inline void CopyFieldValue(const TAEField& from, TAEField& to) {
    if (from.IsNull()) {
        // A null field holds the cleared value already.
        if (!to.IsNull()) ClearFieldValue(to);
        return;
    }
    switch (to.ValueFamily()) {
    case vfFloat:
        static_cast<TAEExtendedField&>(to).CopyValue(static_cast<const TAEExtendedField&>(from));
        break;
    case vfInteger:
        static_cast<TAEIntegerField&>(to).SetValueRaw(
            static_cast<const TAEIntegerField&>(from).GetValuePtr());
        break;
    case vfBoolean:
        static_cast<TAEBooleanField&>(to).SetValueRaw(
            static_cast<const TAEBooleanField&>(from).GetValuePtr());
        break;
    case vfList:
        static_cast<TAEListIntegerField&>(to).SetValueRaw(
            static_cast<const TAEListIntegerField&>(from).GetValuePtr());
        break;
    default:
        to.SetValueRaw(from.GetValuePtr());
        break;
    }
}

// `source` as SetValueRaw takes it.
inline void SetFieldRaw(TAEField& f, const void* source) {
    switch (f.ValueFamily()) {
    case vfList:
        static_cast<TAEListIntegerField&>(f).SetValueRaw(source);
        break;
    default:
        f.SetValueRaw(source);
        break;
    }
}

} // namespace vorelt
