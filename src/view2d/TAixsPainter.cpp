#include "view2d/TAixsPainter.h"

#include "persist/TGVProperty.h"
#include "view2d/TCanvasDraw.h"

#include <QPainter>

namespace vorelt {

namespace {

// Text at (x, y) as its top-left corner, rotated by `quarterTurns` quarters counter-clockwise
// about that corner, in the font.
void TextAt(QPainter& p, int32_t x, int32_t y, int quarterTurns, const QString& text,
            const QFont& font, const QColor& colour) {
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.translate(x, y);
    p.rotate(-90.0 * quarterTurns);
    p.drawText(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, text);
    p.restore();
}

// Where a caption block of `length` pixels along the axis starts, by alignment.
int32_t AlongStart(uint8_t kind, uint8_t alignment, int32_t extent, int32_t length) {
    const bool right = alignment == TGVProperty::AlignRight;
    const bool centre = alignment == TGVProperty::AlignCenter;
    switch (kind) {
    case akLeft: // reads upwards: start is the lower end
        return centre ? (extent + length) / 2 : right ? length : extent - 1;
    case akRight: // reads downwards: start is the upper end
        return centre ? (extent - length) / 2 : right ? extent - length : 0;
    default:
        return centre ? (extent - length) / 2 : right ? extent - length : 0;
    }
}

// A label with its top-left corner at (x, y); a raised exponent goes 2 pixels right of the
// main text, which moves down by a quarter of the exponent's height.
void DrawLabel(QPainter& p, int32_t x, int32_t y, const TAixsLabel& label,
               const TQtTextMetrics& fonts) {
    const TFontAttrs mainFont = AixsLabelFont();
    const TTextExtent main = fonts.Measure(label.Main, mainFont);
    int32_t drop = 0;
    if (!label.Exponent.empty()) {
        const TFontAttrs expFont = AixsExponentFont();
        drop = fonts.Measure(label.Exponent, expFont).Height / 4;
        TextAt(p, x + main.Width + 2, y, 0, QString::fromStdString(label.Exponent),
               fonts.FontOf(expFont), Qt::black);
    }
    TextAt(p, x, y + drop, 0, QString::fromStdString(label.Main), fonts.FontOf(mainFont),
           Qt::black);
}

} // namespace

void PaintAixs(const TAixsBase& axis, QPainter& p, int32_t width, int32_t height,
               const TQtTextMetrics& fonts, TColor face, int32_t plotStart) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(0, 0, width, height), TCanvasDraw::ToQColor(face));
    if (!axis.GraphActive() || !axis.Enabled() || !axis.HasField()) {
        p.restore();
        return;
    }
    const uint8_t kind = axis.Kind();
    const int turns = kind == akLeft ? 1 : kind == akRight ? 3 : 0;
    const int32_t extent = kind == akBottom ? width : height;

    // Caption.
    const std::string caption = axis.Caption();
    if (!caption.empty()) {
        const TFontAttrs font = AxisFont("Arial", 8);
        const TTextExtent e = fonts.Measure(caption, font);
        const int32_t start = AlongStart(kind, axis.LegendAlignment(), extent, e.Width);
        const QString text = QString::fromStdString(caption);
        if (kind == akLeft)
            TextAt(p, 0, start, turns, text, fonts.FontOf(font), Qt::black);
        else if (kind == akRight)
            TextAt(p, width, start, turns, text, fonts.FontOf(font), Qt::black);
        else
            TextAt(p, start, height - e.Height, 0, text, fonts.FontOf(font), Qt::black);
    }

    // An active graph without a range (nothing plotted) has no marks to miss, nor has a graph
    // still reading its records: the marks of the last fill are gone and the new ones not there.
    long double lo = 0, hi = 0;
    if (axis.MarkCount() == 0 && (axis.GraphLoading() || !axis.CurrentRange(lo, hi))) {
        p.restore();
        return;
    }
    if (axis.MarkCount() == 0) {
        TFontAttrs font = AxisFont("Arial", 8, fsBold);
        const TTextExtent e = fonts.Measure(txtEmptyMarkAixs, font);
        const QString text = QString::fromLatin1(txtEmptyMarkAixs);
        const QColor red(255, 0, 0);
        if (kind == akLeft)
            TextAt(p, (width - e.Height) / 2, (height + e.Width) / 2, turns, text,
                   fonts.FontOf(font), red);
        else if (kind == akRight)
            TextAt(p, (width + e.Height) / 2, (height - e.Width) / 2, turns, text,
                   fonts.FontOf(font), red);
        else
            TextAt(p, (width - e.Width) / 2, (height - e.Height) / 2, 0, text, fonts.FontOf(font),
                   red);
        p.restore();
        return;
    }

    const int32_t major = axis.MmToPixels(3);
    const int32_t minor = axis.MmToPixels(0.5L);
    const int32_t gap = axis.MmToPixels(3);
    // Positions count from the plot's first pixel (left) or last (bottom) behind its 2-pixel
    // margin; the strip shows them where the plot lies beside it.
    const int32_t bottom = plotStart + axis.PlotLength() - 1;
    p.setPen(QPen(Qt::black, 1));
    for (const RecMarkAixs& m : axis.Marks()) {
        const int32_t len = m.Kind == mkMajor ? major : minor;
        if (kind == akBottom) {
            const int32_t x = plotStart + m.Pos + 2;
            p.drawLine(x, 0, x, len - 1);
        } else {
            const int32_t y = bottom - m.Pos - 2;
            if (kind == akLeft)
                p.drawLine(width - 1, y, width - len, y);
            else
                p.drawLine(0, y, len - 1, y);
        }
        if (m.Kind == mkTick || m.Text.empty()) continue;
        const TAixsLabel label = FormatAixsLabel(m.Text, axis.TypeMarkValue());
        const TTextExtent e = MeasureAixsLabel(label, fonts);
        if (kind == akBottom)
            DrawLabel(p, plotStart + m.LabelPos + 2, gap, label, fonts);
        else if (kind == akLeft)
            DrawLabel(p, width - 1 - gap - e.Width, bottom - m.LabelPos - 2, label, fonts);
        else
            DrawLabel(p, gap, bottom - m.LabelPos - 2, label, fonts);
    }
    p.restore();
}

} // namespace vorelt
