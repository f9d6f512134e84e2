// Pages and their grid, the settings file, recent projects, status texts, helpers, the
// project's messages and IDs, and the project commands of the command line.

#include "ProjectTestSupport.h"
#include "cli/TCliCommands.h"
#include "project/IStatusDisplay.h"
#include "project/TIniApplic.h"
#include "project/TShowMessage.h"
#include "project/TStackProjectName.h"
#include "project/TStatusText.h"

#include <filesystem>
#include <set>
#include <sstream>

namespace vorelt {
namespace {

TEST(ProjectPages, GridIsNeverFinerThanSixteen) {
    test::RegisterTestClasses();
    for (auto [saved, loaded] : {std::pair{"8", 16}, {"24", 24}, {"x", 16}}) {
        TNodePersist node("DISP");
        node.AddItem("CountCellsXY", saved);
        TDispatchDraw pages;
        pages.LoadFromNode(node);
        EXPECT_EQ(pages.CountCellsXY(), loaded) << saved;
    }
}

TEST(ProjectPages, SnapMovesEdgesToTheNearestGridLine) {
    TDispatchDraw pages;
    pages.AddPage("P");
    RecListGVCPU p;
    p.TopLeftX = 20;
    p.BottomRightX = 9;
    p.TopLeftY = 0;
    p.BottomRightY = 100;
    EXPECT_TRUE(pages.SnapPlacement(297, 210, p));
    EXPECT_EQ(p.TopLeftX, 18.5625L);
    EXPECT_EQ(p.BottomRightX, 0);
    p.TopLeftX = 10;
    pages.SnapPlacement(320, 210, p);
    EXPECT_EQ(p.TopLeftX, 0);
}

TEST(ProjectPages, OverlapIsJudgedBySamplePoints) {
    TDispatchDraw pages;
    pages.AddPage("P");
    RecListGVCPU wide{0, 0, 20, 320, 60, "A"};
    pages.Page(0)->AddPlacement(wide);
    // A plus sign: no corner or side midpoint of either lies inside the other.
    RecListGVCPU tall{0, 200, 0, 240, 200, "B"};
    EXPECT_FALSE(PlacementsOverlap(wide, tall));
    EXPECT_TRUE(pages.SnapPlacement(320, 200, tall));
    RecListGVCPU inside{0, 0, 0, 100, 100, "C"};
    EXPECT_FALSE(pages.SnapPlacement(320, 200, inside));
    // The placement itself (same ID) does not count.
    inside.ID = "A";
    EXPECT_TRUE(pages.SnapPlacement(320, 200, inside));
}

TEST(ProjectPages, PagesByNamePlacementsByIDAndRemoval) {
    TProjectAE project;
    TDispatchDraw& pages = project.Pages();
    pages.AddPage(" First ");
    pages.AddPage("Second");
    EXPECT_EQ(pages.IndexOfPage("first"), 0);
    EXPECT_EQ(pages.IndexOfPage("SECOND "), 1);
    EXPECT_EQ(pages.IndexOfPage("Third"), -1);
    TGVCPU* view = test::AddProcessor(project, project.Db());
    pages.AddFree(view);
    RecListGVCPU p{0, 1, 2, 3, 4, view->ID()};
    pages.Page(1)->AddPlacement(p);
    pages.Page(1)->SetMaxIndex(0);
    RecListGVCPU found;
    ASSERT_TRUE(pages.FindPlacement(view->ID(), found));
    EXPECT_EQ(found.BottomRightY, 4);
    project.RemoveFromPages(view->ID());
    EXPECT_FALSE(pages.FindPlacement(view->ID(), found));
    EXPECT_EQ(pages.Page(1)->MaxIndex(), -1);
    EXPECT_EQ(pages.IndexOfFree(view), -1);
    pages.ExchangePages(0, 1);
    EXPECT_EQ(pages.Page(0)->Name(), "Second");
    project.SetModified(false);
    pages.NotifyModified();
    EXPECT_TRUE(project.Modified());
}

TEST(ProjectPages, CoordinateConversions) {
    TDispatchDraw pages;
    int32_t x = 0, y = 0;
    pages.LogicalToDevice(148.5L, 105, 594, 420, true, true, x, y);
    EXPECT_EQ(x, 297);
    EXPECT_EQ(y, 210);
    pages.LogicalToDevice(2.5L, 3.5L, 100, 100, false, false, x, y);
    EXPECT_EQ(x, 2); // halves go to the even neighbour
    EXPECT_EQ(y, 4);
    EXPECT_EQ(pages.MmToPixels(25.4L, 96), 96);
    EXPECT_EQ(pages.PixelsToMm(96, 96), 25);
}

TEST(ProjectSettings, SectionsAndKeysIgnoreCaseAndKeepTheirOrder) {
    test::TTempDir dir;
    const std::string file = dir.File("vorelt.ini");
    test::WriteFileBytes(file, "[MAIN]\r\nTop=10\r\n[Colors]\r\nBack=3\r\n[Main]\r\nLeft=20\r\n"
                               "top=99\r\n");
    std::string error;
    {
        TIniApplic settings(dir.Path());
        EXPECT_EQ(settings.AppDir(), dir.Path() + "/");
        EXPECT_EQ(settings.File().Sections(), (std::vector<std::string>{"MAIN", "Colors"}));
        int32_t top = -1, width = 640, height = 480, left = -1;
        settings.ReadBounds("main", top, width, height, left);
        EXPECT_EQ(top, 10);
        EXPECT_EQ(left, 20);
        EXPECT_EQ(width, 640);
        EXPECT_EQ(height, 480);
        settings.WriteInteger("colors", "BACK", 4);
        settings.WriteString("Recent", "File1", "C:\\Проекты\\a.xml");
        // Nothing reaches the file before the single write.
        EXPECT_EQ(test::ReadFileBytes(file).find("Recent"), std::string::npos);
    }
    const std::string written = test::ReadFileBytes(file);
    EXPECT_EQ(written.substr(0, written.find("[Recent]")),
              "[MAIN]\r\nTop=10\r\nLeft=20\r\n\r\n[Colors]\r\nBack=4\r\n\r\n");
    TIniApplic again(dir.Path());
    EXPECT_EQ(again.ReadString("RECENT", "file1", ""), "C:\\Проекты\\a.xml");
    EXPECT_EQ(again.ReadInteger("Colors", "Back", 0), 4);
    EXPECT_EQ(again.ReadInteger("Colors", "Missing", 7), 7);
    ASSERT_TRUE(again.Flush(error)) << error;
    test::WriteFileBytes(file, "changed by someone else");
    // Written once: the destructor does not write again.
}

TEST(ProjectSettings, WrittenOnceWhenFlushed) {
    test::TTempDir dir;
    std::string error;
    {
        TIniApplic settings(dir.Path());
        settings.WriteInteger("A", "B", 1);
        ASSERT_TRUE(settings.Flush(error)) << error;
        test::WriteFileBytes(dir.File("vorelt.ini"), "kept");
        settings.WriteInteger("A", "B", 2);
    }
    EXPECT_EQ(test::ReadFileBytes(dir.File("vorelt.ini")), "kept");
}

TEST(ProjectRecent, CapacityAndCaseInsensitiveNames) {
    TStackProjectName recent;
    for (int i = 0; i < 11; ++i)
        recent.Add("p" + std::to_string(i) + ".xml");
    EXPECT_EQ(recent.Count(), 10);
    EXPECT_EQ(recent.Get(0), "p10.xml");
    EXPECT_EQ(recent.Get(9), "p1.xml");
    recent.Add("P5.XML");
    EXPECT_EQ(recent.Count(), 10);
    EXPECT_EQ(recent.Get(0), "P5.XML");
    EXPECT_EQ(recent.Get(10), "");
    recent.AddShown("a");
    recent.AddShown("a");
    EXPECT_EQ(recent.ShownCount(), 2);
}

class TLogDisplay : public IStatusDisplay {
public:
    void ShowText(const std::string& text) override { Log.push_back("show " + text); }
    void HideText() override { Log.push_back("hide"); }
    std::vector<std::string> Log;
};

TEST(ProjectStatus, TextsNestAndBlanksShowNothing) {
    TLogDisplay display;
    TShowMessage status(&display);
    status.ShowStatus("   ");
    EXPECT_EQ(status.Depth(), 0);
    EXPECT_TRUE(display.Log.empty());
    {
        TStatusGuard outer(&status, "Loading Project...");
        TStatusGuard inner(&status, "Opening Database...");
        EXPECT_EQ(status.CurrentText(), "Opening Database...");
    }
    EXPECT_EQ(display.Log,
              (std::vector<std::string>{"show Loading Project...", "show Opening Database...",
                                        "show Loading Project...", "hide"}));
    status.HideStatus();
    EXPECT_EQ(status.Depth(), 0);
}

TEST(ProjectStatus, StateNames) {
    EXPECT_EQ(StateName(0), "None");
    EXPECT_EQ(StateName(9), "Ready");
    EXPECT_EQ(StateName(10), "");
    EXPECT_EQ(StatusWithWarnings("Ready", {"a", "b"}), "Ready; warning: a; warning: b");
}

TEST(ProjectMessages, HandlersAndModifiedState) {
    test::RegisterTestClasses();
    TProjectAE project;
    int modified = 0, refreshed = 0, reloaded = 0, maximized = 0, normal = 0;
    std::vector<int32_t> pagesAsked;
    project.OnModified = [&](TProjectAE&) { ++modified; };
    project.OnRefreshOutdated = [&](TProjectAE&) { ++refreshed; };
    project.OnReloadFocused = [&](TProjectAE&) { ++reloaded; };
    project.OnMaximizeFocused = [&](TProjectAE&) { ++maximized; };
    project.OnNormalSizeFocused = [&](TProjectAE&) { ++normal; };
    project.OnActivatePage = [&](TProjectAE&, int32_t page) {
        pagesAsked.push_back(page);
        return true;
    };
    TGVCPU* child = test::AddProcessor(project, project.Db());
    EXPECT_FALSE(project.Modified());
    child->Changed(false); // 0x409 up
    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(modified, 1);
    project.Db().Changed(false); // 0x41A: quietly
    EXPECT_EQ(modified, 1);
    for (uint32_t number : {omReloadView, omFillPage, omRestoreRect}) {
        TAEOMSG msg;
        msg.Msg = number;
        project.Dispatch(msg);
    }
    TAEOMSG focus;
    focus.Msg = omFocusView;
    focus.WParam = 2;
    project.Dispatch(focus);
    EXPECT_EQ(focus.Msg, omFocusView);
    EXPECT_EQ(pagesAsked, std::vector<int32_t>{2});
    EXPECT_EQ(reloaded + maximized + normal, 3);
    EXPECT_EQ(refreshed, 0);
}

TEST(ProjectIDs, NewIDsAreFreeEverywhere) {
    test::RegisterTestClasses();
    TProjectAE project;
    EXPECT_EQ(project.Db().ID().size(), 16u);
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string id = project.GenerateID();
        ASSERT_EQ(id.size(), 16u);
        EXPECT_EQ(id.find('9'), std::string::npos);
        EXPECT_FALSE(IsReservedID(id));
        EXPECT_TRUE(project.Db().IsIDFree(id));
        EXPECT_TRUE(seen.insert(id).second);
    }
    const int32_t n = project.GenerateNumber();
    EXPECT_GE(n, 1);
    EXPECT_LE(n, 2147483646);
    EXPECT_EQ(project.FindByID(project.Db().ID()), &project.Db());
}

TEST(ProjectCli, NewProjectListingAndDump) {
    test::RegisterTestClasses();
    test::TTempDir dir;
    const std::string data = test::GenerateFile(dir, "pci", 400);
    const std::string file = dir.File("cli.xml");
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"new-project", file, "--data", data}, out, err), 0) << err.str();

    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.LoadProject(file, error)) << error;
    ASSERT_TRUE(project.OpenDataFile(project.DbName(), error)) << error;
    TGVCPU* pass = test::AddProcessor(project, project.Db());
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {3, 4};
    pass->SendUp(del);
    project.Pages().AddPage("Main");
    ASSERT_TRUE(project.SaveProject(file, error)) << error;
    const int32_t records = static_cast<int32_t>(test::DeletedFlags(*pass).size());
    project.CloseDataFile();

    out.str("");
    ASSERT_EQ(cli::RunCli({"project", file}, out, err), 0) << err.str();
    const std::string listing = out.str();
    EXPECT_NE(listing.find("Database: " + std::to_string(records) + "\n"), std::string::npos)
        << listing;
    EXPECT_NE(listing.find("FR01: " + std::to_string(records) + "\n"), std::string::npos)
        << listing << err.str();
    EXPECT_NE(listing.find("  Main\n"), std::string::npos);

    out.str("");
    ASSERT_EQ(cli::RunCli({"project", file, "--dump", "FR01"}, out, err), 0) << err.str();
    std::istringstream lines(out.str());
    std::string header, line;
    std::getline(lines, header);
    EXPECT_EQ(header.rfind("DefaultText;", 0), 0u) << header;
    int count = 0, deleted = 0;
    while (std::getline(lines, line)) {
        ++count;
        deleted += line.find(";True;") != std::string::npos;
    }
    EXPECT_EQ(count, records);
    EXPECT_EQ(deleted, 2);

    out.str("");
    err.str("");
    EXPECT_EQ(cli::RunCli({"project", file, "--dump", "Nobody"}, out, err), 1);
    EXPECT_NE(err.str().find("Nobody"), std::string::npos);
}

TEST(ProjectCli, ErrorsSetTheExitStatus) {
    test::RegisterTestClasses();
    test::TTempDir dir;
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunCli({"project", dir.File("missing.xml")}, out, err), 1);
    EXPECT_NE(err.str().find("Not Project File Type"), std::string::npos);
    const std::string text = dir.File("notes.txt");
    test::WriteFileBytes(text, "text");
    err.str("");
    EXPECT_EQ(cli::RunCli({"new-project", dir.File("p.xml"), "--data", text}, out, err), 1);
    EXPECT_NE(err.str().find("This Type File Not Support"), std::string::npos);
    EXPECT_EQ(cli::RunCli({"new-project", dir.File("p.xml")}, out, err), 2);

    // A project whose data file has gone still lists, and says it failed.
    const std::string data = test::GenerateFile(dir, "isa", 100);
    const std::string file = dir.File("gone.xml");
    ASSERT_EQ(cli::RunCli({"new-project", file, "--data", data}, out, err), 0) << err.str();
    std::filesystem::remove(data);
    out.str("");
    err.str("");
    EXPECT_EQ(cli::RunCli({"project", file}, out, err), 1);
    EXPECT_NE(out.str().find("Database: 0"), std::string::npos);
    EXPECT_NE(err.str().find(data + ": No such file or directory"), std::string::npos) << err.str();
}

} // namespace
} // namespace vorelt
