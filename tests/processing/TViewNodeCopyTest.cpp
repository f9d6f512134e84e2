// The view's node that a visual processor keeps while no view is made goes back unchanged.

#include "processing/TViewNodeCopy.h"
#include "persist/TNodePersist.h"

#include <gtest/gtest.h>

using namespace vorelt;

namespace {

// A loaded view node: the class name is not the first item, and parts repeat and nest.
std::unique_ptr<TNodePersist> StoredView() {
    auto v = std::make_unique<TNodePersist>("VisualClass");
    v->AddItem("Title", "Hits");
    v->AddItem("ClassName", "TOtherVC");
    v->AddItem("Title", "Second");
    v->AddNode("SlaveWindow")->AddItem("Top", "5");
    TNodePersist* p = v->AddNode("Properties");
    p->AddItem("ClassName", "TGVProperties");
    p->AddNode("Inner")->AddItem("A", "1");
    v->AddNode("Extra");
    return v;
}

} // namespace

TEST(TViewNodeCopy, AllOfTheStoredNodeInItsOrder) {
    auto stored = StoredView();
    TNodePersist visual("VisualClass");
    CopyViewNode(visual, stored.get(), "TGraphVC");
    EXPECT_TRUE(visual.SameTree(*stored));
    // The copy is deep: changing it leaves the stored node alone.
    visual.Node(1)->Node(0)->AddItem("B", "2");
    EXPECT_EQ(stored->Node(1)->Node(0)->ItemCount(), 1);
}

TEST(TViewNodeCopy, NoStoredNodeWritesOnlyTheDefaultClass) {
    TNodePersist visual("VisualClass");
    CopyViewNode(visual, nullptr, "TGraphVC");
    ASSERT_EQ(visual.ItemCount(), 1);
    EXPECT_EQ(visual.ItemName(0), "ClassName");
    EXPECT_EQ(visual.ItemValue(0), "TGraphVC");
    EXPECT_EQ(visual.NodeCount(), 0);
}

TEST(TViewNodeCopy, ClassNameComesFromTheStoredNodeEvenWhenEmpty) {
    auto stored = StoredView();
    TNodePersist visual("VisualClass");
    CopyViewClassName(visual, stored.get(), "TTableVC");
    CopyViewClassName(visual, nullptr, "TTableVC");
    TNodePersist bare("VisualClass");
    CopyViewClassName(visual, &bare, "TTableVC");
    ASSERT_EQ(visual.ItemCount(), 3);
    EXPECT_EQ(visual.ItemValue(0), "TOtherVC");
    EXPECT_EQ(visual.ItemValue(1), "TTableVC");
    EXPECT_EQ(visual.ItemValue(2), "");
}

TEST(TViewNodeCopy, APartIsCopiedWhenThereIsOne) {
    auto stored = StoredView();
    TNodePersist visual("VisualClass");
    CopyViewPart(visual, stored.get(), "Properties");
    CopyViewPart(visual, stored.get(), "Missing");
    CopyViewPart(visual, nullptr, "SlaveWindow");
    CopyViewPart(visual, stored.get(), "SlaveWindow");
    ASSERT_EQ(visual.NodeCount(), 2);
    EXPECT_TRUE(visual.Node(0)->SameTree(*stored->FindNode("Properties")));
    EXPECT_TRUE(visual.Node(1)->SameTree(*stored->FindNode("SlaveWindow")));
    EXPECT_EQ(visual.ItemCount(), 0);
}
