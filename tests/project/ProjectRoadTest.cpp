// The road of a deletion, headless: records deleted below a processor survive closing the data
// file and reopening the project, and restoring them all brings every record back.

#include "ProjectTestSupport.h"

namespace vorelt {
namespace {

class ProjectRoad : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { test::RegisterTestClasses(); }
    test::TTempDir Dir;
};

TEST_P(ProjectRoad, DeletionsSurviveReopeningAndRestoreBringsAllBack) {
    const std::string data = test::GenerateFile(Dir, GetParam(), 3000);
    const std::string file = Dir.File("road.xml");
    std::vector<bool> before;
    std::vector<int32_t> deleted;
    {
        TProjectAE project;
        std::string error;
        ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
        TGVCPU* filter = test::AddKind<TGVCPUFltr>(project, project.Db());
        TGVCPU* below = test::AddProcessor(project, *filter);
        before = test::DeletedFlags(*below);
        ASSERT_GT(before.size(), 3000u);
        EXPECT_EQ(std::count(before.begin(), before.end(), true), 0);
        for (int32_t i = 100; i < 2000; i += 7)
            deleted.push_back(i);
        TAEOMSG msg;
        msg.Msg = omDeleteGroup;
        msg.List = deleted;
        below->SendUp(msg);
        TAEOMSG second;
        second.Msg = omDeleteGroup;
        second.List = {5, 6};
        below->SendUp(second);
        EXPECT_EQ(project.Db().DeletedGroupCount(), 2);
        ASSERT_TRUE(project.SaveProject(file, error)) << error;
        project.CloseDataFile();
    }
    deleted.push_back(5);
    deleted.push_back(6);

    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.LoadProject(file, error)) << error;
    ASSERT_TRUE(project.OpenDataFile(project.DbName(), error)) << error;
    ASSERT_EQ(project.Db().Child(0)->ClassName(), "TGVCPUFltr");
    TGVCPU* below = project.Db().Child(0)->Child(0);
    ASSERT_TRUE(below);
    EXPECT_EQ(below->ClassName(), "TTestPassFilter");
    std::vector<bool> after = test::DeletedFlags(*below);
    ASSERT_EQ(after.size(), before.size());
    std::vector<bool> expected(before.size(), false);
    for (int32_t i : deleted)
        expected[size_t(i)] = true;
    EXPECT_EQ(after, expected);
    EXPECT_EQ(project.Db().DeletedGroupCount(), 2);

    TAEOMSG restore;
    restore.Msg = omUndoAllDeletions;
    below->SendUp(restore);
    EXPECT_EQ(project.Db().DeletedGroupCount(), 0);
    EXPECT_EQ(test::DeletedFlags(*below), before);
    // And the restoration is what the next opening sees.
    project.CloseDataFile();
    ASSERT_TRUE(project.OpenDataFile(project.DbName(), error)) << error;
    EXPECT_EQ(test::DeletedFlags(*project.Db().Child(0)->Child(0)), before);
}

INSTANTIATE_TEST_SUITE_P(Formats, ProjectRoad, ::testing::Values("isa", "pci"));

} // namespace
} // namespace vorelt
