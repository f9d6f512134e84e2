// A project is never written over a recording, a project file that is no regular file is
// refused without waiting, and every refusal of a project file says why.

#include "ProjectTestSupport.h"
#include "cli/TCliCommands.h"
#include "drivers/SafeFileSupport.h"
#include "drivers/TAEDriverDb.h"
#include "model/TAEMessageNumbers.h"
#include "model/TAERecordProtocol.h"
#include "processing/db/TGVDb.h"

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace vorelt {
namespace {

namespace fs = std::filesystem;

struct TCliResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TCliResult Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    TCliResult r;
    r.Status = cli::RunCli(args, out, err);
    r.Out = out.str();
    r.Err = err.str();
    return r;
}

class ProjectTarget : public ::testing::Test {
protected:
    void SetUp() override {
        test::RegisterTestClasses();
        Data = test::GenerateFile(Dir, "disp", 200);
        Bytes = test::ReadFileBytes(Data);
    }
    std::string Log() const { return fs::path(Data).replace_extension(".log").string(); }
    test::TTempDir Dir;
    std::string Data;
    std::string Bytes;
};

TEST_F(ProjectTarget, SaveNeverWritesOverTheDataFileOrItsLog) {
    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(Data, error)) << error;
    ASSERT_TRUE(project.SaveProject(Dir.File("p.xml"), error)) << error;
    fs::create_symlink(Data, Dir.File("link.xml"));
    fs::create_hard_link(Data, Dir.File("hard.xml"));
    for (const std::string& target : {Data, Dir.File("./sub/../data.disp"), Log(),
                                      Dir.File("link.xml"), Dir.File("hard.xml")}) {
        SCOPED_TRACE(target);
        const std::string log = test::ReadFileBytes(Log());
        EXPECT_FALSE(project.SaveProject(target, error));
        EXPECT_EQ(error.rfind("Error Saving Project: the target is the ", 0), 0u) << error;
        EXPECT_EQ(test::ReadFileBytes(Data), Bytes);
        EXPECT_EQ(test::ReadFileBytes(Log()), log);
        EXPECT_EQ(project.FileName(), Dir.File("p.xml"));
    }
    EXPECT_TRUE(fs::is_symlink(Dir.File("link.xml")));
}

TEST_F(ProjectTarget, SaveNeverWritesOverAnyDataFileOrLog) {
    test::TTempDir otherDir;
    const std::string other = test::GenerateFile(otherDir, "spartan", 50);
    const std::string otherBytes = test::ReadFileBytes(other);
    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(Data, error)) << error;
    EXPECT_FALSE(project.SaveProject(other, error));
    EXPECT_EQ(error, "Error Saving Project: the target is a data file (TAESpartan)");
    EXPECT_EQ(test::ReadFileBytes(other), otherBytes);
    // The log of another data file (there is one once a group was deleted in it).
    {
        TProjectAE second;
        ASSERT_TRUE(second.OpenDataFile(other, error)) << error;
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = {1};
        second.Db().Driver()->HandleMessage(del);
    }
    const std::string otherLog = fs::path(other).replace_extension(".log").string();
    const std::string logBytes = test::ReadFileBytes(otherLog);
    EXPECT_FALSE(project.SaveProject(otherLog, error));
    EXPECT_EQ(error, "Error Saving Project: the target is a companion log of a data file");
    EXPECT_EQ(test::ReadFileBytes(otherLog), logBytes);
    // A new project that starts from an empty file does not start over a data file either.
    TProjectAE fresh;
    EXPECT_FALSE(fresh.LoadProject(other, error, true));
    EXPECT_EQ(test::ReadFileBytes(other), otherBytes);
}

TEST_F(ProjectTarget, CommandLineRefusesBothRoutes) {
    TCliResult r = Cli({"new-project", Data, "--data", Data});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("Error Saving Project: the target is the project's data file"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(test::ReadFileBytes(Data), Bytes);

    const std::string project = Dir.File("p.xml");
    ASSERT_EQ(Cli({"new-project", project, "--data", Data}).Status, 0);
    const std::string log = test::ReadFileBytes(Log());
    for (const std::string& target : {Data, Log()}) {
        r = Cli({"project", project, "--save", target});
        EXPECT_EQ(r.Status, 1) << target;
        EXPECT_NE(r.Err.find("error: " + target + ": Error Saving Project: the target is the "),
                  std::string::npos)
            << r.Err;
    }
    EXPECT_EQ(test::ReadFileBytes(Data), Bytes);
    EXPECT_EQ(test::ReadFileBytes(Log()), log);
}

TEST_F(ProjectTarget, SavingSaysWhyItFailed) {
    TProjectAE project;
    std::string error;
    EXPECT_FALSE(project.SaveProject(Dir.File("missing/p.xml"), error));
    EXPECT_EQ(error, "Error Saving Project: Cannot create file \"" + Dir.File("missing/p.xml") +
                         "\": No such file or directory");
    fs::create_directory(Dir.File("folder.xml"));
    EXPECT_FALSE(project.SaveProject(Dir.File("folder.xml"), error));
    EXPECT_EQ(error, "Error Saving Project: the target is a directory");
    if (::geteuid() != 0) { // the superuser writes anyway
        fs::create_directory(Dir.File("ro"));
        ::chmod(Dir.File("ro").c_str(), 0555);
        EXPECT_FALSE(project.SaveProject(Dir.File("ro/p.xml"), error));
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    }
}

TEST_F(ProjectTarget, ProjectFilesThatAreNoRegularFilesAreRefusedWithoutWaiting) {
    const std::string fifo = Dir.File("pipe.xml");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string error;
    bool loaded = true;
    EXPECT_TRUE(test::ReturnsWithin(fifo, [&] {
        TProjectAE project;
        loaded = project.LoadProject(fifo, error);
    }));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(error, "Not Project File Type: is a named pipe");
    TProjectAE project;
    EXPECT_FALSE(project.LoadProject(Dir.Path(), error));
    EXPECT_EQ(error, "Not Project File Type: is a directory");
    EXPECT_FALSE(project.LoadProject(Dir.File("missing.xml"), error));
    EXPECT_EQ(error, "Not Project File Type: No such file or directory");
}

TEST_F(ProjectTarget, ProjectWhoseDataFileIsANamedPipeOpensWithoutWaiting) {
    const std::string fifo = Dir.File("pipe.DTA");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string file = Dir.File("p.xml");
    {
        TProjectAE project;
        project.SetDbName(fifo);
        std::string error;
        ASSERT_TRUE(project.SaveProject(file, error)) << error;
    }
    TCliResult r;
    EXPECT_TRUE(test::ReturnsWithin(fifo, [&] { r = Cli({"project", file}); }));
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("error: " + fifo + ": is a named pipe"), std::string::npos) << r.Err;
}

TEST_F(ProjectTarget, MalformedXmlGivesTheParsersReasonAndPlace) {
    const std::string file = Dir.File("bad.xml");
    test::WriteFileBytes(file, "<?xml version=\"1.0\"?>\r\n<PRJ_GV>\r\n  <AEPROJECTFILE>1"
                               "</AEPROJECTFILE>\r\n  <ParamPRG>\r\n</PRJ_GV>\r\n");
    TProjectAE project;
    std::string error;
    EXPECT_FALSE(project.LoadProject(file, error));
    EXPECT_EQ(error, "Not Project File Type: XML error: Start-end tags mismatch at line 5, "
                     "column 3");
    test::WriteFileBytes(file, "<?xml version=\"1.0\"?>\r\n<PRJ_GV><ParamPRG/></PRJ_GV>\r\n");
    EXPECT_FALSE(project.LoadProject(file, error));
    EXPECT_EQ(error, "Not Project File Type: no element \"AEPROJECTFILE\" in \"PRJ_GV\"");
}

TEST_F(ProjectTarget, RefusedItemValueNamesItsElementLineAndWhatItExpects) {
    const std::string file = Dir.File("p.xml");
    {
        TProjectAE project;
        std::string error;
        ASSERT_TRUE(project.SaveProject(file, error)) << error;
    }
    // The first historic-index row's operation becomes -1.
    std::string text = test::ReadFileBytes(file);
    const size_t name = text.find("<Name>TypeOperation</Name>");
    ASSERT_NE(name, std::string::npos);
    const size_t value = text.find("<Value>", name) + 7;
    text.replace(value, text.find("</Value>", value) - value, "-1");
    test::WriteFileBytes(file, text);
    const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + value, '\n'));
    TProjectAE project;
    std::string error;
    EXPECT_FALSE(project.LoadProject(file, error));
    EXPECT_EQ(error, "'-1' is not a valid integer value: item \"TypeOperation\" of element "
                     "\"Items\" at line " +
                         std::to_string(line) + " expects an integer from 0 to 255");
    // A text where a number belongs.
    text = test::ReadFileBytes(file);
    const size_t color = text.find("<Name>ColorBackGraph</Name>");
    ASSERT_NE(color, std::string::npos);
    const size_t severity = text.find("<Name>Severity</Name>");
    ASSERT_NE(severity, std::string::npos);
    const size_t v = text.find("<Value>", severity) + 7;
    text.replace(v, text.find("</Value>", v) - v, "many");
    test::WriteFileBytes(file, text);
    EXPECT_FALSE(project.LoadProject(file, error));
    EXPECT_NE(error.find("'many' is not a valid integer value: item \"Severity\" of element "
                         "\"ZIP\" at line "),
              std::string::npos)
        << error;
    EXPECT_NE(error.find(" expects an integer"), std::string::npos) << error;
}

} // namespace
} // namespace vorelt
