// The declared layering holds for every include of the tree, and the check itself notices an
// upward include, a folder nobody declared and Qt in the core.

#include "TLayerCheck.h"

#include <gtest/gtest.h>

using vorelt::test::TLayerCheck;

namespace {

TLayerCheck Rules() {
    TLayerCheck check;
    std::string error;
    EXPECT_TRUE(
        check.LoadRules(std::string(VORELT_SOURCE_DIR) + "/cmake/VoreltLayers.cmake", error))
        << error;
    return check;
}

std::vector<std::string> Check(const TLayerCheck& rules, const std::string& unit,
                               const std::string& text) {
    std::vector<std::string> faults;
    rules.CheckText(unit, "scratch.cpp", text, faults);
    return faults;
}

} // namespace

TEST(Layering, EveryIncludeOfTheTreeFollowsTheDeclaredOrder) {
    const TLayerCheck rules = Rules();
    std::vector<std::string> faults;
    rules.CheckTree(VORELT_SOURCE_DIR, faults);
    for (const std::string& f : faults)
        ADD_FAILURE() << f;
}

TEST(Layering, TheCheckFindsUpwardIncludesAndQtInTheCore) {
    const TLayerCheck rules = Rules();
    EXPECT_TRUE(Check(rules, "drivers", "#include \"model/TAEField.h\"\n").empty());
    EXPECT_TRUE(Check(rules, "drivers", "#include \"TLocal.h\"\n#include <vector>\n").empty());

    const auto upward = Check(rules, "model", "// x\n#include \"processing/TGVCPU.h\"\n");
    ASSERT_EQ(upward.size(), 1u);
    EXPECT_EQ(upward[0], "scratch.cpp:2: #include \"processing/TGVCPU.h\": 'model' may not use "
                         "'processing'");
    EXPECT_EQ(Check(rules, "processing", "  #  include \"project/TProjectAE.h\"\n").size(), 1u);
    EXPECT_EQ(Check(rules, "tools/cli", "#include \"view2d/TPanelVC.h\"\n").size(), 1u);
    EXPECT_EQ(Check(rules, "tools/mkdata", "#include \"drivers/TAEDriverDb.h\"\n").size(), 1u);
    EXPECT_EQ(Check(rules, "tests/model", "#include \"drivers/TAEDriverDb.h\"\n").size(), 1u);
    EXPECT_EQ(Check(rules, "project", "#include <QString>\n").size(), 1u);
    EXPECT_EQ(Check(rules, "drivers", "#include <GL/gl.h>\n").size(), 1u);
    EXPECT_TRUE(Check(rules, "view2d", "#include <QPainter>\n").empty());
    // The view model decides what the views draw without a window: no Qt, and nothing of the
    // widgets above it.
    EXPECT_EQ(Check(rules, "viewmodel", "#include <QWidget>\n").size(), 1u);
    EXPECT_EQ(Check(rules, "viewmodel", "#include <QtWidgets/QLabel>\n").size(), 1u);
    EXPECT_EQ(Check(rules, "viewmodel", "#include \"view2d/TGraphVC.h\"\n").size(), 1u);
    EXPECT_TRUE(Check(rules, "view2d", "#include \"viewmodel/axes/TAixs.h\"\n").empty());
    EXPECT_TRUE(Check(rules, "tests/viewmodel", "#include \"viewmodel/axes/TAixs.h\"\n").empty());
    EXPECT_EQ(Check(rules, "tests/project", "#include \"viewmodel/axes/TAixs.h\"\n").size(), 1u);
    EXPECT_EQ(Check(rules, "newlib", "#include \"model/TAEField.h\"\n").size(), 1u);
}
