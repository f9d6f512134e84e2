#pragma once
// Element codes of expression tokens and nodes. They are stored in project files ("TypeElem"),
// so the values never change.

#include <cstdint>

namespace vorelt {

enum TExprElement : uint8_t {
    teUnset = 0,
    teAndOrToken = 1,
    teFunction = 2,
    teVariant = 3,
    teField = 4,
    teBracket = 5,
    teInteger = 6,
    teDecimal = 7,
    teBoolean = 8,
    teArithToken = 9,
    teComma = 10,
    teIdentifier = 11,
    teArith = 12,
    teRoot = 13,
    teParam = 14,
    teGroupField = 15,
    teNotToken = 16,
    teLogical = 17,
    teNegation = 18,
    teAssignToken = 19,
    teAssign = 20,
    teIf = 21,
    teThen = 22,
    teElse = 23,
    teEndIf = 24,
    teSemicolon = 25,
    teCompareToken = 26,
    teCompare = 27,
    teString = 28,
    teCase = 29,
    teCaseOf = 30,
    teCaseElse = 31,
    teEndCase = 32,
};

} // namespace vorelt
