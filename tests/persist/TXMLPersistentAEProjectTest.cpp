#include "persist/TXMLPersistentAEProject.h"
#include "common/TestData.h"
#include "persist/TNodePersist.h"
#include "persist/TPersistObject.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vorelt;
using vorelt::test::ReadFileBytes;
using vorelt::test::TTempDir;
using vorelt::test::WriteFileBytes;

namespace {

void FillProject(TNodePersist& root) {
    TNodePersist* prj = root.AddNode("PRJ");
    prj->AddItem("ClassName", "TProjectAE");
    prj->AddItem("Name", "Испытание №5");
    prj->AddItem("Name", "second of the same name");
    prj->AddItem("Formula", "a < b & c > d\r\nnext line");
    prj->AddItem("Empty", "");
    prj->AddItem("Blank", "  ");
    TNodePersist* pages = prj->AddNode("PAGES");
    for (int i = 0; i < 3; ++i) {
        TNodePersist* page = pages->AddNode("PAGE");
        page->AddItem("Caption", "Страница " + std::to_string(i));
    }
    root.AddNode("DISP");
    TNodePersist* db = root.AddNode("GVDb");
    db->AddItem("ClassName", "TGVDb");
    TNodePersist* obj = db->AddNode("OBJ");
    obj->AddItem("ClassName", "TGVCPUTbl");
    obj->AddNode("OBJ")->AddNode("OBJ")->AddItem("Deep", "1,5");
}

} // namespace

TEST(NodePersist, LookupsIgnoreCaseAndBlanksAndTakeTheFirst) {
    TNodePersist node("X");
    node.AddItem("DisplayWidth", "100");
    node.AddItem("DisplayWidth", "200");
    EXPECT_EQ(node.GetValue("  displaywidth "), "100");
    EXPECT_EQ(node.IndexOfItem("missing"), -1);
    EXPECT_EQ(node.GetValue("missing"), "");
    TNodePersist* a = node.AddNode("OBJ");
    node.AddNode("obj");
    EXPECT_EQ(node.FindNode(" Obj"), a);
    EXPECT_EQ(a->Parent(), &node);
    EXPECT_EQ(node.Node(5), nullptr);
    EXPECT_EQ(node.Node(-1), nullptr);
    EXPECT_EQ(node.ItemName(9), "");
    node.Clear();
    EXPECT_EQ(node.NodeCount(), 0);
    EXPECT_EQ(node.ItemCount(), 0);
}

TEST(XMLProject, SaveLoadSaveIsByteIdenticalAndWindows1251) {
    TTempDir dir;
    TNodePersist root("ParamPRG");
    FillProject(root);
    TXMLPersistentAEProject store;
    std::string error;
    ASSERT_TRUE(store.SaveToFile(dir.File("a.xml"), root, error)) << error;
    TNodePersist loaded("ParamPRG");
    ASSERT_TRUE(store.LoadFromFile(dir.File("a.xml"), loaded, false, error)) << error;
    EXPECT_TRUE(root.SameTree(loaded));
    ASSERT_TRUE(store.SaveToFile(dir.File("b.xml"), loaded, error)) << error;
    std::string a = ReadFileBytes(dir.File("a.xml"));
    std::string b = ReadFileBytes(dir.File("b.xml"));
    EXPECT_EQ(a, b);
    EXPECT_EQ(
        a.rfind("<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>\r\n", 0), 0u);
    EXPECT_NE(a.find("\xB9"), std::string::npos);
    EXPECT_EQ(a.find("№"), std::string::npos);
    EXPECT_EQ(loaded.FindNode("PRJ")->GetValue("Formula"), "a < b & c > d\r\nnext line");
    EXPECT_EQ(loaded.FindNode("PRJ")->GetValue("Blank"), "  ");
}

TEST(XMLProject, EmptySectionsRoundTrip) {
    TTempDir dir;
    TNodePersist root("ParamPRG");
    root.AddNode("PRJ");
    root.AddNode("DISP");
    root.AddNode("GVDb");
    root.AddItem("NotWritten", "x");
    TXMLPersistentAEProject store;
    std::string error;
    ASSERT_TRUE(store.SaveToFile(dir.File("p.xml"), root, error));
    std::string text = ReadFileBytes(dir.File("p.xml"));
    EXPECT_EQ(text.find("NotWritten"), std::string::npos);
    TNodePersist loaded("ParamPRG");
    ASSERT_TRUE(store.LoadFromFile(dir.File("p.xml"), loaded, false, error));
    ASSERT_EQ(loaded.NodeCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded.Node(i)->ItemCount(), 0);
        EXPECT_EQ(loaded.Node(i)->NodeCount(), 0);
    }
}

TEST(XMLProject, SectionsAreWrittenInFixedOrderAndOthersDropped) {
    TNodePersist root("ParamPRG");
    root.AddNode("GVDb")->AddItem("k", "3");
    root.AddNode("Other")->AddItem("k", "x");
    root.AddNode("PRJ")->AddItem("k", "1");
    std::string text = TXMLPersistentAEProject::Serialize(root);
    EXPECT_LT(text.find("<PRJ>"), text.find("<GVDb>"));
    EXPECT_EQ(text.find("<Other>"), std::string::npos);
}

TEST(XMLProject, RefusesFilesWithoutVersionAndSkipsNamelessParams) {
    TNodePersist root("ParamPRG");
    std::string error;
    std::string empty =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<PRJ_GV><AEPROJECTFILE>"
        "</AEPROJECTFILE><ParamPRG><PRJ><PARAMS><PARAM><Name>a</Name><Value>1</Value>"
        "</PARAM></PARAMS><NODES/></PRJ></ParamPRG></PRJ_GV>";
    EXPECT_FALSE(TXMLPersistentAEProject::Parse(empty, root, error));
    EXPECT_EQ(error, "Not Project File Type: the element \"AEPROJECTFILE\" is empty");
    std::string missing = "<PRJ_GV><ParamPRG/></PRJ_GV>";
    EXPECT_FALSE(TXMLPersistentAEProject::Parse(missing, root, error));
    EXPECT_FALSE(TXMLPersistentAEProject::Parse("not xml at all", root, error));
    EXPECT_FALSE(error.empty());

    std::string nameless = "<PRJ_GV><AEPROJECTFILE>1.00</AEPROJECTFILE><ParamPRG><PRJ><PARAMS>"
                           "<PARAM><Value>lost</Value></PARAM>"
                           "<PARAM><Name>kept</Name><Value>v</Value></PARAM>"
                           "<PARAM><Name>novalue</Name></PARAM>"
                           "</PARAMS><NODES/><Junk/></PRJ><Unknown/></ParamPRG></PRJ_GV>";
    TNodePersist r2("ParamPRG");
    ASSERT_TRUE(TXMLPersistentAEProject::Parse(nameless, r2, error)) << error;
    ASSERT_EQ(r2.NodeCount(), 1);
    TNodePersist* prj = r2.Node(0);
    ASSERT_EQ(prj->ItemCount(), 2);
    EXPECT_EQ(prj->ItemName(0), "kept");
    EXPECT_EQ(prj->ItemValue(1), "");

    std::string noParam = "<PRJ_GV><AEPROJECTFILE>1.00</AEPROJECTFILE></PRJ_GV>";
    TNodePersist r3("ParamPRG");
    EXPECT_TRUE(TXMLPersistentAEProject::Parse(noParam, r3, error));
    EXPECT_EQ(r3.NodeCount(), 0);
}

TEST(XMLProject, WriteFrameFirstDiscardsContent) {
    TTempDir dir;
    TNodePersist root("ParamPRG");
    FillProject(root);
    TXMLPersistentAEProject store;
    std::string error;
    ASSERT_TRUE(store.SaveToFile(dir.File("p.xml"), root, error));
    TNodePersist loaded("ParamPRG");
    ASSERT_TRUE(store.LoadFromFile(dir.File("p.xml"), loaded, true, error)) << error;
    EXPECT_EQ(loaded.NodeCount(), 0);
    std::string frame = ReadFileBytes(dir.File("p.xml"));
    EXPECT_EQ(frame, "<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>\r\n"
                     "<PRJ_GV>\r\n<AEPROJECTFILE>\r\n1.00 ( Build 1.00 )\r\n</AEPROJECTFILE>\r\n"
                     "</PRJ_GV>\r\n");
}

TEST(XMLProject, FailedSaveKeepsThePreviousFile) {
    TTempDir dir;
    std::string error;
    TXMLPersistentAEProject store;
    TNodePersist root("ParamPRG");
    FillProject(root);
    // A target inside a missing folder cannot be written; nothing must be created.
    EXPECT_FALSE(store.SaveToFile(dir.File("missing/p.xml"), root, error));
    EXPECT_FALSE(error.empty());
    // A target that is a directory cannot be replaced; the directory survives.
    std::filesystem::create_directory(dir.File("d.xml"));
    EXPECT_FALSE(store.SaveToFile(dir.File("d.xml"), root, error));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("d.xml")));
    // No temporary files are left behind.
    int count = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++count;
    }
    EXPECT_EQ(count, 1);
}

namespace {
class TDummy : public TPersistObject {
public:
    std::string ClassName() const override { return "TDummy"; }
    void SaveToNode(TNodePersist&) const override {}
    void LoadFromNode(const TNodePersist&) override {}
};
} // namespace

TEST(ClassRegistry, LooksUpWithoutRegardToCase) {
    RegisterClass<TDummy>("TDummy");
    RegisterClass<TDummy>("TDummy");
    auto& reg = TClassRegistry::Instance();
    EXPECT_TRUE(reg.IsRegistered("tdummy"));
    EXPECT_EQ(reg.CanonicalName("TDUMMY"), "TDummy");
    EXPECT_NE(reg.Create("tDummy"), nullptr);
    EXPECT_NE(reg.CreateAs<TDummy>("TDummy"), nullptr);
    EXPECT_EQ(reg.Create("TNoSuchClass"), nullptr);
}
