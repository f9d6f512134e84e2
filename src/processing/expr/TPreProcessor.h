#pragma once
// Turns the source text of an expression into a TAEExpresion tree: tokenizing, grouping the
// tokens into constructs, building the nodes, resolving names through the tree's owner,
// grouping operators by precedence and checking every node's arity. One lives in each dialog
// that accepts expressions.

#include "persist/TErrors.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TAEExpresion;

// A compile error and the character index of the source text it concerns.
class EExprError : public EAEError {
public:
    EExprError(const std::string& text, int position) : EAEError(text), FPosition(position) {}
    int Position() const { return FPosition; }

private:
    int FPosition;
};

// Token classes.
constexpr uint8_t lcSpecial = 0;
constexpr uint8_t lcTwoChar = 1;
constexpr uint8_t lcKeyword = 2;
constexpr uint8_t lcWord = 3;

// Token flags.
constexpr uint8_t lfAdopted = 8; // placed under a parent by a construct
constexpr uint8_t lfDropped = 4; // no node is made for it

struct RecLeksem {
    int Position = 0; // index of the first character in the source text
    uint8_t Class = lcWord;
    int TableIndex = -1;
    int Parent = -1;
    uint8_t Code = 0;
    std::string Text;
    uint8_t Flags = 0;
};

struct RecSpecialChar {
    char Ch;
    uint8_t Code;
};

struct RecReservChars {
    std::string Text;
    uint8_t Code;
};

struct RecReservWord {
    std::string Word;
    uint8_t Code;
};

class TPreProcessor {
public:
    // Elements (numbers, names, operators, brackets) of one expression; real ones have a few
    // dozen.
    static constexpr size_t MaxTokens = 4096;

    TPreProcessor();

    void SetText(std::string text) { FText = std::move(text); }
    const std::string& Text() const { return FText; }

    // Scan, Parse, BuildTree and Check. On failure `error` holds the message and ErrorPosition
    // the character index it concerns (the text's length for errors found at its end); the
    // expression then keeps what was built so far and must not be used.
    bool Compile(TAEExpresion& expression, std::string& error);
    int ErrorPosition() const { return FErrorPosition; }

    // The steps, raising EExprError. BuildTree uses the expression's owner to resolve names.
    void Scan();
    void Parse();
    void BuildTree(TAEExpresion& expression);
    void Check(const TAEExpresion& node) const;

    const std::vector<RecLeksem>& Tokens() const { return FTokens; }

private:
    int MatchKeyword(size_t at, size_t& length) const;
    int MatchTwoChar(size_t at) const;
    int SpecialIndex(char ch) const;
    void EmitWord(size_t begin, size_t end);
    void Emit(size_t position, uint8_t cls, int tableIndex, uint8_t code, std::string text);

    void Adopt(int first, int last, int parent);
    [[noreturn]] void TokenError(int token) const;
    void CloseReference(size_t& i);

    void Restructure(TAEExpresion& node);
    void Resolve(TAEExpresion& node) const;
    // Groups `a op b` for the operator tokens that `pick` selects, left to right.
    template <class Pred> void GroupBinary(TAEExpresion& node, Pred pick, uint8_t code);
    [[noreturn]] void OperationError(const TAEExpresion& listOwner, const TAEExpresion& at) const;
    [[noreturn]] void NodeError(const std::string& message, const TAEExpresion& node) const;
    int PositionOf(const TAEExpresion& node) const;
    int FirstPosition(const TAEExpresion& node) const;

    std::vector<RecSpecialChar> FSpecials;
    std::vector<RecReservChars> FTwoChars;
    std::vector<RecReservWord> FWords;
    std::vector<RecLeksem> FTokens;
    std::string FText;
    int FErrorPosition = -1;
};

} // namespace vorelt
