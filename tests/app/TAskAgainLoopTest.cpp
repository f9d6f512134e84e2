#include "app/TAskAgainLoop.h"
#include "view2d/TScriptedDialogs.h"

#include <gtest/gtest.h>
#include <map>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;

namespace {

// Files that fail with their error text, files that send the user back to the dialog, and a
// record of every file tried.
struct TLoopFixture {
    TScriptedDialogs dialogs;
    std::map<std::string, std::string> failing;
    std::map<std::string, bool> chooseAgain;
    std::vector<std::string> tried;
    std::vector<std::string> initialNames;

    TAskAgainLoop Loop() {
        return TAskAgainLoop(
            "Open Other Thing?",
            [this](std::string& name) {
                initialNames.push_back(name);
                TFileDialogOptions o;
                o.Title = "Choose";
                return dialogs.OpenFile(o, name);
            },
            [this](const std::string& name, std::string& error) {
                tried.push_back(name);
                if (chooseAgain.count(name)) return TTryResult::ChooseAgain;
                if (auto it = failing.find(name); it != failing.end()) {
                    error = it->second;
                    return TTryResult::Failed;
                }
                return TTryResult::Done;
            });
    }
};

} // namespace

TEST(AskAgainLoop, AGivenFileThatWorksNeedsNoDialog) {
    TLoopFixture f;
    std::string name = "a", error;
    EXPECT_TRUE(f.Loop().Run(name, error, false));
    EXPECT_EQ(name, "a");
    EXPECT_TRUE(f.dialogs.Titles.empty());
    EXPECT_TRUE(f.dialogs.Boxes.empty());
}

TEST(AskAgainLoop, AFailureAsksWithTheErrorAndOKGoesToTheDialog) {
    TLoopFixture f;
    f.failing = {{"a", "a is bad"}, {"b", "b is bad"}};
    f.dialogs.Files = {"b", "c"};
    f.dialogs.Answers = {mrOK, mrOK};
    std::string name = "a", error;
    EXPECT_TRUE(f.Loop().Run(name, error, false));
    EXPECT_EQ(name, "c");
    EXPECT_EQ(f.tried, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(f.dialogs.Boxes, (std::vector<std::string>{"a is bad\rOpen Other Thing?",
                                                         "b is bad\rOpen Other Thing?"}));
    // The dialog starts at the file that failed.
    EXPECT_EQ(f.initialNames, (std::vector<std::string>{"a", "b"}));
}

TEST(AskAgainLoop, CancelOnTheQuestionGivesUpWithoutDialogOrError) {
    TLoopFixture f;
    f.failing = {{"a", "Bad A"}};
    f.dialogs.Files = {"b"};
    f.dialogs.Answers = {mrCancel};
    std::string name = "a", error;
    EXPECT_FALSE(f.Loop().Run(name, error, false));
    EXPECT_TRUE(error.empty());
    EXPECT_TRUE(f.dialogs.Titles.empty());
    EXPECT_EQ(f.dialogs.Files.size(), 1u);
}

TEST(AskAgainLoop, CancelledDialogGivesUpSilently) {
    TLoopFixture f;
    f.failing = {{"a", "Bad A"}};
    f.dialogs.Files = {""};
    f.dialogs.Answers = {mrOK};
    std::string name = "a", error;
    EXPECT_FALSE(f.Loop().Run(name, error, false));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(f.dialogs.Boxes.size(), 1u);
    EXPECT_EQ(f.tried.size(), 1u);
}

TEST(AskAgainLoop, ChooseFirstOpensTheDialogBeforeAnyTry) {
    TLoopFixture f;
    f.dialogs.Files = {"x"};
    std::string name = "given", error;
    EXPECT_TRUE(f.Loop().Run(name, error, true));
    EXPECT_EQ(f.tried, std::vector<std::string>{"x"});
    std::string none;
    f.dialogs.Files = {};
    EXPECT_FALSE(f.Loop().Run(none, error, true));
    EXPECT_EQ(f.tried.size(), 1u);
}

TEST(AskAgainLoop, ChooseAgainSkipsTheQuestion) {
    TLoopFixture f;
    f.chooseAgain = {{"a", true}};
    f.dialogs.Files = {"a", "b"};
    std::string name, error;
    EXPECT_TRUE(f.Loop().Run(name, error, true));
    EXPECT_EQ(name, "b");
    EXPECT_TRUE(f.dialogs.Boxes.empty());
    EXPECT_EQ(f.dialogs.Titles.size(), 2u);
}

TEST(AskAgainLoop, TheQuestionNamesTheFileWhenTheReasonDoesNot) {
    TLoopFixture f;
    f.failing = {{"/p/x.xml", "Not Project File Type: too deep"},
                 {"/p/y.xml", "/p/y.xml: the file is empty"}};
    f.dialogs.Files = {"/p/y.xml"};
    f.dialogs.Answers = {mrOK, mrCancel};
    std::string name = "/p/x.xml", error;
    EXPECT_FALSE(f.Loop().Run(name, error, false));
    EXPECT_EQ(f.dialogs.Boxes, (std::vector<std::string>{
                                   "/p/x.xml: Not Project File Type: too deep\rOpen Other Thing?",
                                   "/p/y.xml: the file is empty\rOpen Other Thing?"}));
}
