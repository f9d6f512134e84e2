#include "processing/expr/TPreProcessor.h"

#include "persist/TGVVariants.h"
#include "processing/expr/IExprOwner.h"
#include "processing/expr/TAEExpresion.h"

#include <algorithm>

namespace vorelt {

namespace {

// Tabs are no separators: a tab belongs to the word it touches.
bool IsSeparator(char ch) {
    return ch == ' ' || ch == '\n' || ch == '\r';
}

char UpperAscii(char ch) {
    return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch;
}

bool IsLetterAscii(char ch) {
    char u = UpperAscii(ch);
    return u >= 'A' && u <= 'Z';
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool IsBlank(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) <= ' '; });
}

const char kInvalidDescription[] = "Invalid Description";
const char kInvalidOperation[] = "Invalid Operation";

} // namespace

TPreProcessor::TPreProcessor()
    : FSpecials{{'(', teBracket},      {')', teBracket},      {'{', teField},
                {'}', teField},        {'[', teVariant},      {']', teVariant},
                {'=', teCompareToken}, {'+', teArithToken},   {'-', teArithToken},
                {'*', teArithToken},   {'/', teArithToken},   {';', teSemicolon},
                {',', teComma},        {'>', teCompareToken}, {'<', teCompareToken}},
      FTwoChars{{":=", teAssignToken},
                {"<=", teCompareToken},
                {">=", teCompareToken},
                {"<>", teCompareToken}},
      FWords{{"IF", teIf},
             {"THEN", teThen},
             {"ELSE", teElse},
             {"ENDIF", teEndIf},
             {"CASE", teCase},
             {"CASEOF", teCaseOf},
             {"CASEELSE", teCaseElse},
             {"ENDCASE", teEndCase},
             {"NOT", teNotToken},
             {"AND", teAndOrToken},
             {"OR", teAndOrToken},
             {"TRUE", teBoolean},
             {"FALSE", teBoolean}} {}

bool TPreProcessor::Compile(TAEExpresion& expression, std::string& error) {
    FErrorPosition = -1;
    try {
        Scan();
        Parse();
        BuildTree(expression);
        Check(expression);
        return true;
    } catch (const EExprError& e) {
        error = e.what();
        FErrorPosition = e.Position();
    } catch (const EAEError& e) {
        error = e.what();
    }
    return false;
}

// ---- tokenizing ----

int TPreProcessor::MatchKeyword(size_t at, size_t& length) const {
    // Letters are read while the upper-cased text can still become a keyword; the longest
    // keyword completed on the way wins, so CASE, CASEOF and CASEELSE are told apart.
    int best = -1;
    length = 0;
    for (size_t k = 0; at + k < FText.size() && IsLetterAscii(FText[at + k]); ++k) {
        bool prefix = false;
        for (size_t w = 0; w < FWords.size(); ++w) {
            const std::string& word = FWords[w].Word;
            if (word.size() <= k) continue;
            bool same = true;
            for (size_t c = 0; c <= k && same; ++c)
                same = word[c] == UpperAscii(FText[at + c]);
            if (!same) continue;
            prefix = true;
            if (word.size() == k + 1) {
                best = static_cast<int>(w);
                length = k + 1;
            }
        }
        if (!prefix) break;
    }
    return best;
}

int TPreProcessor::MatchTwoChar(size_t at) const {
    if (at + 1 >= FText.size()) return -1;
    for (size_t i = 0; i < FTwoChars.size(); ++i)
        if (FText.compare(at, 2, FTwoChars[i].Text) == 0) return static_cast<int>(i);
    return -1;
}

int TPreProcessor::SpecialIndex(char ch) const {
    for (size_t i = 0; i < FSpecials.size(); ++i)
        if (FSpecials[i].Ch == ch) return static_cast<int>(i);
    return -1;
}

void TPreProcessor::Emit(size_t position, uint8_t cls, int tableIndex, uint8_t code,
                         std::string text) {
    // The tree of a chain of operators is as deep as the chain is long, and every later step
    // walks it recursively: a text of a hundred thousand "1+" would exhaust the stack.
    if (FTokens.size() >= MaxTokens)
        throw EExprError("Expresion Too Long: at most " + std::to_string(MaxTokens) +
                             " elements expected",
                         static_cast<int>(position));
    RecLeksem t;
    t.Position = static_cast<int>(position);
    t.Class = cls;
    t.TableIndex = tableIndex;
    t.Code = code;
    t.Text = std::move(text);
    FTokens.push_back(std::move(t));
}

void TPreProcessor::EmitWord(size_t begin, size_t end) {
    std::string text = FText.substr(begin, end - begin);
    if (IsBlank(text)) return;
    uint8_t code = teIdentifier;
    size_t digits = 0;
    while (digits < text.size() && IsDigit(text[digits]))
        ++digits;
    if (digits == text.size()) {
        code = teInteger;
    } else if (digits > 0 && text[digits] == '.' &&
               std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits) + 1, text.end(),
                           IsDigit)) {
        code = teDecimal;
        text[digits] = ',';
    } else if (text.front() == '"' && text.back() == '"') {
        code = teString;
    }
    Emit(begin, lcWord, -1, code, std::move(text));
}

void TPreProcessor::Scan() {
    FTokens.clear();
    const size_t n = FText.size();
    size_t i = 0;
    while (i < n) {
        const char ch = FText[i];
        if (IsSeparator(ch)) {
            ++i;
            continue;
        }
        if (ch == '"') {
            size_t close = FText.find('"', i + 1);
            size_t end = close == std::string::npos ? n : close + 1;
            EmitWord(i, end);
            i = end;
            continue;
        }
        size_t len;
        int kw = MatchKeyword(i, len);
        if (kw >= 0) {
            Emit(i, lcKeyword, kw, FWords[static_cast<size_t>(kw)].Code,
                 FWords[static_cast<size_t>(kw)].Word);
            i += len;
            continue;
        }
        int op = MatchTwoChar(i);
        if (op >= 0) {
            Emit(i, lcTwoChar, op, FTwoChars[static_cast<size_t>(op)].Code,
                 FTwoChars[static_cast<size_t>(op)].Text);
            i += 2;
            continue;
        }
        int sc = SpecialIndex(ch);
        if (sc >= 0) {
            Emit(i, lcSpecial, sc, FSpecials[static_cast<size_t>(sc)].Code, std::string(1, ch));
            ++i;
            continue;
        }
        // A word runs until a separator or special character, or until a keyword or a
        // two-character operator is completed inside it.
        size_t j = i + 1;
        while (j < n && !IsSeparator(FText[j]) && SpecialIndex(FText[j]) < 0 &&
               MatchKeyword(j, len) < 0 && MatchTwoChar(j) < 0)
            ++j;
        EmitWord(i, j);
        i = j;
    }
}

// ---- structuring ----

void TPreProcessor::Adopt(int first, int last, int parent) {
    for (int k = std::max(first, 0); k <= last && k < static_cast<int>(FTokens.size()); ++k) {
        RecLeksem& t = FTokens[static_cast<size_t>(k)];
        if (t.Parent == -1 && k != parent) {
            t.Parent = parent;
            t.Flags |= lfAdopted;
        }
    }
}

void TPreProcessor::TokenError(int token) const {
    const RecLeksem& t = FTokens[static_cast<size_t>(token)];
    throw EExprError(std::string(kInvalidDescription) + ": " + t.Text, t.Position);
}

// At a "{" or "[": the names up to the closing brace become the reference's text.
void TPreProcessor::CloseReference(size_t& i) {
    RecLeksem& open = FTokens[i];
    const std::string close = open.Text == "{" ? "}" : "]";
    std::string joined;
    size_t j = i + 1;
    for (; j < FTokens.size(); ++j) {
        const RecLeksem& t = FTokens[j];
        if (t.Class == lcSpecial && t.Text == close) break;
        if (t.Code != teIdentifier) {
            std::string text = kInvalidDescription + std::string(": ") + open.Text;
            for (size_t k = i + 1; k <= j; ++k)
                text += " " + FTokens[k].Text;
            throw EExprError(text, t.Position);
        }
        if (j > i + 1) joined += ' ';
        joined += t.Text;
    }
    if (j == FTokens.size()) return; // unclosed: the tokens stay and fail later
    open.Text = joined;
    for (size_t k = i + 1; k <= j; ++k)
        FTokens[k].Flags |= lfDropped;
    i = j;
}

void TPreProcessor::Parse() {
    struct TIfBlock {
        int If, Then = -1, Else = -1;
    };
    struct RecCaseStruct {
        int Case;
        std::vector<int> CaseOfs;
        int CaseElse = -1;
    };
    std::vector<int> brackets;
    std::vector<TIfBlock> ifs;
    std::vector<RecCaseStruct> cases;
    int assignment = -1;

    for (size_t i = 0; i < FTokens.size(); ++i) {
        RecLeksem& t = FTokens[i];
        const int ti = static_cast<int>(i);
        if (t.Class == lcSpecial) {
            const char ch = t.Text[0];
            if (ch == '(') {
                brackets.push_back(ti);
            } else if (ch == ')') {
                if (brackets.empty()) throw EExprError("Invalid Bracket Counts", t.Position);
                Adopt(brackets.back() + 1, ti, brackets.back());
                t.Flags |= lfDropped;
                brackets.pop_back();
            } else if (ch == '{' || ch == '[') {
                CloseReference(i);
            } else if (ch == ';') {
                if (assignment >= 0) {
                    Adopt(assignment + 1, ti, assignment);
                    t.Flags |= lfDropped;
                    assignment = -1;
                }
            } else if (ch == '-') {
                bool unary = i == 0;
                if (!unary) {
                    const RecLeksem& p = FTokens[i - 1];
                    unary =
                        p.Code == teAssignToken || p.Code == teCompareToken || p.Code == teIf ||
                        p.Code == teThen || p.Code == teElse ||
                        (p.Class == lcSpecial && (p.Text == "/" || p.Text == "*" || p.Text == "("));
                }
                if (unary && i + 1 < FTokens.size() &&
                    (FTokens[i + 1].Code == teInteger || FTokens[i + 1].Code == teDecimal)) {
                    FTokens[i + 1].Text = "-" + FTokens[i + 1].Text;
                    t.Flags |= lfDropped;
                }
            }
            continue;
        }
        if (t.Class == lcTwoChar) {
            if (t.Code == teAssignToken) {
                if (assignment >= 0) TokenError(ti);
                assignment = ti;
            }
            continue;
        }
        if (t.Class != lcKeyword) continue;
        switch (t.Code) {
        case teIf:
            ifs.push_back({ti});
            break;
        case teThen:
            if (ifs.empty() || ifs.back().Then >= 0 || ifs.back().Else >= 0) TokenError(ti);
            ifs.back().Then = ti;
            Adopt(ifs.back().If + 1, ti, ifs.back().If);
            break;
        case teElse:
            if (ifs.empty() || ifs.back().Then < 0 || ifs.back().Else >= 0) TokenError(ti);
            ifs.back().Else = ti;
            Adopt(ifs.back().Then + 1, ti - 1, ifs.back().Then);
            Adopt(ti, ti, ifs.back().If);
            break;
        case teEndIf: {
            if (ifs.empty() || ifs.back().Then < 0) TokenError(ti);
            const int owner = ifs.back().Else >= 0 ? ifs.back().Else : ifs.back().Then;
            Adopt(owner + 1, ti - 1, owner);
            t.Flags |= lfDropped;
            ifs.pop_back();
            break;
        }
        case teCase:
            cases.push_back({ti, {}, -1});
            break;
        case teCaseOf: {
            if (cases.empty() || cases.back().CaseElse >= 0) TokenError(ti);
            RecCaseStruct& c = cases.back();
            const int owner = c.CaseOfs.empty() ? c.Case : c.CaseOfs.back();
            Adopt(owner + 1, ti - 1, owner);
            c.CaseOfs.push_back(ti);
            Adopt(ti, ti, c.Case);
            break;
        }
        case teCaseElse: {
            if (cases.empty() || cases.back().CaseOfs.empty() || cases.back().CaseElse >= 0)
                TokenError(ti);
            RecCaseStruct& c = cases.back();
            c.CaseElse = ti;
            Adopt(c.CaseOfs.back() + 1, ti - 1, c.CaseOfs.back());
            Adopt(ti, ti, c.Case);
            break;
        }
        case teEndCase: {
            if (cases.empty() || cases.back().CaseOfs.empty()) TokenError(ti);
            RecCaseStruct& c = cases.back();
            const int owner = c.CaseElse >= 0 ? c.CaseElse : c.CaseOfs.back();
            Adopt(owner + 1, ti - 1, owner);
            t.Flags |= lfDropped;
            cases.pop_back();
            break;
        }
        default:
            break;
        }
    }
    const int end = static_cast<int>(FText.size());
    if (!brackets.empty())
        throw EExprError("Invalid Bracket Counts",
                         FTokens[static_cast<size_t>(brackets.back())].Position);
    if (!ifs.empty())
        throw EExprError("Invalid If-Then-Else Description",
                         FTokens[static_cast<size_t>(ifs.back().If)].Position);
    if (!cases.empty())
        throw EExprError("Invalid Case-CaseOf-Else Description",
                         FTokens[static_cast<size_t>(cases.back().Case)].Position);
    if (assignment >= 0) throw EExprError(kInvalidDescription, end);
}

// ---- building ----

void TPreProcessor::BuildTree(TAEExpresion& expression) {
    expression.Clear();
    expression.SetTypeElem(teRoot);
    std::vector<TAEExpresion*> made(FTokens.size(), nullptr);
    for (size_t i = 0; i < FTokens.size(); ++i) {
        const RecLeksem& t = FTokens[i];
        if (t.Flags & lfDropped) continue;
        auto node = std::make_unique<TAEExpresion>(expression.Owner());
        node->SetTypeElem(t.Code);
        node->SetText(t.Text);
        node->SetTokenIndex(static_cast<int>(i));
        TAEExpresion* parent = t.Parent >= 0 ? made[static_cast<size_t>(t.Parent)] : nullptr;
        made[i] = (parent ? parent : &expression)->Add(std::move(node));
    }
    Restructure(expression);
}

int TPreProcessor::PositionOf(const TAEExpresion& node) const {
    const int k = node.TokenIndex();
    return k >= 0 && k < static_cast<int>(FTokens.size()) ? FTokens[static_cast<size_t>(k)].Position
                                                          : -1;
}

// The leftmost source position inside a subtree: where a surplus element begins.
int TPreProcessor::FirstPosition(const TAEExpresion& node) const {
    int best = PositionOf(node);
    for (int i = 0; i < node.Count(); ++i) {
        int p = FirstPosition(*node.Items(i));
        if (p >= 0 && (best < 0 || p < best)) best = p;
    }
    return best;
}

void TPreProcessor::NodeError(const std::string& message, const TAEExpresion& node) const {
    throw EExprError(message + ": " + node.ToText({}), PositionOf(node));
}

void TPreProcessor::OperationError(const TAEExpresion& listOwner, const TAEExpresion& at) const {
    throw EExprError(std::string(kInvalidOperation) + ": " + listOwner.ToText({}), PositionOf(at));
}

void TPreProcessor::Resolve(TAEExpresion& node) const {
    if (node.TypeElem() == teField) {
        std::string id = node.Owner() ? node.Owner()->ExprFieldID(node.Text()) : std::string();
        if (id.empty()) throw EExprError("Unknown Field [" + node.Text() + " ]", PositionOf(node));
        node.SetID(std::move(id));
    } else if (node.TypeElem() == teVariant) {
        TGVVariants* vars = node.Owner() ? node.Owner()->ExprVariants() : nullptr;
        std::string id = vars ? vars->FindIDByName(node.Text()) : std::string();
        if (id.empty())
            throw EExprError("Unknown Variant [" + node.Text() + " ]", PositionOf(node));
        node.SetID(std::move(id));
    }
}

template <class Pred> void TPreProcessor::GroupBinary(TAEExpresion& node, Pred pick, uint8_t code) {
    auto& list = node.FChildren;
    for (size_t i = 0; i < list.size();) {
        if (!pick(*list[i])) {
            ++i;
            continue;
        }
        if (i == 0 || i + 1 == list.size()) OperationError(node, *list[i]);
        auto group = std::make_unique<TAEExpresion>(node.Owner());
        group->SetText(list[i]->Text());
        group->SetTypeElem(code);
        group->SetTokenIndex(list[i]->TokenIndex());
        group->Add(std::move(list[i - 1]));
        group->Add(std::move(list[i + 1]));
        group->FParent = &node;
        list[i - 1] = std::move(group);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i),
                   list.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        // The scan goes on right after the new node, so chains group from the left.
    }
}

void TPreProcessor::Restructure(TAEExpresion& node) {
    Resolve(node);
    auto& list = node.FChildren;
    auto isArith = [](const TAEExpresion& c) { return c.TypeElem() == teArithToken; };
    auto isMulDiv = [](const TAEExpresion& c) {
        return c.TypeElem() == teArithToken && (c.Text() == "*" || c.Text() == "/");
    };
    const bool mulDiv =
        std::any_of(list.begin(), list.end(), [&](auto& c) { return isMulDiv(*c); });
    const bool addSub = std::any_of(list.begin(), list.end(),
                                    [&](auto& c) { return isArith(*c) && !isMulDiv(*c); });
    if (mulDiv && addSub) GroupBinary(node, isMulDiv, teArith);
    GroupBinary(node, isArith, teArith);

    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i]->TypeElem() != teNotToken) continue;
        if (i + 1 == list.size()) OperationError(node, *list[i]);
        list[i]->Add(std::move(list[i + 1]));
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        list[i]->SetTypeElem(teNegation);
    }

    GroupBinary(
        node, [](const TAEExpresion& c) { return c.TypeElem() == teAndOrToken; }, teLogical);

    for (size_t i = 0; i < list.size();) {
        // A comparison first in the list stays where it is; the check catches it if it must.
        if (list[i]->TypeElem() != teCompareToken || i == 0) {
            ++i;
            continue;
        }
        if (i + 1 == list.size()) OperationError(node, *list[i]);
        auto group = std::make_unique<TAEExpresion>(node.Owner());
        group->SetText(list[i]->Text());
        group->SetTypeElem(teCompare);
        group->SetTokenIndex(list[i]->TokenIndex());
        group->Add(std::move(list[i - 1]));
        group->Add(std::move(list[i + 1]));
        group->FParent = &node;
        list[i - 1] = std::move(group);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i),
                   list.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        // The element right after the new comparison is passed over: in a < b < c the second
        // operator stays ungrouped.
        i += 1;
    }

    for (auto& c : list)
        if (c->TypeElem() == teAssignToken || c->TypeElem() == teAssign) OperationError(node, *c);

    for (auto& c : list)
        Restructure(*c);
}

// ---- checking ----

void TPreProcessor::Check(const TAEExpresion& node) const {
    const int n = node.Count();
    switch (node.TypeElem()) {
    case teIdentifier:
        NodeError("Unknown Operation", node);
    case teArith:
    case teLogical:
    case teAssign:
    case teCompare:
        if (n != 2) NodeError(kInvalidOperation, node);
        break;
    case teNegation:
        if (n != 1) NodeError(kInvalidOperation, node);
        break;
    case teIf:
    case teCase:
    case teCaseOf:
        if (n < 2) NodeError(kInvalidOperation, node);
        break;
    case teThen:
    case teElse:
    case teCaseElse:
        if (n < 1) NodeError(kInvalidOperation, node);
        break;
    case teRoot:
        if (n > 1)
            throw EExprError(std::string(kInvalidOperation) + ": " + node.ToText({}),
                             FirstPosition(*node.Items(1)));
        if (n == 0) throw EExprError("Empty Expresion: " + node.ToText({}), 0);
        break;
    default:
        break;
    }
    for (int i = 0; i < n; ++i)
        Check(*node.Items(i));
}

} // namespace vorelt
