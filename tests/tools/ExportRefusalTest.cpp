// vorelt-export's refusals say what is wrong and name the project file: a view asked in a
// format its kind is not written in, a 3D graph, a name that is no view (with the views there
// are), a target that is no .csv, .png, .pdf or .svg file.

#include "common/TestData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using vorelt::test::ReadFileBytes;
using vorelt::test::TTempDir;

namespace {

const std::string Bin = VORELT_BINARY_DIR;

struct TRun {
    int Status = -1;
    std::string Err;
};

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

TRun Export(const TTempDir& dir, const std::string& project, const std::string& view,
            const std::string& target) {
    const std::string err = dir.File("err.txt");
    // A runtime folder of the owner's alone, or Qt warns on the error output.
    const std::string runtime = dir.File("runtime");
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    const std::string command = "XDG_RUNTIME_DIR=" + Quote(runtime) + " " +
                                Quote(Bin + "/tools/export/vorelt-export") + " " + Quote(project) +
                                " " + Quote(view) + " " + Quote(target) + " >/dev/null 2>" +
                                Quote(err);
    TRun r;
    const int status = std::system(command.c_str());
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Err = ReadFileBytes(err);
    return r;
}

struct TExportRefusals : ::testing::Test {
    static void SetUpTestSuite() {
        Dir = new TTempDir;
        const std::string command =
            Quote(Bin + "/demo/vorelt-mkdemo") + " " + Quote(Dir->Path()) + " --hits 200";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    static void TearDownTestSuite() {
        delete Dir;
        Dir = nullptr;
    }
    static TTempDir* Dir;
    std::string Project() const { return Dir->File("demo.xml"); }
};

TTempDir* TExportRefusals::Dir = nullptr;

} // namespace

TEST_F(TExportRefusals, EachKindOfViewSaysWhichFormatsItIsWrittenIn) {
    const std::string p = Project();
    TRun r = Export(*Dir, p, "TB01", Dir->File("t.png"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: " + p + ": TB01 is a table: export it as .csv, not as " +
                         Dir->File("t.png") + "\n");
    r = Export(*Dir, p, "GR01", Dir->File("g.csv"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: " + p + ": GR01 is a graph: export it as .png, .pdf or .svg, not as " +
                         Dir->File("g.csv") + "\n");
    for (const char* format : {".png", ".pdf", ".csv"}) {
        r = Export(*Dir, p, "3D01", Dir->File(std::string("s") + format));
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, "error: " + p +
                             ": 3D01 is a 3D graph: it is drawn only in the OpenGL window of "
                             "Vorelt; vorelt-export writes tables (.csv) and 2D graphs (.png, "
                             ".pdf, .svg)\n")
            << format;
    }
    r = Export(*Dir, p, "TB01", Dir->File("t.svg"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: " + p + ": TB01 is a table: export it as .csv, not as " +
                         Dir->File("t.svg") + "\n");
    r = Export(*Dir, p, "TB01", Dir->File("t.jpg"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: " + p + ": " + Dir->File("t.jpg") +
                         ": not a .csv, .png, .pdf or .svg file: vorelt-export writes tables as "
                         ".csv and graphs as .png, .pdf or .svg\n");
    // What can be written still is, by name or by the graph's title.
    EXPECT_EQ(Export(*Dir, p, "TB01", Dir->File("t.csv")).Status, 0);
    EXPECT_EQ(Export(*Dir, p, "Hits per Channel", Dir->File("g.png")).Status, 0);
}

TEST_F(TExportRefusals, AnUnknownNameListsTheViewsThereAre) {
    const std::string p = Project();
    for (const char* target : {"x.csv", "x.png"}) {
        const TRun r = Export(*Dir, p, "GR9", Dir->File(target));
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, "error: " + p +
                             ": no view named \"GR9\"; the views are: TB01 (table), GR01 (graph), "
                             "GR02 (graph), GR03 (graph), 3D01 (3D graph), GR04 (graph)\n")
            << target;
    }
}
