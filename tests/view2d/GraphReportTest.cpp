// A graph drawn as a report: filled without a window, the picture holds the graph alone (no
// face colour of the window anywhere), with title, frame, axes and legend; a few points are
// markers of several pixels; every scheme keeps the data readable; labels never overlap;
// PDF and SVG keep text as text; refusals name the reason.

#include "TStreamGraph.h"

#include "common/TestData.h"
#include "processing/IProcessorContext.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TGraphReport.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/canvas/TColorContrast.h"

#include <QImage>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

using namespace vorelt;
using namespace vorelt::test;

namespace {

struct GraphReport : TStreamGraphFixture {
    // Amplitude against time of `hits` hits on channels 1 .. 4, filled without a window.
    TGraphVC* Filled(int hits, uint8_t type = stPointPlot) {
        for (int i = 0; i < hits; ++i)
            AddHit(*source, i, 1 + i % 4, 10 + (i * 37) % 91);
        TGraphVC* view = AddAmplitudeGraph(*source, nullptr, type);
        EXPECT_NE(view, nullptr);
        view->SetActive(true);
        EXPECT_TRUE(view->Active()) << view->FillError();
        return view;
    }
    static QImage Png(TGraphVC& view, TReportOptions o, TReportPicture* picture = nullptr) {
        QByteArray bytes;
        std::string error;
        o.Format = TReportFormat::Png;
        EXPECT_TRUE(RenderGraphReport(view, o, bytes, error, picture)) << error;
        QImage image;
        image.loadFromData(bytes, "PNG");
        return image.convertToFormat(QImage::Format_RGB32);
    }
    static void Split(TGraphVC& view, std::vector<int32_t> channels) {
        // Channels are split in the checked views.
        view.SetCheckMark(true);
        TAEOMSG m;
        m.Msg = omSplitChannels;
        m.List = std::move(channels);
        view.ViewMessage(m);
    }
};

TColor ColourOf(QRgb c) {
    return RGBColor(static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
                    static_cast<uint8_t>(qBlue(c)));
}

// The sizes of the blobs of pixels that are neither `background` nor grey (grid, frame,
// text), inside the box.
std::vector<QRect> ColouredBlobs(const QImage& image, const TReportBox& box, QRgb background) {
    auto coloured = [&](int x, int y) {
        const QRgb c = image.pixel(x, y);
        return c != background && !(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
    };
    std::vector<bool> seen(static_cast<size_t>(image.width()) * image.height(), false);
    std::vector<QRect> blobs;
    for (int y = box.Top; y < box.Bottom(); ++y)
        for (int x = box.Left; x < box.Right(); ++x) {
            const size_t at = static_cast<size_t>(y) * image.width() + x;
            if (seen[at] || !coloured(x, y)) continue;
            QRect r(x, y, 1, 1);
            std::vector<QPoint> stack{{x, y}};
            seen[at] = true;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                r = r.united(QRect(p, QSize(1, 1)));
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (q.x() < box.Left || q.x() >= box.Right() || q.y() < box.Top ||
                        q.y() >= box.Bottom())
                        continue;
                    const size_t qa = static_cast<size_t>(q.y()) * image.width() + q.x();
                    if (seen[qa] || !coloured(q.x(), q.y())) continue;
                    seen[qa] = true;
                    stack.push_back(q);
                }
            }
            blobs.push_back(r);
        }
    return blobs;
}

bool Overlap(const TReportBox& a, const TReportBox& b) {
    return a.Left < b.Right() && b.Left < a.Right() && a.Top < b.Bottom() && b.Top < a.Bottom();
}

} // namespace

TEST_F(GraphReport, AGraphFilledWithoutAWindowIsDrawnAloneWithItsTitleAxesAndFrame) {
    TGraphVC* view = Filled(100);
    TReportOptions o;
    o.Width = 800;
    o.Height = 600;
    o.Dpi = 150;
    TReportPicture picture;
    const QImage image = Png(*view, o, &picture);
    ASSERT_EQ(image.size(), QSize(800, 600));
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 150, 0.5);
    const TReportBox& plot = picture.Layout.Plot;
    ASSERT_FALSE(picture.Layout.TooSmall);
    // Nothing of the window: no patch of its face colour (a check box, a title bar) anywhere;
    // smoothed text may pass through that grey in single pixels.
    int patches = 0;
    for (int y = 0; y + 6 < image.height(); y += 3)
        for (int x = 0; x + 6 < image.width(); x += 3) {
            bool face = true;
            for (int d = 0; d < 6 && face; ++d)
                face = (image.pixel(x + d, y + d) & 0xFFFFFF) == 0xF0F0F0 &&
                       (image.pixel(x + 5 - d, y + d) & 0xFFFFFF) == 0xF0F0F0;
            patches += face ? 1 : 0;
        }
    EXPECT_EQ(patches, 0);
    EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu);
    // The title has ink above the plot; the frame runs just outside the plot.
    const TReportBox& title = picture.Layout.Title;
    int ink = 0;
    for (int y = title.Top; y < title.Bottom(); ++y)
        for (int x = title.Left; x < title.Right(); ++x)
            ink += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(ink, 20);
    EXPECT_LE(title.Bottom(), plot.Top);
    for (int x = plot.Left; x < plot.Right(); x += 7)
        EXPECT_EQ(image.pixel(x, plot.Top - 1) & 0xFFFFFF, 0x404040u) << x;
    // Labels of both axes, none overlapping another.
    int left = 0, bottom = 0;
    for (const TReportLabel& l : picture.Labels)
        (l.Axis == akBottom ? bottom : left) += 1;
    EXPECT_GE(left, 3);
    EXPECT_GE(bottom, 3);
    // The view is back as it was: a later report is the same picture.
    EXPECT_EQ(Png(*view, o), image);
}

TEST_F(GraphReport, LabelBoxesDoNotOverlapAtTheUsualSizes) {
    TGraphVC* view = Filled(2000);
    for (const QSize size : {QSize(640, 480), QSize(1200, 800), QSize(1920, 1080)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        TReportOptions o;
        o.Width = size.width();
        o.Height = size.height();
        TReportPicture picture;
        Png(*view, o, &picture);
        ASSERT_FALSE(picture.Labels.empty());
        for (size_t i = 0; i < picture.Labels.size(); ++i)
            for (size_t j = i + 1; j < picture.Labels.size(); ++j)
                EXPECT_FALSE(Overlap(picture.Labels[i].Box, picture.Labels[j].Box))
                    << picture.Labels[i].Text << " and " << picture.Labels[j].Text;
    }
}

TEST_F(GraphReport, AFewPointsAreMarkersOfAtLeastThreePixels) {
    TGraphVC* view = Filled(100);
    TReportOptions o;
    o.Width = 1000;
    o.Height = 700;
    TReportPicture picture;
    const QImage image = Png(*view, o, &picture);
    const std::vector<QRect> blobs = ColouredBlobs(image, picture.Layout.Plot, 0xFFFFFFFFu);
    ASSERT_GE(blobs.size(), 50u);
    for (const QRect& b : blobs) {
        EXPECT_GE(b.width(), 3) << b.x() << "," << b.y();
        EXPECT_GE(b.height(), 3) << b.x() << "," << b.y();
    }
}

TEST_F(GraphReport, PalePaletteColoursStayReadableOnEveryScheme) {
    TGraphVC* view = Filled(300);
    // The palette's pale entries: light cyan and light yellow, and a dark blue for the dark
    // scheme.
    const std::vector<TColor> colours = {RGBColor(170, 255, 255), RGBColor(255, 255, 170),
                                         RGBColor(0, 0, 139)};
    const TColor saved = Palette().Color(view->Series().Get(0)->Color());
    for (const TColor c : colours) {
        Palette().SetColor(view->Series().Get(0)->Color(), c);
        for (const bool screen : {false, true}) {
            for (const uint8_t scheme : {uint8_t(0), uint8_t(1)}) {
                if (!screen && scheme == 0) continue;
                TAEOMSG m;
                m.Msg = omColorScheme;
                m.WParam = scheme;
                view->ViewMessage(m);
                SCOPED_TRACE("colour " + std::to_string(c) + (screen ? " screen" : " report") +
                             " scheme " + std::to_string(scheme));
                TReportOptions o;
                o.ScreenScheme = screen;
                TReportPicture picture;
                const QImage image = Png(*view, o, &picture);
                const TReportBox& plot = picture.Layout.Plot;
                const QRgb back = image.pixel(plot.Left + 1, plot.Top + 1);
                const std::vector<QRect> blobs = ColouredBlobs(image, plot, back);
                ASSERT_FALSE(blobs.empty());
                for (const QRect& b : blobs) {
                    const QRgb p = image.pixel(b.center());
                    EXPECT_GE(ContrastRatio(ColourOf(p), ColourOf(back)), 3.0L);
                }
            }
        }
    }
    Palette().SetColor(view->Series().Get(0)->Color(), saved);
}

TEST_F(GraphReport, SplitChannelsGetTheirOwnColoursAndALegendNamingThem) {
    TGraphVC* view = Filled(400);
    Split(*view, {1, 2, 3});
    TReportOptions o;
    TReportPicture picture;
    const QImage image = Png(*view, o, &picture);
    const TReportBox& legend = picture.Layout.Legend;
    ASSERT_GT(legend.Width, 0);
    EXPECT_GE(legend.Left, picture.Layout.Plot.Right());
    // Three swatches of three colours, the plot's colours among them.
    const std::vector<QRect> swatches = ColouredBlobs(image, legend, 0xFFFFFFFFu);
    ASSERT_EQ(swatches.size(), 3u);
    std::set<QRgb> legendColours;
    for (const QRect& s : swatches)
        legendColours.insert(image.pixel(s.center()));
    EXPECT_EQ(legendColours.size(), 3u);
    for (const QRect& b : ColouredBlobs(image, picture.Layout.Plot, 0xFFFFFFFFu))
        EXPECT_TRUE(legendColours.count(image.pixel(b.center()))) << b.x() << "," << b.y();

    o.Format = TReportFormat::Svg;
    QByteArray svg;
    std::string error;
    ASSERT_TRUE(RenderGraphReport(*view, o, svg, error)) << error;
    for (const char* text : {"Chan 1", "Chan 2", "Chan 3"})
        EXPECT_TRUE(svg.contains(text)) << text;
}

TEST_F(GraphReport, PdfAndSvgKeepTheTextAsText) {
    TGraphVC* view = Filled(500);
    const std::string caption = view->GetCaption();
    const std::string left = view->LeftAxis().Caption();
    const std::string bottom = view->BottomAxis().Caption();
    ASSERT_FALSE(left.empty());
    TReportOptions o;
    o.Format = TReportFormat::Svg;
    QByteArray svg;
    std::string error;
    ASSERT_TRUE(RenderGraphReport(*view, o, svg, error)) << error;
    EXPECT_TRUE(svg.contains("<text"));
    EXPECT_TRUE(svg.contains(QString::fromStdString(caption).toHtmlEscaped().toUtf8()));
    // The grid and the frame are lines, not pixels.
    EXPECT_TRUE(svg.contains("<polyline") || svg.contains("<path") || svg.contains("<line"));
    EXPECT_FALSE(svg.contains("<image"));

    o.Format = TReportFormat::Pdf;
    QByteArray pdf;
    ASSERT_TRUE(RenderGraphReport(*view, o, pdf, error)) << error;
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    TTempDir dir;
    const std::string file = dir.File("graph.pdf");
    {
        std::FILE* f = std::fopen(file.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(pdf.constData(), 1, static_cast<size_t>(pdf.size()), f);
        std::fclose(f);
    }
    std::string text;
    if (std::FILE* p = ::popen(("pdftotext '" + file + "' - 2>&1").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            text.append(buf, n);
        ::pclose(p);
    }
    // pdftotext may break a caption over lines or leave its spaces out: compare without them.
    auto squeeze = [](std::string s) {
        s.erase(std::remove_if(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); }),
                s.end());
        return s;
    };
    const std::string found = squeeze(text);
    for (const std::string& t : {caption, left, bottom})
        EXPECT_NE(found.find(squeeze(t)), std::string::npos) << t << " in\n" << text;
}

TEST_F(GraphReport, RefusalsNameTheReason) {
    TGraphVC* view = Filled(10);
    QByteArray bytes;
    std::string error;
    TReportOptions o;
    o.Width = 20;
    EXPECT_FALSE(RenderGraphReport(*view, o, bytes, error));
    EXPECT_NE(error.find("20x800"), std::string::npos) << error;
    o = TReportOptions();
    o.Dpi = 5000;
    EXPECT_FALSE(RenderGraphReport(*view, o, bytes, error));
    EXPECT_NE(error.find("5000 dpi"), std::string::npos) << error;
    view->SetActive(false);
    EXPECT_FALSE(RenderGraphReport(*view, TReportOptions(), bytes, error));
    EXPECT_NE(error.find("no data"), std::string::npos) << error;
    TReportFormat f;
    EXPECT_TRUE(ReportFormatOf("a/Graph.SVG", f));
    EXPECT_EQ(f, TReportFormat::Svg);
    EXPECT_FALSE(ReportFormatOf("graph.jpg", f));
}

namespace {

TGVCPU* FindByName(TGVCPU* p, const std::string& name) {
    if (p->Name() == name) return p;
    for (int i = 0; i < p->ChildCount(); ++i)
        if (TGVCPU* hit = FindByName(p->Child(i), name)) return hit;
    return nullptr;
}

// No data pixel lies on the frame or in the two pixels inside it: only the background, the
// grid's grey and the time marks' lines may be there.
void ExpectNothingOnTheFrame(TGraphVC& view, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(view.Active()) << view.FillError();
    TReportPicture picture;
    TReportOptions o;
    o.Width = 900;
    o.Height = 600;
    QByteArray bytes;
    std::string error;
    ASSERT_TRUE(RenderGraphReport(view, o, bytes, error, &picture)) << error;
    QImage image;
    ASSERT_TRUE(image.loadFromData(bytes, "PNG"));
    image = image.convertToFormat(QImage::Format_RGB32);
    // For whoever looks at the run: the pictures, when a folder is named for them.
    if (const QString shots = qEnvironmentVariable("VORELT_SHOTS"); !shots.isEmpty()) {
        QString name = QString::fromStdString(what);
        name.replace(' ', '-');
        image.save(shots + "/report-" + name + ".png");
    }
    const TReportBox& p = picture.Layout.Plot;
    auto data = [&](int x, int y) {
        const QRgb c = image.pixel(x, y);
        return !(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
    };
    int onFrame = 0;
    std::string first;
    for (int d = -1; d <= 1; ++d) {
        for (int x = p.Left - 1; x <= p.Right(); ++x)
            for (const int y : {p.Top + d, p.Bottom() - 1 - d})
                if (data(x, y) && onFrame++ == 0)
                    first = std::to_string(x) + "," + std::to_string(y);
        for (int y = p.Top - 1; y <= p.Bottom(); ++y)
            for (const int x : {p.Left + d, p.Right() - 1 - d})
                if (data(x, y) && onFrame++ == 0)
                    first = std::to_string(x) + "," + std::to_string(y);
    }
    EXPECT_EQ(onFrame, 0) << "first at " << first;
}

} // namespace

TEST(GraphReportOnRecordings, NoPointBarOrLineLiesOnTheFrame) {
    RegisterCoreClasses();
    RegisterView2dClasses();
    {
        TTempDir dir;
        ASSERT_EQ(std::system(("'" + std::string(VORELT_BINARY_DIR) + "/demo/vorelt-mkdemo' '" +
                               dir.Path() + "' > /dev/null")
                                  .c_str()),
                  0);
        TProjectAE project;
        std::string error;
        ASSERT_TRUE(project.LoadProject(dir.File("demo.xml"), error)) << error;
        ASSERT_TRUE(project.OpenDataFile(project.DbName(), error)) << error;
        for (const char* name : {"GR01", "GR02", "GR03"}) {
            auto* graph = dynamic_cast<TGVCPUGr*>(FindByName(&project.Db(), name));
            ASSERT_NE(graph, nullptr) << name;
            auto* view = dynamic_cast<TGraphVC*>(graph->GetView());
            view->SetActive(true);
            ExpectNothingOnTheFrame(*view, std::string("demo ") + name);
            view->SetActive(false);
        }
    }
    for (const char* file : {"steel_plate.pridb", "bearing.pridb"}) {
        VORELT_REQUIRE_SHARED_DATA(std::string("vallen/") + file, data);
        TProjectAE project;
        std::string error;
        ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
        // Amplitude against time as points, and hits per amplitude as bars.
        for (const uint8_t type : {stPointPlot, stHistigram}) {
            auto* graph = project.Db().AddNew<TGVCPUGr>();
            graph->SetName("GR");
            auto* view = dynamic_cast<TGraphVC*>(graph->GetView());
            ASSERT_NE(view, nullptr);
            for (TGrAixs* a : {&view->LeftAxis(), &view->BottomAxis()}) {
                a->SetAutoMin(true);
                a->SetAutoMax(true);
            }
            view->LeftAxis().SetFieldId(fidAmpl);
            view->BottomAxis().SetFieldId(type == stPointPlot ? fidTime : fidAmpl);
            view->AddSeries(type);
            view->SetActive(true);
            ExpectNothingOnTheFrame(*view, std::string(file) +
                                               (type == stPointPlot ? " points" : " bars"));
            view->SetActive(false);
        }
    }
}
