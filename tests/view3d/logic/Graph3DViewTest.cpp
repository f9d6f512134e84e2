// The 3D graph's view, settings frame and schema editor on the offscreen platform: the title
// and the mode buttons, CheckReady, typed shortcuts, the saved node, record collection with
// the activity of first hits, the colour scheme, the settings pages and the editor's rules as
// the user meets them.

#include "processing/TestProcessors.h"

#include "persist/TNodePersist.h"
#include "processing/db/TGVDb.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPULoc.h"
#include "project/RegisterCoreClasses.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"
#include "view2d/TScriptedDialogs.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TOGLContainer.h"
#include "view3d/TOGLModeBar.h"
#include "view3d/TSchemaEditorF.h"
#include "view3d/TfrmAeGraph3D.h"
#include "viewmodel/canvas/TypesPrg.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace vorelt {
namespace {

// A refused number field carries this dynamic property (style sheets can use it too).
bool Marked(const QLineEdit* edit) {
    return edit->property("refusedNumber").toBool();
}

using test::TTestLoc;
using test::TTestTree;

TGraph3DVC& ViewOf(TGVCPUGr3D& g) {
    auto* view = dynamic_cast<TGraph3DVC*>(g.GetView());
    EXPECT_NE(view, nullptr);
    return *view;
}

TAEOBJ3DPAEPS* Sensor(TAEOBJ3D& pipe, int32_t chan, long double dl = 0) {
    auto* s = static_cast<TAEOBJ3DPAEPS*>(AddSchemaObject(pipe, TSchemaAddKind::PAE));
    s->SetChannel(chan);
    s->Properties().FindAs<TGVProperty>("DeltaLength")->SetAsFloat(dl);
    return s;
}

void SetLength(TAEOBJ3D& o, long double l) {
    o.Properties().FindAs<TGVProperty>("Length")->SetAsFloat(l);
}

// A project with a location branch that ends in a 3D graph, placed on a page.
struct TProjectFixture : ::testing::Test {
    TProjectFixture() {
        RegisterCoreClasses();
        RegisterView3dClasses();
        Loc = Project.Db().AddNew<TGVCPULoc>();
        Graph = Loc->AddNew<TGVCPUGr3D>();
        Project.Db().AssignIDsDeep(false, *Project.IDGenerator());
        Graph->SetName("3D01");
        Project.Pages().AddPage("First");
    }
    void Place() {
        RecListGVCPU placement;
        placement.BottomRightX = 100;
        placement.BottomRightY = 100;
        placement.ID = Graph->ID();
        Project.Pages().Page(0)->AddPlacement(placement);
    }
    TProjectAE Project;
    TGVCPU* Loc;
    TGVCPUGr3D* Graph;
};

TEST_F(TProjectFixture, TheViewComesWithTheProcessorAndNeverAGLWidgetOffscreen) {
    TGraph3DVC& view = ViewOf(*Graph);
    EXPECT_FALSE(view.Container().HasGL());
    EXPECT_EQ(view.Container().BorderStyle(), 1);
    EXPECT_EQ(view.Container().LabelColor(), QColor(255, 255, 255));
    EXPECT_EQ(Graph->GetName(), "3D01");
    view.Properties().FindAs<TGVProperty>("Title")->SetAsString("Line A");
    EXPECT_EQ(Graph->GetName(), "Line A [3D01]");
    EXPECT_NE(view.Properties().FindByName("Ang"), nullptr);
    EXPECT_NE(view.Properties().FindByName("Add"), nullptr);
}

TEST_F(TProjectFixture, ReadyNeedsASchemaFirstThenAPlaceOnAPage) {
    TGraph3DVC& view = ViewOf(*Graph);
    Place();
    EXPECT_EQ(Graph->CheckReady(), 1);
    Graph->Data().SetSchema(Graph->Data().NewSchema("TAEOBJ3DPipesSchema"));
    EXPECT_EQ(view.CheckReady(), -1);
    Project.RemoveFromPages(Graph->ID());
    EXPECT_EQ(Graph->CheckReady(), 2);
}

TEST_F(TProjectFixture, RoundFromYShowsInTheTitleTheButtonAndTheMenu) {
    TGraph3DVC& view = ViewOf(*Graph);
    view.UpdateAppearance();
    EXPECT_EQ(view.TitleText(), "          3D01");
    EXPECT_TRUE(view.ModeBar().Button("RESET")->isChecked());
    view.ModeBar().Command(ccRoundX + 1);
    EXPECT_EQ(view.TitleText(), "          3D01 [ROUND FROM Y]");
    EXPECT_TRUE(view.ModeBar().Button("ROUND")->isChecked());
    EXPECT_FALSE(view.ModeBar().Button("RESET")->isChecked());
    std::unique_ptr<QMenu> menu(view.ModeBar().BuildMenu(6));
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[1]->objectName(), "mRoundY");
    EXPECT_EQ(menu->actions()[1]->text(), "Round From Y");
    EXPECT_TRUE(menu->actions()[1]->isChecked());
    EXPECT_FALSE(menu->actions()[0]->isChecked());
    std::unique_ptr<QMenu> moves(view.ModeBar().BuildMenu(10));
    EXPECT_FALSE(moves->actions()[1]->isChecked());
    std::unique_ptr<QMenu> clear(view.ModeBar().BuildMenu(0));
    EXPECT_EQ(clear->actions()[0]->objectName(), "mClearDef");
    EXPECT_EQ(clear->actions()[1]->objectName(), "mClearLastSave");
    // Losing the focus leaves the mode.
    view.SetFocusedView(true);
    view.SetFocusedView(false);
    EXPECT_EQ(view.Container().Core().Mode(), cmWait);
    EXPECT_EQ(view.TitleText(), "          3D01");
    // A centred title has no room kept for the buttons.
    view.Properties().FindAs<TGVProperty>("Title")->SetAlignment(TGVProperty::AlignCenter);
    view.UpdateAppearance();
    EXPECT_EQ(view.TitleText(), "3D01");
}

TEST_F(TProjectFixture, TypedShortcutsReachTheProjectOnlyWhileFocused) {
    TGraph3DVC& view = ViewOf(*Graph);
    std::vector<std::string> seen;
    Project.OnReloadFocused = [&seen](TProjectAE&) { seen.push_back("reload"); };
    Project.OnMaximizeFocused = [&seen](TProjectAE&) { seen.push_back("fill"); };
    Project.OnNormalSizeFocused = [&seen](TProjectAE&) { seen.push_back("restore"); };
    EXPECT_FALSE(view.ShortCut("w-"));
    EXPECT_TRUE(seen.empty());
    view.SetFocusedView(true);
    EXPECT_FALSE(view.ShortCut("w-"));
    EXPECT_FALSE(view.ShortCut(" w "));
    // "l" reloads and the container then cancels its mode.
    view.ModeBar().Command(ccMoveX);
    TOGLContainerCore& core = view.Container().Core();
    core.KeyDown('l');
    core.ShortCutTimer();
    EXPECT_EQ(core.Mode(), cmWait);
    EXPECT_EQ(seen, (std::vector<std::string>{"restore", "fill", "reload"}));
}

TEST_F(TProjectFixture, TheViewNodeHoldsSchemaSlaveWindowAndFieldsInThisOrder) {
    TGraph3DVC& view = ViewOf(*Graph);
    Graph->Data().SetSchema(Graph->Data().NewSchema("TAEOBJ3DPipesSchema"));
    TAEOBJ3D* pipe = AddSchemaObject(*Graph->Data().Schema(), TSchemaAddKind::Pipe);
    Sensor(*pipe, 3);
    view.SetSlaveRect(TSlaveRect{10, 20, 400, 380});
    Graph->SetFirstHitOnly(true);
    TNodePersist node("OBJ");
    Graph->SaveToNode(node);
    EXPECT_EQ(node.GetValue("FirstHit"), "1");
    const TNodePersist* visual = node.FindNode("VisualClass");
    ASSERT_NE(visual, nullptr);
    EXPECT_EQ(visual->GetValue("ClassName"), "TGraph3DVC");
    EXPECT_EQ(visual->GetValue("ShowActivity"), "1");
    ASSERT_EQ(visual->NodeCount(), 4);
    EXPECT_EQ(visual->Node(0)->Name(), "Properties");
    EXPECT_EQ(visual->Node(1)->Name(), "Schema");
    EXPECT_EQ(visual->Node(2)->Name(), "SlaveWindow");
    EXPECT_EQ(visual->Node(2)->GetValue("Width"), "400");
    EXPECT_EQ(visual->Node(3)->Name(), "FIELDSINFO");

    auto* twin = Loc->AddNew<TGVCPUGr3D>();
    twin->LoadFromNode(node);
    EXPECT_TRUE(twin->GetFirstHitOnly());
    TGraph3DVC& twinView = ViewOf(*twin);
    EXPECT_EQ(twinView.SlaveRect(), (TSlaveRect{10, 20, 400, 380}));
    ASSERT_NE(twin->Data().Schema(), nullptr);
    EXPECT_EQ(twin->Data().Schema()->Child(0)->ID(), pipe->ID());
    // The second graph's schema may not share the first one's OpenGL name.
    EXPECT_NE(twin->Data().Schema()->IDGL(), Graph->Data().Schema()->IDGL());
}

// Hits below a location stand-in in a memory source, for the record walk.
struct TCollectFixture : ::testing::Test {
    TCollectFixture() {
        RegisterView3dClasses();
        Loc = Tree.Db->AddNew<TTestLoc>();
        Graph = Loc->AddNew<TGVCPUGr3D>();
        Graph->SetName("3D01");
        Graph->SetID("0000000000007000");
        Graph->Data().SetSchema(Graph->Data().NewSchema("TAEOBJ3DPipesSchema"));
        TAEOBJ3D* pipe = AddSchemaObject(*Graph->Data().Schema(), TSchemaAddKind::Pipe);
        SetLength(*pipe, 10);
        Busy = Sensor(*pipe, 1, 2);
        Quiet = Sensor(*pipe, 2, 8);
        for (int i = 0; i < 4; ++i)
            Hit(1, true);
        Hit(2, false);
        Hit(5, true);
    }
    void Hit(int chan, bool first) {
        const int32_t i = Tree.Db->AddRecord(rkHit, 0, first ? (rfFirstHit | rfEventHit) : 0);
        Tree.Db->SetValue(i, 0, chan);
    }
    uint32_t ColorOf(TGraph3DVC& view, const TAEOBJ3D* sensor) {
        for (int i = 0; i < view.Container().VisualCount(); ++i)
            if (view.Container().Visual(i)->Name() == sensor->IDGL())
                return view.Container().Visual(i)->Color();
        ADD_FAILURE() << "no visual for " << sensor->Text();
        return 0;
    }
    TTestTree Tree;
    TGVCPU* Loc;
    TGVCPUGr3D* Graph;
    TAEOBJ3D* Busy;
    TAEOBJ3D* Quiet;
};

TEST_F(TCollectFixture, ActivationCollectsAndColoursTheSensorsByFirstHits) {
    TGraph3DVC& view = ViewOf(*Graph);
    // Inactive, the schema shows in the sensors' own colour and without legend.
    EXPECT_EQ(view.Container().VisualCount(), 3);
    EXPECT_EQ(ColorOf(view, Busy), TPAEObj3DVisials::DefaultColor);
    EXPECT_TRUE(view.Legend()->isHidden());
    EXPECT_EQ(view.Container().BackColor(), QColor(240, 240, 240));

    view.SetActive(true);
    ASSERT_TRUE(view.Active());
    EXPECT_EQ(Graph->Data().RecordPositions().size(), 6u);
    EXPECT_EQ(ColorOf(view, Busy), ActivityColor(ActivityLevels));
    EXPECT_EQ(ColorOf(view, Quiet), ActivityColor(0));
    EXPECT_FALSE(view.Legend()->isHidden());
    const QString legend = view.Legend()->text();
    EXPECT_TRUE(legend.contains("No sensor"));
    EXPECT_TRUE(legend.contains(">5<")) << legend.toStdString();
    EXPECT_EQ(view.Container().BackColor(), QColor(0, 0, 0));

    // Only first hits, when asked.
    Graph->SetFirstHitOnly(true);
    view.SetActive(true);
    EXPECT_EQ(Graph->Data().RecordPositions().size(), 5u);

    // "Show Activity" off: the sensors' own colour, no legend; the records stay.
    TfrmAeGraph3D frame(view);
    auto* box = frame.findChild<QWidget*>("cbShowActivity");
    ASSERT_NE(box, nullptr);
    frame.SetShowActivity(false);
    EXPECT_FALSE(Graph->Data().ShowActivity());
    EXPECT_TRUE(view.Active());
    EXPECT_EQ(ColorOf(view, Busy), TPAEObj3DVisials::DefaultColor);
    EXPECT_TRUE(view.Legend()->isHidden());

    // Upstream data changes leave an active view outdated.
    TAEOMSG msg;
    msg.Msg = omDataChanged;
    Graph->Dispatch(msg);
    EXPECT_FALSE(view.Active());
    EXPECT_TRUE(view.Outdated());
}

TEST_F(TCollectFixture, TheColourSchemeTurnsTheActiveBackground) {
    TGraph3DVC& view = ViewOf(*Graph);
    view.SetActive(true);
    TAEOMSG msg;
    msg.Msg = omColorScheme;
    msg.WParam = 1;
    Tree.Db->Dispatch(msg);
    EXPECT_EQ(view.ColorSchemeIndex(), 1);
    EXPECT_EQ(view.Container().BackColor(), QColor(255, 255, 255));
    view.SetActive(false);
    EXPECT_EQ(view.Container().BackColor(), QColor(240, 240, 240));
}

TEST_F(TCollectFixture, TheSchemaPageAddsEditsAndDeletes) {
    Graph->Data().SetSchema(nullptr);
    TGraph3DVC& view = ViewOf(*Graph);
    TfrmAeGraph3D frame(view);
    auto* button = frame.findChild<QPushButton*>("btnSchema");
    auto* text = frame.findChild<QLineEdit*>("edSchema");
    auto* del = frame.findChild<QPushButton*>("btnDeleteSchema");
    ASSERT_TRUE(button && text && del);
    EXPECT_EQ(button->text(), "Add Schema");
    EXPECT_TRUE(text->text().isEmpty());
    EXPECT_FALSE(del->isEnabled());
    std::unique_ptr<QMenu> menu(frame.BuildAddMenu());
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->objectName(), "mSchema_0");
    EXPECT_EQ(menu->actions()[0]->text(), "Pipes Schema");
    int editorOpened = 0;
    frame.OnOpenEditor = [&editorOpened](TGraph3DVC&) { ++editorOpened; };
    frame.AddSchema(0);
    ASSERT_NE(Graph->Data().Schema(), nullptr);
    EXPECT_EQ(editorOpened, 1);
    EXPECT_EQ(button->text(), "Edit Schema");
    EXPECT_EQ(text->text(), "Pipes Schema");
    EXPECT_TRUE(del->isEnabled());
    EXPECT_FALSE(Graph->IsNumberFree(Graph->Data().Schema()->IDGL()));

    test::TScriptedDialogs dialogs;
    dialogs.Answers = {mrNo, mrYes};
    const std::vector<std::string>& asked = dialogs.Boxes;
    frame.DeleteSchema();
    EXPECT_NE(Graph->Data().Schema(), nullptr);
    frame.DeleteSchema();
    EXPECT_EQ(Graph->Data().Schema(), nullptr);
    EXPECT_EQ(asked[0], "Delete ?");
    EXPECT_EQ(button->text(), "Add Schema");
}

TEST_F(TCollectFixture, CommentsAndInfoPagesKeepTheirLists) {
    TGraph3DVC& view = ViewOf(*Graph);
    TfrmAeGraph3D frame(view);
    auto* title = frame.findChild<QLineEdit*>("edTitle");
    ASSERT_NE(title, nullptr);
    title->setText("  Feed line ");
    frame.StoreTitle();
    EXPECT_EQ(view.Title(), "Feed line");
    frame.SetTitleAlignment(TGVProperty::AlignRight);
    EXPECT_EQ(view.Properties().FindAs<TGVProperty>("Title")->GetAlignment(),
              TGVProperty::AlignRight);

    std::unique_ptr<QMenu> fields(frame.BuildFieldMenu());
    EXPECT_FALSE(fields->actions().isEmpty());
    EXPECT_TRUE(frame.AddInfoField(fidChan));
    EXPECT_TRUE(frame.AddInfoField(fidAmpl));
    EXPECT_FALSE(frame.AddInfoField(fidChan));
    auto* up = frame.findChild<QPushButton*>("btnUp");
    auto* down = frame.findChild<QPushButton*>("btnDown");
    EXPECT_EQ(frame.CurrentInfoIndex(), 1);
    EXPECT_TRUE(up->isEnabled());
    EXPECT_FALSE(down->isEnabled());
    frame.MoveInfoField(-1);
    EXPECT_EQ(frame.CurrentInfoIndex(), 0);
    EXPECT_TRUE(Graph->Data().IndexOfInfoField(fidAmpl) == 0);
    frame.DeleteInfoField();
    EXPECT_EQ(Graph->Data().InfoFields().Count(), 1);
    EXPECT_TRUE(view.UsesField(fidChan));
    std::vector<std::string> lines;
    EXPECT_TRUE(view.ReportFieldUse(fidChan, lines));
    EXPECT_TRUE(view.ReportFieldUse(fidChan, lines));
    EXPECT_EQ(lines.size(), 1u);
}

struct TEditorFixture : TCollectFixture {
    TEditorFixture() {
        Schema = Graph->Data().Schema();
        Editor = std::make_unique<TSchemaEditorF>(*Schema);
    }
    test::TScriptedDialogs Dialogs;
    const std::vector<std::string>& Messages = Dialogs.Boxes;
    TAEOBJ3D* Schema;
    std::unique_ptr<TSchemaEditorF> Editor;
};

TEST_F(TEditorFixture, AddingNamesAndTheAddMenuFollowTheSelection) {
    EXPECT_EQ(Editor->windowTitle(), "Edit Schema");
    EXPECT_EQ(Editor->PageName(), "pgSchema");
    QMenu* add = Editor->AddMenu();
    ASSERT_EQ(add->actions().size(), 4);
    EXPECT_EQ(add->actions()[0]->text(), "Add Pipe");
    EXPECT_EQ(add->actions()[2]->text(), "Add Host Branch");
    EXPECT_TRUE(add->actions()[0]->isEnabled());
    EXPECT_TRUE(add->actions()[1]->isEnabled());
    EXPECT_FALSE(add->actions()[2]->isEnabled());
    EXPECT_FALSE(add->actions()[3]->isEnabled());

    TAEOBJ3D* p2 = Editor->AddObject(TSchemaAddKind::Pipe);
    ASSERT_NE(p2, nullptr);
    EXPECT_EQ(p2->Text(), "Pipe02"); // Pipe01 was there
    EXPECT_EQ(Editor->Selected(), p2);
    EXPECT_EQ(Editor->PageName(), "pgElement");
    Editor->AddMenu();
    EXPECT_FALSE(add->actions()[0]->isEnabled());
    EXPECT_TRUE(add->actions()[3]->isEnabled());
    Editor->Select(Schema);
    TAEOBJ3D* p3 = Editor->AddObject(TSchemaAddKind::Pipe);
    Editor->Select(p2);
    Editor->DeleteSelected();
    EXPECT_EQ(Editor->Selected(), Schema);
    EXPECT_EQ(Editor->AddObject(TSchemaAddKind::Pipe)->Text(), "Pipe04");
    EXPECT_EQ(p3->Text(), "Pipe03");
    // Sensors come first among siblings in the tree.
    TAEOBJ3D* pipe1 = Schema->Child(0);
    Editor->Select(pipe1);
    const std::vector<TAEOBJ3D*> order = Editor->TreeObjects();
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(order[1], pipe1);
    EXPECT_EQ(order[2], Busy);
    EXPECT_EQ(order[3], Quiet);
}

TEST_F(TEditorFixture, TypedValuesFollowTheInputRules) {
    TAEOBJ3D* pipe1 = Schema->Child(0);
    Editor->Select(pipe1);
    Editor->EnterText("edLength", "12.5");
    EXPECT_EQ(pipe1->PropertyFloat("Length"), 12.5L);
    Editor->EnterText("edLength", "1a2.5-"); // refused: the length stays
    EXPECT_EQ(pipe1->PropertyFloat("Length"), 12.5L);
    Editor->EnterText("edAngleXZ", "-90");
    EXPECT_EQ(pipe1->PropertyInt("AngleXZ"), -90);
    Editor->EnterText("edElementScale", "0");
    EXPECT_EQ(pipe1->PropertyInt("Scale"), 1000);
    Editor->EnterText("edElementScale", "-25"); // refused
    EXPECT_EQ(pipe1->PropertyInt("Scale"), 1000);
    Editor->EnterText("edTitle", "Feed, 1-2");
    EXPECT_EQ(pipe1->PropertyText("Title"), "Feed, 1-2");
    EXPECT_EQ(Editor->ItemOf(pipe1)->text(0).toStdString(), "Feed, 1-2 [Pipe01]");

    // The channel dialog's rules.
    Editor->Select(Quiet);
    EXPECT_EQ(Editor->PageName(), "pgPAE");
    std::string error;
    EXPECT_FALSE(Editor->SetChannel("129", error));
    EXPECT_EQ(error, "Invalid Channel");
    EXPECT_FALSE(Editor->SetChannel("1", error));
    EXPECT_EQ(error, "Duplicate Channel");
    EXPECT_TRUE(Editor->SetChannel("", error));
    EXPECT_EQ(static_cast<TAEOBJ3DPAEPS*>(Quiet)->Channel(), 0);
    Editor->Select(Busy);
    EXPECT_TRUE(Editor->SetChannel("0", error)); // 0 repeats freely
}

// Every number field of the editor, typed into: "90.5" and "90,5" show "90,5" and store 90,5
// where the field takes decimals; other texts stay as typed, marked, refused with a message,
// and the object keeps its value.
TEST_F(TEditorFixture, EveryNumberFieldShowsTheCommaAndRefusesWhatIsNoNumber) {
    TAEOBJ3D* pipe1 = Schema->Child(0);
    Editor->Select(Schema);
    Editor->AddObject(TSchemaAddKind::Host);
    TAEOBJ3D* branch = Editor->AddObject(TSchemaAddKind::HostBranch);
    ASSERT_NE(branch, nullptr);
    struct TField {
        TAEOBJ3D* Object;
        const char* Edit;
        const char* Property;
        bool Decimal;
    };
    const TField fields[] = {
        {Schema, "edX0", "BegCoordX", true},       {Schema, "edY0", "BegCoordY", true},
        {Schema, "edZ0", "BegCoordZ", true},       {Schema, "edScale", "Scale", false},
        {pipe1, "edAngleXZ", "AngleXZ", false},    {pipe1, "edLength", "Length", true},
        {pipe1, "edVertical", "AngleXY", false},   {pipe1, "edElementScale", "Scale", false},
        {branch, "edOffset", "DeltaLength", true}, {Busy, "edOffset", "DeltaLength", true},
    };
    for (const TField& f : fields)
        for (const char* typed : {"90.5", "90,5", "1,2,3", "abc", "", "-"}) {
            SCOPED_TRACE(std::string(f.Edit) + " / \"" + typed + "\"");
            Editor->Select(f.Object);
            QWidget* page = Editor->findChild<QWidget*>(Editor->PageName());
            ASSERT_NE(page, nullptr);
            QLineEdit* edit = page->findChild<QLineEdit*>(f.Edit);
            ASSERT_NE(edit, nullptr);
            Editor->EnterText(f.Edit, "2");
            ASSERT_EQ(f.Object->PropertyFloat(f.Property), 2);
            const size_t before = Messages.size();
            Editor->EnterText(f.Edit, typed);
            const QString shown = QString(typed).replace('.', ',');
            EXPECT_EQ(edit->text(), shown);
            const bool decimal = std::string(typed) == "90.5" || std::string(typed) == "90,5";
            if (decimal && f.Decimal) {
                EXPECT_EQ(f.Object->PropertyFloat(f.Property), 90.5L);
                EXPECT_FALSE(Marked(edit));
                EXPECT_EQ(Messages.size(), before);
                continue;
            }
            EXPECT_EQ(f.Object->PropertyFloat(f.Property), 2);
            EXPECT_GT(Messages.size(), before);
            if (*typed) {
                EXPECT_TRUE(Marked(edit));
            }
        }
}

TEST_F(TEditorFixture, DropsAreCheckedAndCopiesRenamed) {
    TAEOBJ3D* pipe1 = Schema->Child(0);
    Editor->Select(Schema);
    TAEOBJ3D* host = Editor->AddObject(TSchemaAddKind::Host);
    TAEOBJ3D* branch = Editor->AddObject(TSchemaAddKind::HostBranch);
    EXPECT_EQ(Editor->Drop(*Busy, *branch, false), nullptr);
    EXPECT_EQ(Busy->Parent(), pipe1);
    TAEOBJ3D* copy = Editor->Drop(*pipe1, *host, true);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Text(), "Pipe02");
    EXPECT_EQ(Schema->IndexOf(copy), 1);
    EXPECT_EQ(Editor->Selected(), copy);
    EXPECT_NE(Editor->ItemOf(copy), nullptr);
    EXPECT_EQ(Editor->Drop(*pipe1, *copy, false), pipe1);
    EXPECT_EQ(Schema->IndexOf(pipe1), 0);
    // The tree's pop-up shows the identifiers.
    std::unique_ptr<QMenu> menu(Editor->TreeMenu());
    menu->actions()[1]->trigger();
    ASSERT_FALSE(Messages.empty());
    EXPECT_EQ(Messages.back(), std::to_string(pipe1->IDGL()));
}

TEST_F(TEditorFixture, LayoutsAndTheStatusLine) {
    EXPECT_EQ(Editor->LayoutIndex(), 0);
    Editor->SetLayout(2);
    EXPECT_EQ(Schema->PropertyInt("TypeView"), 2);
    EXPECT_EQ(Editor->StatusText(), "Deactivate");
    Editor->ModeBar().Command(ccMoveX);
    EXPECT_TRUE(Editor->StatusText().endsWith(" --> Deactivate"))
        << Editor->StatusText().toStdString();
    EXPECT_TRUE(Editor->StatusText().startsWith("MOVE AT X"));
    // The scene of the editor holds the built schema.
    EXPECT_EQ(Editor->Container().VisualCount(), 3);
    Editor->accept();
    EXPECT_GT(Schema->PropertyInt("WndWidth"), 0);
}

} // namespace
} // namespace vorelt
