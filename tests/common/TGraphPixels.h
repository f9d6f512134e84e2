#pragma once
// A drawn graph view read back from its pixels: the grid lines inside the plot, the ticks on
// the strips beside it, the labels' ink and dots of one colour. Tests of the axes compare where
// these lie; they need only the plot's rectangle (the plotting container, border included).

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vorelt::test {

struct TAxisPixels {
    // Rows (left axis) or columns (bottom axis) of grid lines, of ticks of any kind and of
    // long (labelled major) ticks; for each long tick whether its label stands at it.
    std::vector<int> Grid;
    std::vector<int> Ticks;
    std::vector<int> MajorTicks;
    std::vector<bool> LabelAtTick;
};

inline bool IsBlackPixel(QRgb c) {
    return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0;
}

// Label text is smoothed: its ink is any dark pixel.
inline bool IsInkPixel(QRgb c) {
    return qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128;
}

// Grid lines are drawn in a dark grey on the dark scheme's black background.
inline bool IsGridPixel(QRgb c) {
    return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 0 && qRed(c) < 128;
}

// Distance from `v` to the nearest entry; a large number when there is none.
inline int NearestDistance(const std::vector<int>& list, int v) {
    int best = 1 << 20;
    for (int x : list)
        best = std::min(best, std::abs(x - v));
    return best;
}

// Runs of consecutive numbers become their middles.
inline std::vector<int> Middles(const std::vector<int>& sorted) {
    std::vector<int> out;
    for (size_t i = 0; i < sorted.size();) {
        size_t j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] == sorted[j] + 1)
            ++j;
        out.push_back((sorted[i] + sorted[j]) / 2);
        i = j + 1;
    }
    return out;
}

// A grid line is one pixel wide and crosses the plot: a row (column) where, in a share of the
// plot, the pixel is grid grey and differs from both neighbours across the line. Dots, bars
// and the other direction's lines are wider than one pixel across it; time marks are light.
// Bars hide the grid lines under them: where they stand, a twentieth of the plot shows them.
inline std::vector<int> GridLines(const QImage& image, const QRect& plot, bool rows) {
    std::vector<int> found;
    const int from = rows ? plot.top() + 2 : plot.left() + 2;
    const int to = rows ? plot.bottom() - 2 : plot.right() - 2;
    const int acrossFrom = rows ? plot.left() + 1 : plot.top() + 1;
    const int acrossTo = rows ? plot.right() - 1 : plot.bottom() - 1;
    const int need = std::max(10, (acrossTo - acrossFrom) / 20);
    for (int at = from; at <= to; ++at) {
        int count = 0;
        for (int a = acrossFrom; a <= acrossTo; ++a) {
            auto px = [&](int d) { return rows ? image.pixel(a, at + d) : image.pixel(at + d, a); };
            const QRgb c = px(0);
            if (IsGridPixel(c) && c != px(-1) && c != px(1)) ++count;
        }
        if (count >= need) found.push_back(at);
    }
    return found;
}

// The left axis: its strip ends one pixel left of the plot; ticks run from that edge inwards,
// 3 mm for labelled majors, labels end 3 mm from it.
inline TAxisPixels LeftAxisPixels(const QImage& image, const QRect& plot, int majorLength) {
    TAxisPixels a;
    a.Grid = GridLines(image, plot, true);
    const int edge = plot.left() - 1;
    std::vector<int> ticks;
    std::vector<int> majors;
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
        if (!IsBlackPixel(image.pixel(edge, y))) continue;
        ticks.push_back(y);
        if (IsBlackPixel(image.pixel(edge - (majorLength - 2), y))) majors.push_back(y);
    }
    a.Ticks = Middles(ticks);
    a.MajorTicks = Middles(majors);
    // A label stands level with its tick: ink on the tick's row, left of the 3-mm gap (and
    // right of the caption, which takes the strip's first 4 mm).
    for (int y : a.MajorTicks) {
        bool ink = false;
        for (int yy = y - 1; yy <= y + 1; ++yy)
            for (int x = std::max(16, edge - majorLength - 60); x < edge - majorLength; ++x)
                ink = ink || IsInkPixel(image.pixel(x, yy));
        a.LabelAtTick.push_back(ink);
    }
    return a;
}

// The bottom axis: its strip starts one pixel below the plot; ticks run down from there.
inline TAxisPixels BottomAxisPixels(const QImage& image, const QRect& plot, int majorLength) {
    TAxisPixels a;
    a.Grid = GridLines(image, plot, false);
    const int edge = plot.bottom() + 1;
    std::vector<int> ticks;
    std::vector<int> majors;
    for (int x = plot.left(); x <= plot.right(); ++x) {
        if (!IsBlackPixel(image.pixel(x, edge))) continue;
        ticks.push_back(x);
        if (IsBlackPixel(image.pixel(x, edge + majorLength - 2))) majors.push_back(x);
    }
    a.Ticks = Middles(ticks);
    a.MajorTicks = Middles(majors);
    // A label stands centred under its tick: ink in the tick's columns below the gap, above
    // the caption (two columns either side: "10" has no ink in its very middle).
    for (int x : a.MajorTicks) {
        bool ink = false;
        for (int xx = x - 2; xx <= x + 2; ++xx)
            for (int y = edge + majorLength; y < std::min(image.height(), edge + majorLength + 12);
                 ++y)
                ink = ink || IsInkPixel(image.pixel(xx, y));
        a.LabelAtTick.push_back(ink);
    }
    return a;
}

// Middles of the blobs of exactly `colour` inside the plot, as (x, y).
inline std::vector<QPoint> DotMiddles(const QImage& image, const QRect& plot, QRgb colour) {
    std::vector<QPoint> out;
    std::vector<bool> seen(static_cast<size_t>(image.width() * image.height()), false);
    auto is = [&](int x, int y) {
        return plot.contains(x, y) && (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    };
    for (int y = plot.top(); y <= plot.bottom(); ++y)
        for (int x = plot.left(); x <= plot.right(); ++x) {
            if (!is(x, y) || seen[static_cast<size_t>(y * image.width() + x)]) continue;
            int x0 = x, x1 = x, y0 = y, y1 = y;
            std::vector<QPoint> stack{{x, y}};
            seen[static_cast<size_t>(y * image.width() + x)] = true;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                x0 = std::min(x0, p.x());
                x1 = std::max(x1, p.x());
                y0 = std::min(y0, p.y());
                y1 = std::max(y1, p.y());
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (!is(q.x(), q.y()) ||
                        seen[static_cast<size_t>(q.y() * image.width() + q.x())])
                        continue;
                    seen[static_cast<size_t>(q.y() * image.width() + q.x())] = true;
                    stack.push_back(q);
                }
            }
            out.emplace_back((x0 + x1) / 2, (y0 + y1) / 2);
        }
    return out;
}

} // namespace vorelt::test
