// Axis labels are drawn on the scale of the data: on the demo's three graphs (amplitude
// against time, hits per channel, counts against amplitude on logarithmic axes), drawn at
// several sizes and after a resize, and exported by vorelt-export in the screen's scheme, every
// labelled tick sits on the grid line of its value, the label stands at its tick, and a point of
// that value lands there. Everything is read back from the pixels.

#include "common/TGraphPixels.h"
#include "common/TestData.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphReport.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/drawables/TGraphAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QWidget>

#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// 3 mm at the 96 pixels per inch of the offscreen platform.
constexpr int MajorTickLength = 11;
constexpr QRgb LeftDotColour = 0xFF0000;
constexpr QRgb BottomDotColour = 0xFF00FF;

const char* const DemoGraphs[] = {"GR01", "GR02", "GR03"};

TGVCPU* FindByName(TGVCPU* p, const std::string& name) {
    if (SameText(Trim(p->Name()), name)) return p;
    for (int i = 0; i < p->ChildCount(); ++i)
        if (TGVCPU* hit = FindByName(p->Child(i), name)) return hit;
    return nullptr;
}

// The demo project made by vorelt-mkdemo, its data file open.
struct TDemoProject {
    TTempDir dir;
    TProjectAE project;
    std::string error;

    bool Make() {
        QProcess::execute(QString(VORELT_BINARY_DIR) + "/demo/vorelt-mkdemo",
                          {QString::fromStdString(dir.Path())});
        RegisterCoreClasses();
        RegisterView2dClasses();
        return project.LoadProject(dir.File("demo.xml"), error) &&
               project.OpenDataFile(project.DbName(), error);
    }
    TGraphVC* Graph(const std::string& name) {
        auto* g = dynamic_cast<TGVCPUGr*>(FindByName(&project.Db(), name));
        return g ? dynamic_cast<TGraphVC*>(g->GetView()) : nullptr;
    }
};

// The graph alone on a page of the size, filled, as vorelt-export draws it.
void PlaceAndFill(TGraphVC& view, QWidget& page, int width, int height) {
    page.resize(width, height);
    view.SetParentWindow(&page);
    view.SetLeft(0);
    view.SetTop(0);
    view.SetWidth(width);
    view.SetHeight(height);
    view.SetVisible(true);
    page.show();
    QApplication::processEvents();
    if (!view.Active()) view.SetActive(true);
    QApplication::processEvents();
}

// A new size of the page and the view, the way a tiled or resized window gives it.
void Resize(TGraphVC& view, QWidget& page, int width, int height) {
    page.resize(width, height);
    view.SetWidth(width);
    view.SetHeight(height);
    // The plot's new size lays the axes out; their strips' new thickness resizes it once more.
    QApplication::processEvents();
    QApplication::processEvents();
}

QImage Render(QWidget& page) {
    QImage image(page.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    page.render(&image);
    return image;
}

QRect PlotRect(TGraphVC& view, QWidget& page) {
    TCanvasContainer* c = view.Container();
    return QRect(c->mapTo(&page, QPoint(0, 0)), c->size());
}

// The values of the labelled marks of an axis.
std::vector<long double> LabelValues(const TGrAixs& axis) {
    std::vector<long double> values;
    for (const RecMarkAixs& m : axis.Marks()) {
        long double v = 0;
        if (m.Kind != mkTick && !m.Text.empty() && TryStrToFloat(m.Text, v)) values.push_back(v);
    }
    return values;
}

// Where a value lies in the current range, as a fraction: what a series hands its object.
long double Fraction(TGrAixs& axis, long double v) {
    const long double lo = axis.CurMin()->GetAsFloat();
    return axis.Logarithmic() ? axis.Normalize(std::log10(v) - std::log10(lo))
                              : axis.Normalize(v - lo);
}

std::string List(const std::vector<int>& v) {
    std::ostringstream s;
    for (int x : v)
        s << x << " ";
    return s.str();
}

// Bars stand over the grid: a column they fill from top to bottom hides its grid line.
bool CoveredColumn(const QImage& image, const QRect& plot, int x) {
    int filled = 0;
    for (int y = plot.top() + 2; y <= plot.bottom() - 3; ++y)
        filled += IsBlackPixel(image.pixel(x, y)) ? 0 : 1;
    return filled >= (plot.height() - 5) * 9 / 10;
}

// Ticks against grid lines: one grid line per labelled value, a tick on each grid line and a
// grid line at each long (labelled major) tick, each long tick with its label. `hidden` grid
// lines lie under bars.
void ExpectTicksOnGrid(const TAxisPixels& a, size_t labelled, const char* axisName,
                       const std::function<bool(int)>& hidden = {}) {
    SCOPED_TRACE(std::string(axisName) + " axis: grid " + List(a.Grid) + "| ticks " +
                 List(a.Ticks) + "| long ticks " + List(a.MajorTicks));
    size_t covered = 0;
    for (int t : a.MajorTicks)
        covered += hidden && NearestDistance(a.Grid, t) > 1 && hidden(t) ? 1 : 0;
    EXPECT_EQ(a.Grid.size() + covered, labelled);
    for (int g : a.Grid)
        EXPECT_LE(NearestDistance(a.Ticks, g), 1) << "grid line at " << g << " has no tick";
    for (size_t i = 0; i < a.MajorTicks.size(); ++i) {
        if (!(hidden && hidden(a.MajorTicks[i]))) {
            EXPECT_LE(NearestDistance(a.Grid, a.MajorTicks[i]), 1)
                << "tick at " << a.MajorTicks[i] << " has no grid line";
        }
        EXPECT_TRUE(a.LabelAtTick[i]) << "no label at the tick at " << a.MajorTicks[i];
    }
}

// The full check of a drawn graph: ticks, labels and grid from the pixels, and points of every
// labelled value put into the plot the way series put theirs.
void ExpectAxesOnTheDataScale(TGraphVC& view, QWidget& page) {
    ASSERT_TRUE(view.Active()) << view.FillError();
    const std::vector<long double> left = LabelValues(view.LeftAxis());
    const std::vector<long double> bottom = LabelValues(view.BottomAxis());
    ASSERT_FALSE(left.empty());
    ASSERT_FALSE(bottom.empty());
    TCanvasContainer* c = view.Container();
    auto leftDots = std::make_unique<TGraphPointAEVObject>();
    auto bottomDots = std::make_unique<TGraphPointAEVObject>();
    leftDots->SetColor(RGBColor(255, 0, 0));
    bottomDots->SetColor(RGBColor(255, 0, 255));
    for (size_t i = 0; i < left.size(); ++i)
        leftDots->AddValueEx(static_cast<int32_t>(i), 0, 0, Fraction(view.LeftAxis(), left[i]),
                             0.5L);
    for (size_t i = 0; i < bottom.size(); ++i)
        bottomDots->AddValueEx(static_cast<int32_t>(i), 0, 0, 0.5L,
                               Fraction(view.BottomAxis(), bottom[i]));
    TBaseAEVObject* l = leftDots.get();
    TBaseAEVObject* b = bottomDots.get();
    c->AddObject(std::move(leftDots));
    c->AddObject(std::move(bottomDots));
    // The graph's own series stand aside: bars would hide the grid lines under them.
    std::vector<TGraphAEVObject*> series;
    for (int i = 0; i < view.Series().Count(); ++i)
        if (TGraphAEVObject* o = view.SeriesObject(*view.Series().Get(i))) series.push_back(o);
    for (TGraphAEVObject* o : series)
        o->SetVisible(false);
    const QImage image = Render(page);
    for (TGraphAEVObject* o : series)
        o->SetVisible(true);
    c->DeleteObject(c->IndexOfObject(l));
    c->DeleteObject(c->IndexOfObject(b));

    const QRect plot = PlotRect(view, page);
    const TAxisPixels lp = LeftAxisPixels(image, plot, MajorTickLength);
    const TAxisPixels bp = BottomAxisPixels(image, plot, MajorTickLength);
    ExpectTicksOnGrid(lp, left.size(), "left");
    ExpectTicksOnGrid(bp, bottom.size(), "bottom");

    const std::vector<QPoint> ld = DotMiddles(image, plot, LeftDotColour);
    const std::vector<QPoint> bd = DotMiddles(image, plot, BottomDotColour);
    EXPECT_EQ(ld.size(), left.size());
    EXPECT_EQ(bd.size(), bottom.size());
    for (const QPoint& p : ld) {
        EXPECT_LE(NearestDistance(lp.Grid, p.y()), 1) << "a point at row " << p.y();
        EXPECT_LE(NearestDistance(lp.Ticks, p.y()), 1) << "a point at row " << p.y();
    }
    for (const QPoint& p : bd) {
        EXPECT_LE(NearestDistance(bp.Grid, p.x()), 1) << "a point at column " << p.x();
        EXPECT_LE(NearestDistance(bp.Ticks, p.x()), 1) << "a point at column " << p.x();
    }
}

} // namespace

TEST(AxisLabelsOnTheDataScale, TicksLabelsGridAndPointsAgreeAtEverySizeAndAfterResizes) {
    TDemoProject demo;
    ASSERT_TRUE(demo.Make()) << demo.error;
    for (const char* name : DemoGraphs) {
        TGraphVC* view = demo.Graph(name);
        ASSERT_NE(view, nullptr) << name;
        for (const QSize size : {QSize(640, 480), QSize(1000, 700), QSize(1500, 1000)}) {
            QWidget page;
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(size.width()) + "x" +
                         std::to_string(size.height()));
            PlaceAndFill(*view, page, size.width(), size.height());
            ExpectAxesOnTheDataScale(*view, page);
            // Tiled beside another window, then given the whole area back.
            Resize(*view, page, size.width() / 2, size.height());
            ExpectAxesOnTheDataScale(*view, page);
            Resize(*view, page, size.width() + 200, size.height() / 2 + 100);
            ExpectAxesOnTheDataScale(*view, page);
            view->Detach();
        }
        view->SetActive(false);
    }
}

TEST(AxisLabelsOnTheDataScale, ExportedGraphsHaveEveryLabelOnTheGridLineOfItsValue) {
    TDemoProject demo;
    ASSERT_TRUE(demo.Make()) << demo.error;
    const QString tool = QString(VORELT_BINARY_DIR) + "/tools/export/vorelt-export";
    for (const char* name : DemoGraphs) {
        TGraphVC* view = demo.Graph(name);
        ASSERT_NE(view, nullptr) << name;
        for (const QSize size : {QSize(800, 600), QSize(1200, 800), QSize(1920, 1080)}) {
            const std::string wh =
                std::to_string(size.width()) + "x" + std::to_string(size.height());
            SCOPED_TRACE(std::string(name) + " at " + wh);
            const std::string png = demo.dir.File(std::string(name) + "-" + wh + ".png");
            ASSERT_EQ(QProcess::execute(tool, {QString::fromStdString(demo.dir.File("demo.xml")),
                                               name, QString::fromStdString(png), "--size",
                                               QString::fromStdString(wh), "--scheme", "screen"}),
                      0);
            QImage image(QString::fromStdString(png));
            ASSERT_EQ(image.size(), size);
            image = image.convertToFormat(QImage::Format_RGB32);

            // The same report drawn here tells where the plot lies on the page and which values
            // the labels show.
            if (!view->Active()) view->SetActive(true);
            ASSERT_TRUE(view->Active()) << view->FillError();
            TReportOptions options;
            options.Width = size.width();
            options.Height = size.height();
            options.ScreenScheme = true;
            TReportPicture picture;
            QByteArray same;
            std::string error;
            ASSERT_TRUE(RenderGraphReport(*view, options, same, error, &picture)) << error;
            const TReportBox& box = picture.Layout.Plot;
            const QRect plot(box.Left, box.Top, box.Width, box.Height);
            std::vector<long double> left;
            std::vector<long double> bottom;
            for (const TReportLabel& l : picture.Labels) {
                long double v = 0;
                if (!TryStrToFloat(l.Text, v)) continue;
                if (l.Axis == akLeft) left.push_back(v);
                if (l.Axis == akBottom) bottom.push_back(v);
            }
            const TAxisPixels lp = LeftAxisPixels(image, plot, MajorTickLength);
            const TAxisPixels bp = BottomAxisPixels(image, plot, MajorTickLength);
            const auto covered = [&](int x) { return CoveredColumn(image, plot, x); };
            ExpectTicksOnGrid(lp, left.size(), "left");
            ExpectTicksOnGrid(bp, bottom.size(), "bottom", covered);
            // A value lies at its fraction of the plot's pixels inside the 2-pixel margin
            // (2 at the top and left, 3 at the bottom and right).
            for (long double v : left) {
                const long double n = Fraction(view->LeftAxis(), v);
                const double y =
                    plot.top() + 2 + static_cast<double>((1 - n) * (plot.height() - 5));
                const int row = static_cast<int>(std::lround(y));
                EXPECT_LE(NearestDistance(lp.Grid, row), 1) << "value " << static_cast<double>(v);
                EXPECT_LE(NearestDistance(lp.Ticks, row), 1) << "value " << static_cast<double>(v);
            }
            for (long double v : bottom) {
                const long double n = Fraction(view->BottomAxis(), v);
                const double x = plot.left() + 2 + static_cast<double>(n * (plot.width() - 5));
                const int column = static_cast<int>(std::lround(x));
                if (!covered(column)) {
                    EXPECT_LE(NearestDistance(bp.Grid, column), 1)
                        << "value " << static_cast<double>(v);
                }
                EXPECT_LE(NearestDistance(bp.Ticks, column), 1)
                    << "value " << static_cast<double>(v);
            }
            view->Detach();
        }
        view->SetActive(false);
    }
}
