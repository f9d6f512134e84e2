// Project files beyond what any real project holds are refused when read, with the element,
// its line and what was expected: nesting deeper than the limit, overlong texts, a section
// that comes twice, a file larger than the limit.

#include "common/TestData.h"
#include "persist/TNodePersist.h"
#include "persist/TXMLPersistentAEProject.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorelt;

namespace {

const std::string Head = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<PRJ_GV>\r\n"
                         "<AEPROJECTFILE>1.00 ( Build 1.00 )</AEPROJECTFILE>\r\n<ParamPRG>\r\n";
const std::string Tail = "</ParamPRG>\r\n</PRJ_GV>\r\n";

// A "GVDb" section whose first node holds `levels` nodes nested in each other, the deepest
// with one item.
std::string Nested(int levels) {
    std::string open, close;
    for (int i = 0; i < levels; ++i) {
        open += "<OBJ><NODES>";
        close += "</NODES></OBJ>";
    }
    return Head + "<GVDb><NODES>\r\n" + open +
           "<DEEP><PARAMS><PARAM><Name>A</Name><Value>1</Value>" + "</PARAM></PARAMS></DEEP>" +
           close + "\r\n</NODES></GVDb>\r\n" + Tail;
}

int Depth(const TNodePersist& root) {
    int depth = 0;
    for (const TNodePersist* n = root.Node(0); n; n = n->Node(n->NodeCount() - 1))
        ++depth;
    return depth;
}

} // namespace

TEST(ProjectLimits, NestingDeeperThanTheLimitIsRefusedWithoutRecursion) {
    // The section is level 1 and DEEP the last: 254 levels between them make 256 in all.
    TNodePersist root("ParamPRG");
    std::string error;
    ASSERT_TRUE(TXMLPersistentAEProject::Parse(Nested(254), root, error)) << error;
    EXPECT_EQ(Depth(root), TXMLPersistentAEProject::MaxNodeDepth);

    TNodePersist deeper("ParamPRG");
    EXPECT_FALSE(TXMLPersistentAEProject::Parse(Nested(255), deeper, error));
    EXPECT_EQ(deeper.NodeCount(), 0);
    EXPECT_NE(error.find("element \"DEEP\" at line 6"), std::string::npos) << error;
    EXPECT_NE(error.find("expects at most 256 levels"), std::string::npos) << error;

    // A hundred thousand levels crashed every tool with a stack overflow.
    TNodePersist attack("ParamPRG");
    EXPECT_FALSE(TXMLPersistentAEProject::Parse(Nested(100000), attack, error));
    EXPECT_NE(error.find("element \"OBJ\" at line 6"), std::string::npos) << error;
}

TEST(ProjectLimits, OverlongTextsAndRepeatedSectionsAreRefusedWithTheirPlace) {
    std::string error;
    const std::string item = "<PRJ>\r\n<PARAMS>\r\n<PARAM><Name>Name</Name>\r\n<Value>";
    const std::string end = "</Value></PARAM>\r\n</PARAMS>\r\n</PRJ>\r\n";
    {
        TNodePersist root("ParamPRG");
        const std::string fits(TXMLPersistentAEProject::MaxTextLength, 'x');
        ASSERT_TRUE(TXMLPersistentAEProject::Parse(Head + item + fits + end + Tail, root, error))
            << error;
        EXPECT_EQ(root.Node(0)->GetValue("Name"), fits);
    }
    {
        // Ten megabytes in a caption hung the drawing of the view.
        TNodePersist root("ParamPRG");
        const std::string caption(10 << 20, 'x');
        EXPECT_FALSE(
            TXMLPersistentAEProject::Parse(Head + item + caption + end + Tail, root, error));
        EXPECT_EQ(error,
                  "a text of 10485760 characters: item \"Name\" of element \"PRJ\" at line 8 "
                  "expects at most 65536 characters");
        EXPECT_EQ(root.NodeCount(), 0);
    }
    {
        // Characters, not bytes: Cyrillic letters are two bytes in the parsed text.
        TNodePersist root("ParamPRG");
        const std::string cyrillic(TXMLPersistentAEProject::MaxTextLength, '\xC0');
        EXPECT_TRUE(
            TXMLPersistentAEProject::Parse(Head + item + cyrillic + end + Tail, root, error))
            << error;
    }
    {
        // A second database section was read and ignored; a file holding one is no project.
        TNodePersist root("ParamPRG");
        const std::string db = "<GVDb><PARAMS/><NODES/></GVDb>\r\n";
        EXPECT_FALSE(TXMLPersistentAEProject::Parse(Head + db + db + Tail, root, error));
        EXPECT_EQ(error, "a section that comes twice: element \"GVDb\" at line 6 expects one "
                         "\"GVDb\", and there is one at line 5");
    }
}

TEST(ProjectLimits, AFileLargerThanTheLimitIsNotReadWhole) {
    vorelt::test::TTempDir dir;
    const std::string file = dir.File("big.xml");
    std::string bytes = Head + "<PRJ><PARAMS>";
    const std::string param = "<PARAM><Name>A</Name><Value>1</Value></PARAM>\r\n";
    while (bytes.size() <= TXMLPersistentAEProject::MaxFileSize)
        bytes += param;
    bytes += "</PARAMS></PRJ>" + Tail;
    vorelt::test::WriteFileBytes(file, bytes);
    TXMLPersistentAEProject store;
    TNodePersist root("ParamPRG");
    std::string error;
    EXPECT_FALSE(store.LoadFromFile(file, root, false, error));
    EXPECT_EQ(error, "the file holds more than 33554432 bytes: at most 33554432 bytes expected");
}
