#include "view2d/TCanvasDraw.h"

#include <QFont>
#include <QPen>
#include <QPolygon>
#include <algorithm>
#include <cstdlib>

namespace vorelt {

namespace {

Qt::PenStyle ToQtPenStyle(uint8_t style) {
    switch (style) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

QPainter::CompositionMode ToRasterOp(uint8_t mode) {
    switch (mode) {
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

TCanvasDraw::TLock::TLock(TCanvasDraw& owner) : FOwner(owner) {
    if (owner.FExternal) {
        FPainter = owner.FExternal;
    } else if (owner.FOpen) {
        FPainter = &*owner.FOpen;
    } else if (owner.FCanvas && !owner.FCanvas->isNull()) {
        FLocal.emplace(owner.FCanvas);
        FPainter = &*FLocal;
    }
    if (FPainter) {
        FPainter->save();
        owner.ApplyToPainter(*FPainter);
    }
}

TCanvasDraw::TLock::~TLock() {
    if (FPainter) FPainter->restore();
}

TCanvasDraw::TCanvasDraw(std::shared_ptr<ICoordConvert> converter, QImage* canvas)
    : TLogicalCanvas(std::move(converter)), FCanvas(canvas) {}

TCanvasDraw::~TCanvasDraw() {
    if (FOpen) FOpen->end();
}

void TCanvasDraw::BeginPaint() {
    if (FOpenCount++ == 0 && !FExternal && FCanvas && !FCanvas->isNull()) FOpen.emplace(FCanvas);
}

void TCanvasDraw::EndPaint() {
    if (FOpenCount == 0) return;
    if (--FOpenCount == 0 && FOpen) {
        FOpen->end();
        FOpen.reset();
    }
}

void TCanvasDraw::ApplyToPainter(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing, false);
    if (FPen.Style == psClear) {
        p.setPen(Qt::NoPen);
    } else {
        QPen pen(ToQColor(FPen.Color));
        pen.setWidth(std::max(1, FPen.Width));
        pen.setStyle(ToQtPenStyle(FPen.Style));
        // Thin GDI pens have no caps; wide geometric ones are round.
        pen.setCapStyle(FPen.Width > 1 ? Qt::RoundCap : Qt::FlatCap);
        pen.setJoinStyle(FPen.Width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
        p.setPen(pen);
    }
    if (FBrush.Style == bsClear)
        p.setBrush(Qt::NoBrush);
    else
        p.setBrush(ToQColor(FBrush.Color));
    p.setCompositionMode(ToRasterOp(FPen.Mode));
    QFont font(QString::fromStdString(FFont.Name));
    if (FFont.Height != 0)
        font.setPixelSize(std::abs(FFont.Height));
    else if (FFont.Size > 0)
        font.setPointSize(FFont.Size);
    font.setBold((FFont.Style & fsBold) != 0);
    font.setItalic((FFont.Style & fsItalic) != 0);
    font.setUnderline((FFont.Style & fsUnderline) != 0);
    font.setStrikeOut((FFont.Style & fsStrikeOut) != 0);
    p.setFont(font);
}

TDevicePoint TCanvasDraw::Dev(const TLogicalPoint& p, uint16_t flags) const {
    TDevicePoint d;
    FConverter->LogicalToDevice(ScaleXOf(flags), ScaleYOf(flags), p.X, p.Y, d.X, d.Y);
    return d;
}

// ---- Device primitives -------------------------------------------------------------------

void TCanvasDraw::Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    if (r == l || b == t) return;
    TLock p(*this);
    if (!p.Valid()) return;
    const int32_t w = r - l - 1;
    const int32_t h = b - t - 1;
    if (w == 0 || h == 0) {
        // A one-pixel-wide rectangle is all outline.
        const QPen pen = p->pen();
        const QColor c = pen.style() != Qt::NoPen ? pen.color() : p->brush().color();
        if (pen.style() == Qt::NoPen && p->brush().style() == Qt::NoBrush) return;
        p->fillRect(QRect(l, t, r - l, b - t), c);
        return;
    }
    p->drawRect(QRect(l, t, w, h));
}

void TCanvasDraw::FillRect(int32_t l, int32_t t, int32_t r, int32_t b, TColor color) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    TLock p(*this);
    if (!p.Valid()) return;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(QRect(l, t, r - l, b - t), ToQColor(color));
}

void TCanvasDraw::Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    TLock p(*this);
    if (!p.Valid()) return;
    p->drawEllipse(QRect(l, t, std::max(0, r - l - 1), std::max(0, b - t - 1)));
}

void TCanvasDraw::MoveTo(int32_t x, int32_t y) {
    FPenPos = {x, y};
}

void TCanvasDraw::LineTo(int32_t x, int32_t y) {
    const TDevicePoint from = FPenPos;
    FPenPos = {x, y};
    const int32_t dx = x - from.X;
    const int32_t dy = y - from.Y;
    if (dx == 0 && dy == 0) return;
    TLock p(*this);
    if (!p.Valid()) return;
    // A thin pen with flat caps ends before the end pixel, which belongs to the next segment:
    // joined segments (and an XOR outline) touch each pixel once.
    p->drawLine(from.X, from.Y, x, y);
}

// ---- Logical operations ------------------------------------------------------------------

void TCanvasDraw::DrawMarker(const TLogicalPoint& pt, uint16_t flags) {
    const TDevicePoint d = Dev(pt, flags);
    Rectangle(d.X - 3, d.Y - 3, d.X + 3, d.Y + 3);
}

void TCanvasDraw::DrawPoint(const TLogicalPoint& pt, uint16_t flags, TColor color) {
    const TDevicePoint d = Dev(pt, flags);
    FPen.Color = color;
    FPen.Width = 1;
    FBrush.Color = color;
    FBrush.Style = bsSolid;
    const int32_t s = SizePoint();
    switch (FPointStyle) {
    case ptBigPoint:
        FillRect(d.X - 2 * s, d.Y - 2 * s, d.X + 2 * s, d.Y + 2 * s, color);
        break;
    case ptRound:
        Ellipse(d.X - 2 * s, d.Y - 2 * s, d.X + 2 * s, d.Y + 2 * s);
        break;
    case ptBigRound:
        Ellipse(d.X - 3 * s, d.Y - 3 * s, d.X + 3 * s, d.Y + 3 * s);
        break;
    default:
        FillRect(d.X - s, d.Y - s, d.X + s, d.Y + s, color);
        break;
    }
}

void TCanvasDraw::DrawLine(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags) {
    const TDevicePoint a = Dev(p1, flags);
    const TDevicePoint b = Dev(p2, flags);
    MoveTo(a.X, a.Y);
    LineTo(b.X, b.Y);
}

void TCanvasDraw::DrawLineEx(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags,
                             TColor color, long double widthMm) {
    FPen.Width = FConverter->MmToPixels(widthMm);
    FPen.Color = color;
    DrawLine(p1, p2, flags);
}

namespace {
// A rectangle less than one pixel wide or high is widened so that it still shows.
void WidenThin(TDevicePoint& a, TDevicePoint& b) {
    if (b.X - a.X < 1) a.X = b.X + 1;
    if (b.Y - a.Y < 1) a.Y = b.Y + 1;
}
} // namespace

void TCanvasDraw::DrawRect(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags) {
    TDevicePoint a = Dev(p1, flags);
    TDevicePoint b = Dev(p2, flags);
    WidenThin(a, b);
    Rectangle(a.X, a.Y, b.X, b.Y);
}

void TCanvasDraw::FillRectEx(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags,
                             TColor fill, TColor frame, long double widthMm) {
    TDevicePoint a = Dev(p1, flags);
    TDevicePoint b = Dev(p2, flags);
    FPen.Width = FConverter->MmToPixels(widthMm);
    FPen.Color = (b.X - a.X > 2 && b.Y - a.Y > 2) ? frame : fill;
    FBrush.Color = fill;
    FBrush.Style = bsSolid;
    WidenThin(a, b);
    Rectangle(a.X, a.Y, b.X, b.Y);
}

void TCanvasDraw::DrawRoundRect(const TLogicalPoint& p1, const TLogicalPoint& p2,
                                const TLogicalPoint& corner, uint16_t flags) {
    TDevicePoint a = Dev(p1, flags);
    TDevicePoint b = Dev(p2, flags);
    const TDevicePoint c = Dev(corner, flags);
    if (a.X > b.X) std::swap(a.X, b.X);
    if (a.Y > b.Y) std::swap(a.Y, b.Y);
    TLock p(*this);
    if (!p.Valid()) return;
    p->drawRoundedRect(QRect(a.X, a.Y, std::max(0, b.X - a.X - 1), std::max(0, b.Y - a.Y - 1)),
                       c.X / 2.0, c.Y / 2.0);
}

void TCanvasDraw::DrawTextRect(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags,
                               const std::string& text) {
    TDevicePoint a = Dev(p1, flags);
    TDevicePoint b = Dev(p2, flags);
    if (a.X > b.X) std::swap(a.X, b.X);
    if (a.Y > b.Y) std::swap(a.Y, b.Y);
    TLock p(*this);
    if (!p.Valid()) return;
    const QString s = QString::fromStdString(text);
    QRect r(a.X, a.Y, b.X - a.X, b.Y - a.Y);
    const QRect measured = p->boundingRect(QRect(r.left(), r.top(), r.width(), 100000),
                                           Qt::TextWordWrap | Qt::AlignHCenter, s);
    r.translate(0, (r.height() - measured.height()) / 2);
    p->setPen(ToQColor(FFont.Color));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawText(r, Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop, s);
}

void TCanvasDraw::DrawPolygon(const TPointsArray& points, uint16_t flags) {
    if (points.empty()) return;
    QPolygon poly;
    poly.reserve(static_cast<int>(points.size()));
    for (const auto& pt : points) {
        const TDevicePoint d = Dev(pt, flags);
        poly << QPoint(d.X, d.Y);
    }
    TLock p(*this);
    if (!p.Valid()) return;
    p->drawPolygon(poly, Qt::OddEvenFill);
}

void TCanvasDraw::SaveState() {
    FSavedPen = FPen;
    FSavedBrush = FBrush;
    FSavedFont = FFont;
    FSavedPointStyle = FPointStyle;
}

void TCanvasDraw::RestoreState() {
    FPen = FSavedPen;
    FBrush = FSavedBrush;
    FFont = FSavedFont;
    FPointStyle = FSavedPointStyle;
}

void TCanvasDraw::ApplyStyle(const TDrawStyle& style) {
    const uint16_t m = style.Mask;
    if (style.Pen) {
        if (m & dsPenColor) FPen.Color = style.Pen->Color;
        if (m & dsPenMode) FPen.Mode = style.Pen->Mode;
        if (m & dsPenStyle) FPen.Style = style.Pen->Style;
        if (m & dsPenWidth) FPen.Width = style.Pen->Width;
    }
    if (style.Brush) {
        if (m & dsBrushColor) FBrush.Color = style.Brush->Color;
        if (m & dsBrushStyle) FBrush.Style = style.Brush->Style;
    }
    if (style.Font) {
        if (m & dsFontName) FFont.Name = style.Font->Name;
        if (m & dsFontColor) FFont.Color = style.Font->Color;
        if (m & dsFontHeight)
            FFont.Height = style.Font->Height;
        else if (m & dsFontSize) {
            FFont.Size = style.Font->Size;
            FFont.Height = 0;
        }
        if (m & dsFontStyle) FFont.Style = style.Font->Style;
    }
    FPointStyle = style.PointStyle;
}

} // namespace vorelt

// ---- Batches ---------------------------------------------------------------------------------

namespace vorelt {

bool TCanvasDraw::DeviceSize(int32_t& width, int32_t& height) const {
    if (FExternal) {
        width = FExternalWidth;
        height = FExternalHeight;
        return true;
    }
    if (!FCanvas || FCanvas->isNull()) return TLogicalCanvas::DeviceSize(width, height);
    width = FCanvas->width();
    height = FCanvas->height();
    return true;
}

uint32_t* TCanvasDraw::DirectBits(int32_t& stride) const {
    if (FExternal) return nullptr;
    if (!FCanvas || FCanvas->isNull()) return nullptr;
    const QImage::Format f = FCanvas->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    stride = static_cast<int32_t>(FCanvas->bytesPerLine() / 4);
    // The raster painter of an open paint writes into the same memory without buffering, so
    // direct writes and painter calls keep their order.
    return reinterpret_cast<uint32_t*>(FCanvas->bits());
}

bool TCanvasDraw::PixelAccess(TPixelAccess& access) {
    int32_t stride = 0;
    uint32_t* bits = DirectBits(stride);
    if (!bits) return TLogicalCanvas::PixelAccess(access);
    access.Bits = bits;
    access.Stride = stride;
    access.Width = FCanvas->width();
    access.Height = FCanvas->height();
    return true;
}

std::vector<TDevicePoint> TCanvasDraw::PointStamp() const {
    const int32_t s = SizePoint();
    std::vector<TDevicePoint> stamp;
    auto square = [&](int32_t k) {
        for (int32_t dy = -k; dy < k; ++dy)
            for (int32_t dx = -k; dx < k; ++dx)
                stamp.push_back({dx, dy});
    };
    switch (FPointStyle) {
    case ptBigPoint:
        square(2 * s);
        break;
    case ptRound:
    case ptBigRound: {
        const int32_t k = (FPointStyle == ptRound ? 2 : 3) * s;
        const int32_t c = k + 2;
        QImage scratch(2 * c + 1, 2 * c + 1, QImage::Format_RGB32);
        scratch.fill(0);
        {
            QPainter p(&scratch);
            p.setRenderHint(QPainter::Antialiasing, false);
            if (FPen.Style == psClear) {
                p.setPen(Qt::NoPen);
            } else {
                QPen pen(Qt::white);
                pen.setWidth(1);
                pen.setStyle(ToQtPenStyle(FPen.Style));
                pen.setCapStyle(Qt::FlatCap);
                pen.setJoinStyle(Qt::MiterJoin);
                p.setPen(pen);
            }
            p.setBrush(Qt::white);
            p.drawEllipse(QRect(c - k, c - k, 2 * k - 1, 2 * k - 1));
        }
        for (int32_t y = 0; y < scratch.height(); ++y)
            for (int32_t x = 0; x < scratch.width(); ++x)
                if ((scratch.pixel(x, y) & 0xFFFFFFu) != 0) stamp.push_back({x - c, y - c});
        break;
    }
    default:
        square(s);
        break;
    }
    return stamp;
}

void TCanvasDraw::DrawDevicePoints(const TDeviceDot* dots, size_t count) {
    if (count == 0) return;
    int32_t stride = 0;
    // Squares are filled without the pen, so they never mix with the canvas; round points are
    // written directly only when the pen copies.
    const bool round = FPointStyle == ptRound || FPointStyle == ptBigRound;
    uint32_t* bits = (!round || FPen.Mode == pmCopy) ? DirectBits(stride) : nullptr;
    if (!bits) {
        TLogicalCanvas::DrawDevicePoints(dots, count);
        return;
    }
    const int32_t w = FCanvas->width();
    const int32_t h = FCanvas->height();
    auto pixel = [](TColor c) { return TPixelAccess::Pixel(c); };
    if (!round) {
        // Squares x - k .. x + k - 1, y - k .. y + k - 1.
        const int32_t k = (FPointStyle == ptBigPoint ? 2 : 1) * SizePoint();
        if (k == 1) {
            // The common case of millions of points: two pixels in two rows.
            for (size_t i = 0; i < count; ++i) {
                const TDeviceDot& d = dots[i];
                const uint32_t px = pixel(d.Color);
                if (d.X >= 1 && d.Y >= 1 && d.X < w && d.Y < h) {
                    uint32_t* lower = bits + static_cast<ptrdiff_t>(d.Y) * stride + d.X;
                    uint32_t* upper = lower - stride;
                    upper[-1] = px;
                    upper[0] = px;
                    lower[-1] = px;
                    lower[0] = px;
                } else {
                    for (int32_t y = std::max(d.Y - 1, 0); y < std::min(d.Y + 1, h); ++y)
                        for (int32_t x = std::max(d.X - 1, 0); x < std::min(d.X + 1, w); ++x)
                            bits[static_cast<ptrdiff_t>(y) * stride + x] = px;
                }
            }
        } else {
            for (size_t i = 0; i < count; ++i) {
                const TDeviceDot& d = dots[i];
                const uint32_t px = pixel(d.Color);
                const int32_t l = std::max(d.X - k, 0);
                const int32_t r = std::min(d.X + k, w);
                const int32_t t = std::max(d.Y - k, 0);
                const int32_t b = std::min(d.Y + k, h);
                uint32_t* row = bits + static_cast<ptrdiff_t>(t) * stride;
                for (int32_t y = t; y < b; ++y, row += stride)
                    for (int32_t x = l; x < r; ++x)
                        row[x] = px;
            }
        }
    } else {
        const std::vector<TDevicePoint> stamp = PointStamp();
        int32_t reach = 0;
        for (const TDevicePoint& o : stamp)
            reach = std::max({reach, std::abs(o.X), std::abs(o.Y)});
        for (size_t i = 0; i < count; ++i) {
            const TDeviceDot& d = dots[i];
            const uint32_t px = pixel(d.Color);
            if (d.X >= reach && d.Y >= reach && d.X < w - reach && d.Y < h - reach) {
                uint32_t* centre = bits + static_cast<ptrdiff_t>(d.Y) * stride + d.X;
                for (const TDevicePoint& o : stamp)
                    centre[static_cast<ptrdiff_t>(o.Y) * stride + o.X] = px;
            } else {
                for (const TDevicePoint& o : stamp) {
                    const int32_t x = d.X + o.X;
                    const int32_t y = d.Y + o.Y;
                    if (x >= 0 && y >= 0 && x < w && y < h)
                        bits[static_cast<ptrdiff_t>(y) * stride + x] = px;
                }
            }
        }
    }
    // What DrawPoint leaves behind.
    const TColor last = dots[count - 1].Color;
    FPen.Color = last;
    FPen.Width = 1;
    FBrush.Color = last;
    FBrush.Style = bsSolid;
}

void TCanvasDraw::DrawDeviceMarkers(const TDevicePoint* points, size_t count) {
    if (count == 0) return;
    int32_t stride = 0;
    // A thin solid copying pen outlines the 6 x 6 box exactly; anything else goes through the
    // painter.
    const bool plain = FPen.Mode == pmCopy && FPen.Style == psSolid && FPen.Width <= 1;
    uint32_t* bits = plain ? DirectBits(stride) : nullptr;
    if (!bits) {
        TLogicalCanvas::DrawDeviceMarkers(points, count);
        return;
    }
    const int32_t w = FCanvas->width();
    const int32_t h = FCanvas->height();
    const uint32_t pen = TPixelAccess::Pixel(FPen.Color);
    const bool fill = FBrush.Style != bsClear;
    const uint32_t brush = TPixelAccess::Pixel(FBrush.Color);
    for (size_t i = 0; i < count; ++i) {
        const int32_t l = points[i].X - 3;
        const int32_t t = points[i].Y - 3;
        if (l < 0 || t < 0 || l + 5 >= w || t + 5 >= h) {
            // The painter clips a box that crosses the edge in its own way.
            TLogicalCanvas::DrawDeviceMarkers(points + i, 1);
            continue;
        }
        for (int32_t y = t; y <= t + 5; ++y) {
            uint32_t* row = bits + static_cast<ptrdiff_t>(y) * stride;
            const bool edgeRow = y == t || y == t + 5;
            for (int32_t x = l; x <= l + 5; ++x) {
                if (edgeRow || x == l || x == l + 5)
                    row[x] = pen;
                else if (fill)
                    row[x] = brush;
            }
        }
    }
}

} // namespace vorelt
