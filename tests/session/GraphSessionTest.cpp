// The graphs of the demo project in a real window: Run, a band dragged on the point plot,
// "Zoom" and "Unzoom All" from the view's Edit menu, a band again and "Delete": the graph
// shows itself outdated, Run again and the points are gone, and they stay gone after the
// project was saved, closed and opened again (the companion log keeps the deletion).

#include "../app/TDemoSession.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <QAction>
#include <QImage>

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::DragBand;
using vorelt::test::TDemoSession;

namespace {

int DrawnPoints(TGraphVC& g) {
    auto* p = dynamic_cast<TGraphPointAEVObject*>(g.SeriesObject(*g.Series().Get(0)));
    return p ? p->Points().Count() : -1;
}

void Shot(QWidget& w, const std::string& file) {
    if (!file.empty()) w.grab().save(QString::fromStdString(file));
}

} // namespace

TEST(GraphSession, ZoomDeleteRunAndReopenOnTheDemoProject) {
    TDemoSession s;
    ASSERT_TRUE(s.AcquireInstance());
    TLongShoF::SetMinimumShowTime(50);
    int afterDelete = 0;
    {
        ASSERT_TRUE(s.Open());
        s.ShowPage(1);
        TGraphVC* g = s.Graph("Amplitude");
        ASSERT_NE(g, nullptr);
        ASSERT_NE(s.Graph("Hits per Channel"), nullptr);
        ASSERT_NE(s.Graph("Counts vs Amplitude"), nullptr);
        s.Run();
        ASSERT_TRUE(g->Active()) << g->FillError();
        const int before = DrawnPoints(*g);
        ASSERT_GT(before, 10000);
        const long double lo = g->BottomAxis().CurMin()->GetAsFloat();
        const long double hi = g->BottomAxis().CurMax()->GetAsFloat();

        // The demo's hits lie at the start and the end of the test: a band over the start.
        DragBand(*g, 0.01, 0.06);
        ASSERT_TRUE(g->GetFocusedView());
        ASSERT_NE(g->InfoRect(), nullptr);
        g->MenuItem("mZoomVC")->trigger();
        QApplication::processEvents();
        const std::string title = g->TitleText();
        ASSERT_GE(title.size(), 7u);
        EXPECT_EQ(title.substr(title.size() - 7), " [Zoom]");
        EXPECT_LT(g->BottomAxis().CurMax()->GetAsFloat(), hi);
        Shot(*s.Main, vorelt::test::ShotFile("graph-zoomed.png"));
        g->MenuItem("mUnzoomAllVC")->trigger();
        QApplication::processEvents();
        EXPECT_EQ(g->BottomAxis().CurMin()->GetAsFloat(), lo);
        EXPECT_EQ(g->BottomAxis().CurMax()->GetAsFloat(), hi);

        // Over hits of the first burst, behind the margin the plot leaves left of the data.
        DragBand(*g, 0.045, 0.07);
        ASSERT_NE(g->InfoRect(), nullptr);
        const size_t found = g->FoundPositions().size();
        ASSERT_GT(found, 0u);
        g->MenuItem("mDeleteVC")->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(g->Outdated() || DrawnPoints(*g) < before);
        s.Run();
        ASSERT_TRUE(g->Active());
        afterDelete = DrawnPoints(*g);
        EXPECT_EQ(afterDelete, before - static_cast<int>(found));
        Shot(*s.Main, vorelt::test::ShotFile("graph-deleted.png"));
        s.Dialogs.Boxes.clear();
        s.Child->Action("mSaveProject")->trigger();
        EXPECT_TRUE(s.Main->close());
    }
    {
        ASSERT_TRUE(s.Open());
        s.ShowPage(1);
        TGraphVC* g = s.Graph("Amplitude");
        ASSERT_NE(g, nullptr);
        s.Run();
        ASSERT_TRUE(g->Active());
        EXPECT_EQ(DrawnPoints(*g), afterDelete);
        Shot(*s.Main, vorelt::test::ShotFile("graph-page.png"));
        EXPECT_TRUE(s.Main->close());
    }
}

// "Save Graph As..." from the graph's popup menu writes the report picture the file dialog
// names: onto the recording it is refused with the reason and changes nothing; a PDF keeps the
// graph's title and axis captions as text.
TEST(GraphSession, SaveGraphAsWritesTheReportPicture) {
    TDemoSession s;
    ASSERT_TRUE(s.AcquireInstance());
    ASSERT_TRUE(s.Open());
    s.ShowPage(1);
    TGraphVC* g = s.Graph("Amplitude");
    ASSERT_NE(g, nullptr);
    s.Run();
    ASSERT_TRUE(g->Active()) << g->FillError();
    auto saveAs = [&](const std::string& target) {
        s.Dialogs.Files = {target};
        QAction* save = nullptr;
        for (QAction* a : g->PopupActions())
            if (a->objectName() == "mSaveGraphVC") save = a;
        ASSERT_NE(save, nullptr);
        ASSERT_TRUE(save->isEnabled());
        save->trigger();
        QApplication::processEvents();
    };
    const std::string pci = s.Dir.File("demo.pci");
    const std::string recording = vorelt::test::ReadFileBytes(pci);
    const std::string link = s.Dir.File("link.png");
    std::filesystem::create_symlink(pci, link);
    s.Dialogs.Boxes.clear();
    saveAs(link);
    ASSERT_EQ(s.Dialogs.Boxes.size(), 1u);
    EXPECT_NE(s.Dialogs.Boxes[0].find("the target is the project's data file"), std::string::npos)
        << s.Dialogs.Boxes[0];
    EXPECT_TRUE(vorelt::test::ReadFileBytes(pci) == recording) << "the recording changed";

    const std::string pdf = s.Dir.File("amplitude.pdf");
    const std::string png = s.Dir.File("amplitude.png");
    s.Dialogs.Boxes.clear();
    saveAs(pdf);
    saveAs(png);
    EXPECT_TRUE(s.Dialogs.Boxes.empty());
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(vorelt::test::ReadFileBytes(pdf).substr(0, 4), "%PDF");
    QImage picture(QString::fromStdString(png));
    EXPECT_GE(picture.width(), 640);
    std::string text;
    if (std::FILE* p = ::popen(("pdftotext '" + pdf + "' - 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            text.append(buf, n);
        ::pclose(p);
    }
    EXPECT_NE(text.find("Amplitude"), std::string::npos) << text;
    EXPECT_NE(text.find("Time of Hit"), std::string::npos) << text;
    Shot(*s.Main, vorelt::test::ShotFile("graph-saved.png"));
    s.Child->Project().SetModified(false);
    s.CloseMain();
}
