#include "view2d/TGraphReport.h"

#include "view2d/TAixsPainter.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "view2d/TQtTextMetrics.h"
#include "viewmodel/axes/TAixsLabel.h"
#include "viewmodel/drawables/TRectAEVObject.h"
#include "viewmodel/graph/TGraphLegend.h"
#include "viewmodel/graph/TReportLayout.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

namespace vorelt {

namespace {

constexpr int32_t MinSide = 64;
constexpr int32_t MaxSide = 10000;
constexpr int32_t MinDpi = 36;
constexpr int32_t MaxDpi = 1200;

// The strip of an axis beside a report's plot: as long as the plot, as thick as the axis
// asks; nothing to repaint, the report paints it once.
class TReportStrip : public IAixsStrip {
public:
    explicit TReportStrip(bool vertical) : FVertical(vertical) {}
    void SetLength(int32_t length) { FLength = length; }
    int32_t StripWidth() const override { return FVertical ? FThickness : FLength; }
    int32_t StripHeight() const override { return FVertical ? FLength : FThickness; }
    int32_t PlotLength(bool) const override { return FLength; }
    void SetThickness(int32_t pixels) override { FThickness = pixels; }
    void RepaintStrip() override {}

private:
    bool FVertical;
    int32_t FLength = 0;
    int32_t FThickness = 0;
};

// The three axes measured and marked for the report's plot for as long as it is drawn; then
// they return to their strips on the screen.
class TAxesOnReport {
public:
    TAxesOnReport(TGraphVC& view, const ITextMetrics& metrics)
        : FAxes{&view.LeftAxis(), &view.BottomAxis(), &view.RightAxis()} {
        for (size_t i = 0; i < FAxes.size(); ++i) {
            FStrips[i] = std::make_unique<TReportStrip>(FAxes[i]->Vertical());
            FOldStrips[i] = FAxes[i]->Strip();
            FAxes[i]->SetStrip(FStrips[i].get());
            FAxes[i]->SetTextMetrics(&metrics);
        }
    }
    ~TAxesOnReport() {
        for (size_t i = 0; i < FAxes.size(); ++i) {
            FAxes[i]->SetStrip(FOldStrips[i]);
            FAxes[i]->SetTextMetrics(nullptr);
            FAxes[i]->BuildMarks();
        }
    }
    TAxesOnReport(const TAxesOnReport&) = delete;
    TAxesOnReport& operator=(const TAxesOnReport&) = delete;

    void Build(int32_t plotWidth, int32_t plotHeight) {
        for (size_t i = 0; i < FAxes.size(); ++i) {
            FStrips[i]->SetLength(FAxes[i]->Vertical() ? plotHeight : plotWidth);
            FAxes[i]->BuildMarks();
        }
    }
    TGrAixs& Left() { return *FAxes[0]; }
    TGrAixs& Bottom() { return *FAxes[1]; }
    TGrAixs& Right() { return *FAxes[2]; }

private:
    std::array<TGrAixs*, 3> FAxes;
    std::array<std::unique_ptr<TReportStrip>, 3> FStrips;
    std::array<IAixsStrip*, 3> FOldStrips{};
};

bool RightAxisShown(TGraphVC& view) {
    if (!view.RightAxis().Enabled() || !view.RightAxis().HasField()) return false;
    for (int i = 0; i < view.Series().Count(); ++i) {
        const TSeriesGr* s = view.Series().Get(i);
        if (s && s->Visible() && s->Side() == sdRight) return true;
    }
    return false;
}

int DrawnPoints(TGraphVC& view) {
    long long n = 0;
    for (int i = 0; i < view.Series().Count(); ++i) {
        const TSeriesGr* s = view.Series().Get(i);
        if (!s || !s->Visible()) continue;
        if (const TGraphAEVObject* o = view.SeriesObject(*s)) n += o->GetPointCount();
    }
    return static_cast<int>(std::min<long long>(n, 1 << 30));
}

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

// Everything but the encoding: one paint onto any device of width x height units.
// The boxes of the labels PaintAixs draws for the axis on a strip at (x, y) of thickness
// `thick` beside a plot of `length` pixels.
void CollectLabels(const TGrAixs& axis, int32_t x, int32_t y, int32_t thick, int32_t length,
                   const TQtTextMetrics& fonts, std::vector<TReportLabel>& out) {
    const int32_t gap = axis.MmToPixels(3);
    for (const RecMarkAixs& m : axis.Marks()) {
        if (m.Kind == mkTick || m.Text.empty()) continue;
        const TTextExtent e =
            MeasureAixsLabel(FormatAixsLabel(m.Text, axis.TypeMarkValue()), fonts);
        TReportBox box;
        if (axis.Kind() == akBottom)
            box = {x + m.LabelPos + 2, y + gap, e.Width, e.Height};
        else if (axis.Kind() == akLeft)
            box = {x + thick - 1 - gap - e.Width, y + length - 1 - m.LabelPos - 2, e.Width,
                   e.Height};
        else
            box = {x + gap, y + length - 1 - m.LabelPos - 2, e.Width, e.Height};
        out.push_back({axis.Kind(), m.Text, box});
    }
}

void Paint(TGraphVC& view, QPainter& painter, const TReportOptions& o, bool vectorData,
           TReportPicture* picture) {
    const TColorScheme scheme = ReportScheme(view, o.ScreenScheme);
    // The screen scheme keeps the window's face around the plot, as on the screen.
    const TColor page = o.ScreenScheme ? clBtnFace : clWhite;
    const TQtTextMetrics fonts(o.Dpi);
    const long double scale = o.Dpi / 96.0L;
    const TFontAttrs titleFont = AxisFont("Arial", 11, fsBold);
    const TFontAttrs legendFont = AxisFont("Arial", 9);
    const std::string title = view.GetCaption();

    const std::vector<TLegendEntry> legend = view.Legend(scheme.Background);
    TAxesOnReport axes(view, fonts);
    const bool right = RightAxisShown(view);
    TReportLayoutInput in;
    in.Width = o.Width;
    in.Height = o.Height;
    in.Scale = scale;
    if (!title.empty()) in.Title = fonts.Measure(title, titleFont);
    for (const TLegendEntry& e : legend)
        in.Legend.push_back(fonts.Measure(e.Text, legendFont));
    // The strips' thickness follows their labels, which follow the plot's length: a few
    // rounds settle it.
    TReportLayout layout;
    int32_t plotW = o.Width * 3 / 4;
    int32_t plotH = o.Height * 3 / 4;
    for (int round = 0; round < 3; ++round) {
        axes.Build(plotW, plotH);
        in.LeftStrip = axes.Left().Thickness();
        in.BottomStrip = axes.Bottom().Thickness();
        in.RightStrip = right ? axes.Right().Thickness() : 0;
        layout = LayoutReport(in);
        if (layout.Plot.Width == plotW && layout.Plot.Height == plotH) break;
        plotW = layout.Plot.Width;
        plotH = layout.Plot.Height;
    }
    axes.Build(layout.Plot.Width, layout.Plot.Height);
    const TReportBox& plot = layout.Plot;
    if (picture) {
        picture->Layout = layout;
        picture->Labels.clear();
        CollectLabels(axes.Left(), plot.Left - in.LeftStrip, plot.Top, in.LeftStrip, plot.Height,
                      fonts, picture->Labels);
        if (right)
            CollectLabels(axes.Right(), plot.Right(), plot.Top, in.RightStrip, plot.Height, fonts,
                          picture->Labels);
        CollectLabels(axes.Bottom(), plot.Left, plot.Bottom(), in.BottomStrip, plot.Width, fonts,
                      picture->Labels);
    }

    painter.fillRect(QRect(0, 0, o.Width, o.Height), TCanvasDraw::ToQColor(page));
    if (!title.empty()) {
        painter.setFont(fonts.FontOf(titleFont));
        painter.setPen(Qt::black);
        painter.drawText(
            QRect(layout.Title.Left, layout.Title.Top, layout.Title.Width, layout.Title.Height),
            Qt::AlignHCenter | Qt::AlignVCenter, Text(title));
    }
    if (layout.TooSmall) return;

    // The axes, each on its strip beside the plot.
    auto strip = [&](TGrAixs& axis, int32_t x, int32_t y, int32_t w, int32_t h) {
        painter.save();
        painter.translate(x, y);
        PaintAixs(axis, painter, w, h, fonts, page, 0);
        painter.restore();
    };
    strip(axes.Left(), plot.Left - in.LeftStrip, plot.Top, in.LeftStrip, plot.Height);
    if (right) strip(axes.Right(), plot.Right(), plot.Top, in.RightStrip, plot.Height);
    strip(axes.Bottom(), plot.Left, plot.Bottom(), plot.Width, in.BottomStrip);

    // The data, through the plot's own objects and mapping at the report's size.
    TCanvasContainer& container = *view.Container();
    TCoordMapping& mapping = *container.Mapping();
    const int32_t oldW = mapping.Width();
    const int32_t oldH = mapping.Height();
    TRectAEVObject* info = view.InfoRect();
    const bool infoShown = info && info->Visible();
    if (info) info->SetVisible(false);
    view.ApplyColours(scheme);
    view.GridFromMarks();
    mapping.SetSize(plot.Width, plot.Height);
    TCanvasDraw& draw = container.CanvasDraw();
    const QColor back = TCanvasDraw::ToQColor(scheme.Background);
    if (vectorData) {
        painter.save();
        painter.translate(plot.Left, plot.Top);
        painter.setClipRect(QRect(0, 0, plot.Width, plot.Height));
        painter.fillRect(QRect(0, 0, plot.Width, plot.Height), back);
        draw.SetPainter(&painter, plot.Width, plot.Height);
        container.Core().Render();
        draw.SetPainter(nullptr);
        painter.restore();
    } else {
        QImage data(plot.Width, plot.Height, QImage::Format_RGB32);
        data.fill(back);
        QImage* old = draw.Canvas();
        draw.SetCanvas(&data);
        container.Core().Render();
        draw.SetCanvas(old);
        painter.drawImage(plot.Left, plot.Top, data);
    }
    mapping.SetSize(oldW, oldH);
    if (info) info->SetVisible(infoShown);

    // The frame, outside the plot's 2-pixel margin so that no data lies on it. The screen's
    // scheme shows the plot as the window does, against the face without a frame.
    if (!o.ScreenScheme) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(64, 64, 64), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(plot.Left - 1, plot.Top - 1, plot.Width + 1, plot.Height + 1));
        painter.restore();
    }

    if (!legend.empty()) {
        const TReportBox& box = layout.Legend;
        painter.save();
        painter.setPen(QPen(QColor(160, 160, 160), 1));
        painter.setBrush(TCanvasDraw::ToQColor(page));
        painter.drawRect(QRect(box.Left, box.Top, box.Width - 1, box.Height - 1));
        painter.setClipRect(QRect(box.Left, box.Top, box.Width, box.Height));
        painter.setFont(fonts.FontOf(legendFont));
        int32_t y = box.Top + layout.Pad;
        for (const TLegendEntry& e : legend) {
            const QColor c = TCanvasDraw::ToQColor(e.Color);
            const int32_t sy = y + (layout.Row - layout.Swatch) / 2;
            // The swatch sits on the plot's background, as the data does.
            painter.fillRect(QRect(box.Left + layout.Pad, sy, layout.Swatch, layout.Swatch), back);
            const int32_t inset = e.Bar ? 0 : layout.Swatch / 4;
            painter.fillRect(QRect(box.Left + layout.Pad + inset, sy + inset,
                                   layout.Swatch - 2 * inset, layout.Swatch - 2 * inset),
                             c);
            painter.setPen(Qt::black);
            painter.drawText(QRect(box.Left + 2 * layout.Pad + layout.Swatch, y,
                                   box.Width - 3 * layout.Pad - layout.Swatch, layout.Row),
                             Qt::AlignLeft | Qt::AlignVCenter, Text(e.Text));
            y += layout.Row;
        }
        painter.restore();
    }
}

} // namespace

bool ReportFormatOf(const std::string& fileName, TReportFormat& format) {
    std::string lower = fileName;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto ends = [&lower](const char* ext) {
        const std::string e(ext);
        return lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
    };
    if (ends(".png"))
        format = TReportFormat::Png;
    else if (ends(".pdf"))
        format = TReportFormat::Pdf;
    else if (ends(".svg"))
        format = TReportFormat::Svg;
    else
        return false;
    return true;
}

TColorScheme ReportScheme(const TGraphVC& view, bool screen) {
    if (screen) return ColorScheme(view.ColorSchemeIndex());
    return ColorScheme(1);
}

bool RenderGraphReport(TGraphVC& view, const TReportOptions& o, QByteArray& bytes,
                       std::string& error, TReportPicture* picture) {
    if (o.Width < MinSide || o.Height < MinSide || o.Width > MaxSide || o.Height > MaxSide) {
        error = "the picture's size " + std::to_string(o.Width) + "x" + std::to_string(o.Height) +
                " is outside " + std::to_string(MinSide) + " to " + std::to_string(MaxSide) +
                " pixels";
        return false;
    }
    if (o.Dpi < MinDpi || o.Dpi > MaxDpi) {
        error = "the resolution " + std::to_string(o.Dpi) + " dpi is outside " +
                std::to_string(MinDpi) + " to " + std::to_string(MaxDpi);
        return false;
    }
    if (!view.Active() || !view.Container()) {
        error = "the graph holds no data";
        return false;
    }
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool ok = false;
    const bool manyPoints = DrawnPoints(view) > ReportVectorPoints;
    switch (o.Format) {
    case TReportFormat::Png: {
        QImage image(o.Width, o.Height, QImage::Format_RGB32);
        const int dotsPerMeter = static_cast<int>(o.Dpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        {
            QPainter painter(&image);
            Paint(view, painter, o, false, picture);
        }
        ok = image.save(&buffer, "PNG");
        break;
    }
    case TReportFormat::Pdf: {
        QPdfWriter writer(&buffer);
        writer.setCreator("Vorelt");
        writer.setTitle(Text(view.GetCaption()));
        writer.setResolution(o.Dpi);
        writer.setPageSize(
            QPageSize(QSizeF(o.Width * 72.0 / o.Dpi, o.Height * 72.0 / o.Dpi), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        ok = painter.isActive();
        if (ok) Paint(view, painter, o, !manyPoints, picture);
        ok = ok && painter.end();
        break;
    }
    case TReportFormat::Svg: {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(o.Width, o.Height));
        generator.setViewBox(QRect(0, 0, o.Width, o.Height));
        generator.setResolution(o.Dpi);
        generator.setTitle(Text(view.GetCaption()));
        QPainter painter(&generator);
        ok = painter.isActive();
        if (ok) Paint(view, painter, o, !manyPoints, picture);
        ok = ok && painter.end();
        break;
    }
    }
    // The view goes back to the screen's marks, grid and colours.
    view.UpdateAppearance();
    if (!ok) error = "the picture could not be made";
    return ok;
}

} // namespace vorelt
