// Saving and loading whole projects: byte-identical round trips, failures that leave the
// previous file or the previous content alone, and data files that no driver takes.

#include "ProjectTestSupport.h"
#include "cli/TCliCommands.h"
#include "persist/TErrors.h"
#include "persist/TXMLPersistentAEProject.h"

#include <cstring>
#include <filesystem>
#include <sstream>

namespace vorelt {
namespace {

// A processor whose saving fails half-way, as a full disk or a bad value would.
class TFailingSave : public TGVCPU {
public:
    void SaveToNode(TNodePersist& node) const override {
        TGVCPU::SaveToNode(node);
        if (Fail) throw EAEError("Saving Failed Here");
    }
    bool Fail = true;
};

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ProjectFile : public ::testing::Test {
protected:
    void SetUp() override { test::RegisterTestClasses(); }
    test::TTempDir Dir;
};

TEST_F(ProjectFile, FullProjectSavesLoadsAndSavesAgainIdentically) {
    // In time order: the location processor refuses unsorted files.
    const std::string data = test::GenerateFile(Dir, "isa", 500, 3, true);
    const std::string first = Dir.File("first.xml");
    const std::string second = Dir.File("second.xml");
    std::string error;
    {
        TProjectAE project;
        ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
        test::FillProject(project);
        ASSERT_TRUE(project.SaveProject(first, error)) << error;
        EXPECT_FALSE(project.Modified());
        EXPECT_EQ(project.FileName(), first);
    }
    TProjectAE project;
    ASSERT_TRUE(project.LoadProject(first, error)) << error;
    EXPECT_EQ(project.Name(), "Full");
    EXPECT_EQ(project.DbName(), data);
    EXPECT_EQ(project.ColorBackGraph(), 1);
    EXPECT_EQ(project.Variants().Count(), 2);
    EXPECT_EQ(project.ZipParameters().J(), 25);
    EXPECT_EQ(project.Pages().PageCount(), 2);
    EXPECT_EQ(project.Db().TestSections().Count(), 2);
    EXPECT_EQ(project.Db().OwnFields().Count(), 1);
    ASSERT_EQ(project.Db().ChildCount(), 1);
    EXPECT_EQ(project.Db().Child(0)->ClassName(), "TGVCPUFltr");
    EXPECT_EQ(project.Db().Child(0)->ChildCount(), 3);
    ASSERT_TRUE(project.SaveProject(second, error)) << error;
    EXPECT_EQ(test::ReadFileBytes(first), test::ReadFileBytes(second));

    // Again with the data file open, and through the command line.
    ASSERT_TRUE(project.OpenDataFile(project.DbName(), error)) << error;
    ASSERT_TRUE(project.SaveProject(second, error)) << error;
    EXPECT_EQ(test::ReadFileBytes(first), test::ReadFileBytes(second));
    const std::string third = Dir.File("third.xml");
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunCli({"project", first, "--save", third}, out, err), 0) << err.str();
    EXPECT_EQ(test::ReadFileBytes(first), test::ReadFileBytes(third));
}

TEST_F(ProjectFile, SavingWithoutANameWritesNothing) {
    TProjectAE project;
    std::string error;
    EXPECT_FALSE(project.SaveProject("", error));
    EXPECT_EQ(error, "Error Saving Project");
    EXPECT_TRUE(FilesIn(Dir.Path()).empty());
}

TEST_F(ProjectFile, AFailedSaveLeavesThePreviousFileAsItWas) {
    const std::string file = Dir.File("kept.xml");
    TProjectAE project;
    project.SetName("Kept");
    std::string error;
    ASSERT_TRUE(project.SaveProject(file, error)) << error;
    const std::string before = test::ReadFileBytes(file);

    auto* failing = project.Db().AddNew<TFailingSave>();
    project.SetName("Changed");
    project.SetModified(false);
    EXPECT_FALSE(project.SaveProject(file, error));
    EXPECT_EQ(error, "Saving Failed Here");
    EXPECT_EQ(test::ReadFileBytes(file), before);
    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(FilesIn(Dir.Path()), std::vector<std::string>{"kept.xml"});

    // A store that cannot write (no such folder) fails with the project's text and the
    // system's reason.
    failing->Fail = false;
    EXPECT_FALSE(project.SaveProject(Dir.File("no/such/folder/p.xml"), error));
    EXPECT_EQ(error.rfind("Error Saving Project: ", 0), 0u) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_EQ(project.FileName(), file);
    ASSERT_TRUE(project.SaveProject("", error)) << error;
    EXPECT_NE(test::ReadFileBytes(file), before);
}

TEST_F(ProjectFile, FilesThatAreNoProjectLeaveTheProjectUntouched) {
    const std::string data = test::GenerateFile(Dir, "pci", 200);
    const std::string good = Dir.File("good.xml");
    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
    test::FillProject(project);
    ASSERT_TRUE(project.SaveProject(good, error)) << error;
    const std::string full = test::ReadFileBytes(good);

    const std::string text = Dir.File("text.xml");
    test::WriteFileBytes(text, "This is not a project.\n");
    const std::string empty = Dir.File("empty.xml");
    test::WriteFileBytes(empty, "");
    const std::string truncated = Dir.File("truncated.xml");
    test::WriteFileBytes(truncated, full.substr(0, full.size() / 2));
    for (const std::string& file : {text, empty, truncated, Dir.File("missing.xml")}) {
        EXPECT_FALSE(project.LoadProject(file, error)) << file;
        // The text, then the parser's reason with its place, or the system's.
        EXPECT_EQ(error.rfind("Not Project File Type: ", 0), 0u) << error;
        EXPECT_TRUE(error.find(" at line ") != std::string::npos ||
                    error.find("No such file or directory") != std::string::npos)
            << error;
        EXPECT_EQ(project.FileName(), good);
        ASSERT_TRUE(project.SaveProject(Dir.File("again.xml"), error)) << error;
        EXPECT_EQ(test::ReadFileBytes(Dir.File("again.xml")), full) << file;
        project.SaveProject(good, error);
    }
    TProjectAE unnamed;
    EXPECT_FALSE(unnamed.LoadProject("", error));
    EXPECT_EQ(error, "Not Name");
}

TEST_F(ProjectFile, ContentThatFailsHalfWayPutsThePreviousProjectBack) {
    const std::string good = Dir.File("good.xml");
    TProjectAE project;
    test::FillProject(project);
    std::string error;
    ASSERT_TRUE(project.SaveProject(good, error)) << error;
    const std::string full = test::ReadFileBytes(good);

    // A section whose bounds are no number: the variants and pages are read before it.
    TProjectAE other;
    other.SetName("Other");
    other.Pages().AddPage("Elsewhere");
    other.Db().TestSections().Add(std::make_unique<TTestSection>("Bad", 1, 2));
    ASSERT_TRUE(other.SaveProject(Dir.File("bad.xml"), error)) << error;
    std::string bad = test::ReadFileBytes(Dir.File("bad.xml"));
    const size_t at = bad.find("<Value>2</Value>", bad.find("<Value>Bad</Value>"));
    ASSERT_NE(at, std::string::npos);
    bad.replace(at, 16, "<Value>two</Value>");
    test::WriteFileBytes(Dir.File("bad.xml"), bad);

    EXPECT_FALSE(project.LoadProject(Dir.File("bad.xml"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(project.FileName(), good);
    EXPECT_EQ(project.Name(), "Full");
    ASSERT_TRUE(project.SaveProject(Dir.File("again.xml"), error)) << error;
    EXPECT_EQ(test::ReadFileBytes(Dir.File("again.xml")), full);
}

TEST_F(ProjectFile, NewProjectStartsFromAnEmptyFile) {
    TProjectAE project;
    test::FillProject(project);
    std::string error;
    ASSERT_TRUE(project.LoadProject(Dir.File("new.xml"), error, true)) << error;
    EXPECT_EQ(project.Name(), "");
    EXPECT_EQ(project.Db().ChildCount(), 0);
    EXPECT_EQ(project.Pages().PageCount(), 0);
    EXPECT_EQ(project.Variants().Count(), 0);
    EXPECT_TRUE(std::filesystem::exists(Dir.File("new.xml")));
}

class ProjectDataFile : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { test::RegisterTestClasses(); }
    test::TTempDir Dir;
};

TEST_P(ProjectDataFile, UnreadableFilesGiveTheirErrorAndChangeNothing) {
    const std::string data = test::GenerateFile(Dir, GetParam(), 300);
    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
    TGVCPU* child = test::AddProcessor(project, project.Db());
    const size_t records = test::DeletedFlags(*child).size();
    TAEDriverDb* driver = project.Db().Driver();

    const std::string bytes = test::ReadFileBytes(data);
    const std::string ext = std::string(".") + GetParam();
    struct TCase {
        std::string Name;
        std::string Bytes;
    };
    std::vector<TCase> cases = {{"text" + ext, "AE test notes\r\nnothing to see\r\n"},
                                {"empty" + ext, ""},
                                {"short" + ext, bytes.substr(0, 200)}};
    const bool tarvel = ext == ".isa" || ext == ".pci";
    if (tarvel) {
        // Cut inside the header, one byte short of the first message.
        TAERecord record;
        project.Db().PrepareRecord(record);
        TAEPNav nav;
        const int32_t first = project.Db().NextRecord(nav, record, 0);
        ASSERT_GT(first, 0);
        const size_t headerEnd = static_cast<size_t>(driver->Item(first)->Offset) - 4;
        cases.push_back({"cut" + ext, bytes.substr(0, headerEnd - 1)});
    }
    for (const TCase& c : cases) {
        const std::string file = Dir.File(c.Name);
        test::WriteFileBytes(file, c.Bytes);
        EXPECT_FALSE(project.OpenDataFile(file, error)) << c.Name;
        EXPECT_FALSE(error.empty()) << c.Name;
        if (tarvel && c.Name.rfind("cut", 0) != 0) {
            EXPECT_EQ(error.rfind("This Type File Not Support", 0), 0u) << c.Name << ": " << error;
        }
        EXPECT_EQ(project.DbName(), data);
        EXPECT_EQ(project.Db().Driver(), driver);
        EXPECT_EQ(test::DeletedFlags(*child).size(), records) << c.Name;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ProjectDataFile,
                         ::testing::Values("isa", "pci", "disp", "vallen"));

} // namespace
} // namespace vorelt

namespace vorelt {
namespace {

TEST_F(ProjectFile, WaveformOptionsAreKeptAndOldProjectsGetTheDefaults) {
    const std::string file = Dir.File("waves.xml");
    std::string error;
    TWaveformOptions chosen;
    chosen.Picker = TArrivalPicker::ModifiedEnergyRatio;
    chosen.Bounds = {10, 100, 200, 400.5, 800};
    {
        TProjectAE project;
        project.SetWaveformOptions(chosen);
        ASSERT_TRUE(project.SaveProject(file, error)) << error;
    }
    const std::string text = test::ReadFileBytes(file);
    EXPECT_NE(text.find("400,5"), std::string::npos) << "bounds are written with the comma";
    TProjectAE project;
    ASSERT_TRUE(project.LoadProject(file, error)) << error;
    EXPECT_EQ(project.WaveformOptions(), chosen);

    // A project saved before the options existed: the defaults, whatever was loaded before.
    const size_t from = text.find("<WAVEFORM");
    const size_t to = text.find("</WAVEFORM>");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    std::string old = text;
    old.erase(from, to + std::strlen("</WAVEFORM>") - from);
    test::WriteFileBytes(Dir.File("old.xml"), old);
    ASSERT_TRUE(project.LoadProject(Dir.File("old.xml"), error)) << error;
    EXPECT_EQ(project.WaveformOptions(), TWaveformOptions{});

    // Bounds that do not rise, and a picker that does not exist, are not taken.
    std::string bad = text;
    bad.replace(bad.find("400,5"), 5, "50");
    const size_t picker = bad.find("<Value>3<", bad.find(">Picker<"));
    ASSERT_NE(picker, std::string::npos);
    bad.replace(picker, 9, "<Value>9<");
    test::WriteFileBytes(Dir.File("bad.xml"), bad);
    ASSERT_TRUE(project.LoadProject(Dir.File("bad.xml"), error)) << error;
    EXPECT_EQ(project.WaveformOptions(), TWaveformOptions{});
}

} // namespace
} // namespace vorelt
