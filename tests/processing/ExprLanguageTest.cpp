// The expression language, table-driven: every construct, every compile error with its
// position, precedence and grouping, keywords inside words, and regeneration (the regenerated
// text compiles into the same tree with the same value).

#include "ExprTestSupport.h"

#include "processing/expr/TAEExpresion.h"
#include "processing/expr/TPreProcessor.h"

#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::exprtest;

namespace {

struct TCase {
    const char* Source;
    const char* Error; // empty: compiles
    int Position;      // error position
    const char* Value; // see Show
};

// clang-format off
const TCase kValid[] = {
    // literals
    {"7", "", -1, "I:7"},
    {"1.5", "", -1, "F:1,5"},
    {"TRUE", "", -1, "B:1"},
    {"false", "", -1, "B:0"},
    {"\"a b\"", "", -1, "S:a b"},
    {"\"IF x\"", "", -1, "S:IF x"},
    {"\"", "", -1, "S:"},
    {"3000000000", "", -1, "I:3000000000"},
    {"-7", "", -1, "I:-7"},
    {"-1.5", "", -1, "F:-1,5"},
    // references
    {"{A}", "", -1, "I:7"},
    {"{B}", "", -1, "F:2,5"},
    {"{S}", "", -1, "S:abc"},
    {"{Flag}", "", -1, "B:1"},
    {"{Big}", "", -1, "I:3000000000"},
    {"{Chan}", "", -1, "I:3"},
    {"{List}", "", -1, "E"},
    {"{Rise  Time}", "", -1, "F:12,5"},
    {"{rise time}", "", -1, "F:12,5"},
    {"[Limit]", "", -1, "I:10"},
    {"[Gain]", "", -1, "F:0,5"},
    {"[Label]", "", -1, "S:xyz"},
    {"[Ok]", "", -1, "B:0"},
    // brackets and stray elements
    {"(1 2)", "", -1, "I:2"},
    {"((7))", "", -1, "I:7"},
    {"(1, 2)", "", -1, "I:2"},
    {"(1;)", "", -1, "I:1"},
    // arithmetic: always float, * and / before + and -, left-associative
    {"1+2", "", -1, "F:3"},
    {"1+2*3", "", -1, "F:7"},
    {"(1+2)*3", "", -1, "F:9"},
    {"2*3+4", "", -1, "F:10"},
    {"1-2-3", "", -1, "F:-4"},
    {"8/4/2", "", -1, "F:1"},
    {"2*3*4", "", -1, "F:24"},
    {"1-2*3-4", "", -1, "F:-9"},
    {"10-4/2*3", "", -1, "F:4"},
    {"{A}*{B}", "", -1, "F:17,5"},
    {"-5 * 2", "", -1, "F:-10"},
    {"2 * -5", "", -1, "F:-10"},
    {"2/-4", "", -1, "F:-0,5"},
    {"0 - {A}", "", -1, "F:-7"},
    {"(-3)*2", "", -1, "F:-6"},
    {"1/0", "", -1, "F:inf"},
    {"0/0", "", -1, "F:nan"},
    {"{Big}*2", "", -1, "F:6000000000"},
    {"TRUE+1", "", -1, "F:2"},
    {"\"a\"+1", "", -1, "E"},
    {"(IF FALSE THEN 1 ENDIF)+1", "", -1, "E"},
    // negation
    {"NOT TRUE", "", -1, "B:0"},
    {"NOT [Ok]", "", -1, "B:1"},
    {"NOT {A}", "", -1, "B:0"},
    {"NOT 1 = 1", "", -1, "B:0"},
    {"NOT TRUE AND FALSE", "", -1, "B:0"},
    {"NOT (1 = 2)", "", -1, "B:1"},
    // AND and OR: one level, left to right, both sides evaluated
    {"TRUE AND FALSE", "", -1, "B:0"},
    {"TRUE OR FALSE", "", -1, "B:1"},
    {"TRUE AND FALSE OR TRUE", "", -1, "B:1"},
    {"FALSE OR TRUE AND FALSE", "", -1, "B:0"},
    {"1 AND TRUE", "", -1, "B:0"},
    {"({A} > 1) AND ({B} < 3)", "", -1, "B:1"},
    {"({A} > 1) AND ({B} < 2)", "", -1, "B:0"},
    // AND binds more tightly than the comparison: {A} > (5 AND TRUE)
    {"{A}>5ANDTRUE", "", -1, "B:0"},
    // comparisons
    {"{A} > 5", "", -1, "B:1"},
    {"{A} = 7", "", -1, "B:1"},
    {"{A} <> 7.0", "", -1, "B:0"},
    {"{A} < 8", "", -1, "B:1"},
    {"{B} <= 2.5", "", -1, "B:1"},
    {"{B} >= 3", "", -1, "B:0"},
    {"{Big} > 2147483647", "", -1, "B:1"},
    {"[Gain] * 2 = 1", "", -1, "B:1"},
    {"\"abc\" = {S}", "", -1, "B:1"},
    {"\"ABC\" = {S}", "", -1, "B:0"},
    {"\"ABC\" <> {S}", "", -1, "B:1"},
    {"\"a\" <> 1", "", -1, "B:0"},
    {"\"a\" < \"b\"", "", -1, "B:0"},
    {"TRUE = 1", "", -1, "B:0"},
    {"{Flag} = TRUE", "", -1, "B:1"},
    {"{Flag} <> TRUE", "", -1, "B:0"},
    {"{List} = {List}", "", -1, "B:0"},
    {"1/0 > 1", "", -1, "B:1"},
    // IF with and without ELSE
    {"IF {A} > 5 THEN 1 ELSE 2 ENDIF", "", -1, "I:1"},
    {"IF ({A} > 9) THEN 1 ELSE 2 ENDIF", "", -1, "I:2"},
    {"IF {A} > 5 THEN 1 ENDIF", "", -1, "I:1"},
    {"IF {A} > 9 THEN 1 ENDIF", "", -1, "E"},
    {"IF {A} THEN 1 ELSE 2 ENDIF", "", -1, "E"},
    {"IF {A} > 5 THEN \"big\" ELSE {B} ENDIF", "", -1, "S:big"},
    {"if {a} > 5 then 1 else 2 endif", "", -1, "I:1"},
    {"IF{A}>5THEN1ELSE2ENDIF", "", -1, "I:1"},
    {"IFTRUETHEN5ENDIF", "", -1, "I:5"},
    {"IF TRUE THEN 1 2 ENDIF", "", -1, "I:1"},
    {"IF TRUE THEN -5 ELSE -6 ENDIF", "", -1, "I:-5"},
    {"IF FALSE THEN 1 ELSE -1.5 ENDIF", "", -1, "F:-1,5"},
    {"IF TRUE THEN IF FALSE THEN 1 ELSE 3 ENDIF ELSE 2 ENDIF", "", -1, "I:3"},
    {"IF FALSE THEN 1 ELSE IF TRUE THEN 4 ENDIF ENDIF", "", -1, "I:4"},
    {"(IF TRUE THEN 1 ENDIF)*2", "", -1, "F:2"},
    // the condition groups as {A} > (1 AND {B}) followed by a stray "<" and 2: the IF then
    // has more than three children and writes nothing
    {"IF {A} > 1 AND {B} < 2 THEN 1 ELSE 2 ENDIF", "", -1, "E"},
    // CASE is structured and checked but writes nothing
    {"CASE 1 CASEOF 1 2 ENDCASE", "", -1, "E"},
    {"CASE 1 CASEOF 1 2 CASEOF 3 4 CASEELSE 5 ENDCASE", "", -1, "E"},
    {"caseof", "Invalid Description: CASEOF", 0, ""},
};

const TCase kErrors[] = {
    {"", "Empty Expresion: ", 0, ""},
    {"  \r\n ", "Empty Expresion: ", 0, ""},
    // brackets
    {")", "Invalid Bracket Counts", 0, ""},
    {"1)", "Invalid Bracket Counts", 1, ""},
    {"(1))", "Invalid Bracket Counts", 3, ""},
    {"(1", "Invalid Bracket Counts", 0, ""},
    {"((1)", "Invalid Bracket Counts", 0, ""},
    // IF and CASE blocks
    {"IF TRUE THEN 1", "Invalid If-Then-Else Description", 0, ""},
    {"1 + IF", "Invalid If-Then-Else Description", 4, ""},
    {"CASE 1 CASEOF 1 2", "Invalid Case-CaseOf-Else Description", 0, ""},
    {"THEN", "Invalid Description: THEN", 0, ""},
    {"1 ELSE 2", "Invalid Description: ELSE", 2, ""},
    {"IF TRUE ELSE 1 ENDIF", "Invalid Description: ELSE", 8, ""},
    {"ENDIF", "Invalid Description: ENDIF", 0, ""},
    {"IF TRUE ENDIF", "Invalid Description: ENDIF", 8, ""},
    {"IF TRUE THEN 1 THEN 2 ENDIF", "Invalid Description: THEN", 15, ""},
    {"IF TRUE THEN 1 ELSE 2 ELSE 3 ENDIF", "Invalid Description: ELSE", 22, ""},
    {"CASE 1 ENDCASE", "Invalid Description: ENDCASE", 7, ""},
    {"CASE 1 CASEELSE 2 ENDCASE", "Invalid Description: CASEELSE", 7, ""},
    {"CASE 1 CASEOF 1 2 CASEELSE 3 CASEOF 4 5 ENDCASE", "Invalid Description: CASEOF", 29, ""},
    {"CASE 1 CASEOF 1 2 CASEELSE 3 CASEELSE 4 ENDCASE", "Invalid Description: CASEELSE", 29, ""},
    {"ENDCASE", "Invalid Description: ENDCASE", 0, ""},
    // assignments
    {":= 1 := 2", "Invalid Description: :=", 5, ""},
    {"{A} := 1", "Invalid Description", 8, ""},
    {"{A} := 1;", "Invalid Operation: {A}:=1", 4, ""},
    {":= 1;", "Invalid Operation: :=1", 0, ""},
    // references
    {"{Sensor}", "Invalid Description: { Sens OR", 5, ""},
    {"{Chan 1}", "Invalid Description: { Chan 1", 6, ""},
    {"{A + 1}", "Invalid Description: { A +", 3, ""},
    {"[Limit}", "Invalid Description: [ Limit }", 6, ""},
    {"{Nope}", "Unknown Field [Nope ]", 0, ""},
    {"1 + {Nope}", "Unknown Field [Nope ]", 4, ""},
    {"[Nope]", "Unknown Variant [Nope ]", 0, ""},
    {"{A", "Unknown Field [{ ]", 0, ""},
    {"{}", "Unknown Field [ ]", 0, ""},
    // operators without operands
    {"-{A}", "Invalid Operation: -{A}", 0, ""},
    {"5 - -3", "Invalid Operation: 5--", 4, ""},
    {"5 + -3", "Invalid Operation: 5+-", 4, ""},
    {"+", "Invalid Operation: +", 0, ""},
    {"1 +", "Invalid Operation: 1+", 2, ""},
    {"*2", "Invalid Operation: *2", 0, ""},
    {"TRUE AND", "Invalid Operation: TRUEAND", 5, ""},
    {"OR TRUE", "Invalid Operation: ORTRUE", 0, ""},
    {"ORDER", "Invalid Operation: ORDER", 0, ""},
    {"NOT", "Invalid Operation: NOT", 0, ""},
    {"NOT NOT TRUE", "Invalid Operation:  NOT NOT", 4, ""},
    {"1 =", "Invalid Operation: 1=", 2, ""},
    {"= 1", "Invalid Operation: =1", 2, ""},
    {"(1 +) * 2", "Invalid Operation: (1 +)", 3, ""},
    // elements left over at the top
    {"1 2", "Invalid Operation: 12", 2, ""},
    {"1 2+3", "Invalid Operation: 12+3", 2, ""},
    {"{A} < {B} < {A}", "Invalid Operation: {A} < {B}<{A}", 10, ""},
    {"{A} > 1 AND {B} < 2", "Invalid Operation: {A} > 1 AND {B}<2", 16, ""},
    // arity
    {"IF TRUE THEN ENDIF", "Invalid Operation:  THEN\r\n", 8, ""},
    {"IF THEN 1 ENDIF", "Invalid Operation: IF THEN\r\n1\r\nENDIF", 0, ""},
    {"CASE 1 CASEOF 1 ENDCASE", "Invalid Operation:  CASEOF\r\n1", 7, ""},
    // identifiers
    {"abc", "Unknown Operation: abc", 0, ""},
    {".5", "Unknown Operation: .5", 0, ""},
    {"1.5e3", "Unknown Operation: 1.5e3", 0, ""},
    {"1.2.3", "Unknown Operation: 1.2.3", 0, ""},
    {"\"abc", "Unknown Operation: \"abc", 0, ""},
    {"1\t+ 2", "Unknown Operation: 1\t", 0, ""},
    {"1 +\t2", "Unknown Operation: \t2", 3, ""},
};
// clang-format on

class ExprLanguage : public ::testing::Test {
protected:
    // Compiles, evaluates against the test record, and returns the value; fails the test on a
    // compile error.
    bool CompileText(const std::string& text, TAEExpresion& tree, std::string& error, int& pos) {
        TPreProcessor pp;
        pp.SetText(text);
        bool ok = pp.Compile(tree, error);
        pos = pp.ErrorPosition();
        return ok;
    }
    std::string Value(TAEExpresion& tree) {
        tree.Bind(FOwner.Layout());
        TExprValue v;
        tree.Evaluate(v, FOwner.Record());
        return Show(v);
    }

    TTestOwner FOwner;
};

TEST_F(ExprLanguage, ValidExpressionsEvaluateAndRegenerateIntoTheSameTree) {
    for (const TCase& c : kValid) {
        SCOPED_TRACE(c.Source);
        TAEExpresion tree(&FOwner);
        std::string error;
        int pos;
        bool ok = CompileText(c.Source, tree, error, pos);
        if (*c.Error) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(error, c.Error);
            EXPECT_EQ(pos, c.Position);
            continue;
        }
        ASSERT_TRUE(ok) << error;
        const std::string value = Value(tree);
        EXPECT_EQ(value, c.Value);

        const std::string text = tree.ToText();
        SCOPED_TRACE("regenerated: " + text);
        TAEExpresion again(&FOwner);
        ASSERT_TRUE(CompileText(text, again, error, pos)) << error;
        EXPECT_EQ(DumpExpresion(again), DumpExpresion(tree));
        EXPECT_EQ(Value(again), value);
        EXPECT_EQ(again.ToText(), text);
    }
}

TEST_F(ExprLanguage, ErrorsCarryTheirMessageAndPosition) {
    for (const TCase& c : kErrors) {
        SCOPED_TRACE(c.Source);
        TAEExpresion tree(&FOwner);
        std::string error;
        int pos;
        EXPECT_FALSE(CompileText(c.Source, tree, error, pos));
        EXPECT_EQ(error, c.Error);
        EXPECT_EQ(pos, c.Position);
    }
}

TEST_F(ExprLanguage, TreeShapesShowPrecedenceAndGrouping) {
    struct TShape {
        const char* Source;
        const char* Dump;
    };
    const TShape shapes[] = {
        {"1+2*3", "(13||| (12|+|| (6|1||) (12|*|| (6|2||) (6|3||))))"},
        {"1-2-3", "(13||| (12|-|| (12|-|| (6|1||) (6|2||)) (6|3||)))"},
        {"2*3*4", "(13||| (12|*|| (12|*|| (6|2||) (6|3||)) (6|4||)))"},
        {"-5*2", "(13||| (12|*|| (6|-5||) (6|2||)))"},
        {"1.5", "(13||| (7|1,5||))"},
        {"NOT 1 = 1", "(13||| (27|=|| (18|NOT|| (6|1||)) (6|1||)))"},
        {"{A} > 1 AND TRUE",
         "(13||| (27|>|| (4|A|0000000000000101|) (17|AND|| (6|1||) (8|TRUE||))))"},
        {"[Limit]", "(13||| (3|Limit|V1|))"},
        {"IF TRUE THEN 1 ELSE 2 ENDIF",
         "(13||| (21|IF|| (8|TRUE||) (22|THEN|| (6|1||)) (23|ELSE|| (6|2||))))"},
        {"CASE 1 CASEOF 1 2 CASEELSE 3 ENDCASE",
         "(13||| (29|CASE|| (6|1||) (30|CASEOF|| (6|1||) (6|2||)) (31|CASEELSE|| (6|3||))))"},
        {"(1, 2)", "(13||| (5|(|| (6|1||) (10|,||) (6|2||)))"},
    };
    for (const TShape& s : shapes) {
        SCOPED_TRACE(s.Source);
        TAEExpresion tree(&FOwner);
        std::string error;
        int pos;
        ASSERT_TRUE(CompileText(s.Source, tree, error, pos)) << error;
        EXPECT_EQ(DumpExpresion(tree), s.Dump);
    }
}

TEST_F(ExprLanguage, RegeneratedTextHasTheDocumentedLayout) {
    TAEExpresion tree(&FOwner);
    std::string error;
    int pos;
    ASSERT_TRUE(CompileText("IF ({A} > 5) THEN 1 ELSE 2 ENDIF", tree, error, pos));
    EXPECT_EQ(tree.ToText(), "IF({A} > 5) THEN\r\n1\r\nELSE\r\n 2\r\nENDIF");
    ASSERT_TRUE(CompileText("1.5 + {Rise  Time}", tree, error, pos));
    EXPECT_EQ(tree.ToText(), "1.5+{Rise Time}");
    ASSERT_TRUE(CompileText("NOT [Ok]", tree, error, pos));
    EXPECT_EQ(tree.ToText(), " NOT [Ok]");
}

TEST(ExprScan, KeywordsAreFoundInsideWordsAndTheLongestKeywordWins) {
    auto texts = [](const std::string& source) {
        TPreProcessor pp;
        pp.SetText(source);
        pp.Scan();
        std::string s;
        for (const RecLeksem& t : pp.Tokens())
            s += "<" + t.Text + ">";
        return s;
    };
    EXPECT_EQ(texts("IF{A}>5THEN1ELSE2ENDIF"), "<IF><{><A><}><>><5><THEN><1><ELSE><2><ENDIF>");
    EXPECT_EQ(texts("Sensor"), "<Sens><OR>");
    EXPECT_EQ(texts("case caseof CaseElse endcase"), "<CASE><CASEOF><CASEELSE><ENDCASE>");
    EXPECT_EQ(texts("CASEX ELSEIF"), "<CASE><X><ELSE><IF>");
    EXPECT_EQ(texts("a:=b<=c>=d<>e"), "<a><:=><b><<=><c><>=><d><<>><e>");
    EXPECT_EQ(texts("x\t y"), "<x\t><y>");
    EXPECT_EQ(texts("\"IF a\"b"), "<\"IF a\"><b>");
    EXPECT_EQ(texts("1.5 2. 3"), "<1,5><2,><3>");
}

TEST(ExprScan, TokensKeepPositionClassAndCode) {
    TPreProcessor pp;
    pp.SetText(" IF x := <= ( 12");
    pp.Scan();
    const auto& t = pp.Tokens();
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[0].Position, 1);
    EXPECT_EQ(t[0].Class, lcKeyword);
    EXPECT_EQ(t[0].TableIndex, 0);
    EXPECT_EQ(t[0].Code, teIf);
    EXPECT_EQ(t[1].Code, teIdentifier);
    EXPECT_EQ(t[2].Class, lcTwoChar);
    EXPECT_EQ(t[2].Code, teAssignToken);
    EXPECT_EQ(t[3].Code, teCompareToken);
    EXPECT_EQ(t[4].Class, lcSpecial);
    EXPECT_EQ(t[4].Code, teBracket);
    EXPECT_EQ(t[5].Position, 14);
    EXPECT_EQ(t[5].Code, teInteger);
}

TEST_F(ExprLanguage, IntegerLiteralBeyond64BitsFailsAtEvaluation) {
    TAEExpresion tree(&FOwner);
    std::string error;
    int pos;
    ASSERT_TRUE(CompileText("99999999999999999999", tree, error, pos));
    TExprValue v;
    EXPECT_THROW(tree.Evaluate(v, FOwner.Record()), EConvertError);
}

TEST_F(ExprLanguage, FailedCompileDoesNotThrowAndLaterCompilesStartAfresh) {
    TPreProcessor pp;
    TAEExpresion tree(&FOwner);
    std::string error;
    pp.SetText("(1");
    EXPECT_FALSE(pp.Compile(tree, error));
    pp.SetText("{A}+1");
    error.clear();
    ASSERT_TRUE(pp.Compile(tree, error));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(Value(tree), "F:8");
}

TEST(ExprCompile, WithoutOwnerNamesDoNotResolve) {
    TAEExpresion tree;
    TPreProcessor pp;
    std::string error;
    pp.SetText("{A}");
    EXPECT_FALSE(pp.Compile(tree, error));
    EXPECT_EQ(error, "Unknown Field [A ]");
    pp.SetText("[V]");
    EXPECT_FALSE(pp.Compile(tree, error));
    EXPECT_EQ(error, "Unknown Variant [V ]");
}

} // namespace
