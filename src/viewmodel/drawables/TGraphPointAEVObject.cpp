#include "viewmodel/drawables/TGraphPointAEVObject.h"

#include "model/TLargePages.h"
#include "model/TPageWarmer.h"

#include "viewmodel/canvas/TLogicalCanvas.h"
#include "viewmodel/graph/TSeriesMapping.h"

#include <algorithm>
#include <array>
#include <thread>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorelt {

namespace {

// Drawing surface assumed when the canvas does not know its size.
constexpr int32_t FallbackWidth = 1920;
constexpr int32_t FallbackHeight = 1080;

// One map for all series: they draw one after another on the user-interface thread.
TPixelOccupancy& SharedOccupancy() {
    static TPixelOccupancy occupancy;
    return occupancy;
}

// Selected and marked points are remembered for later; true when the point is selected and so
// is not drawn now. Kept out of line: the loop over every point meets such points rarely.
[[gnu::noinline]] bool Remember(TPixelOccupancy& occupancy, uint8_t f, int32_t x, int32_t y,
                                std::vector<TDevicePoint>& selected,
                                std::vector<TDevicePoint>& marked) {
    const size_t p = occupancy.Index(x, y);
    if ((f & pfMarked) && TPixelOccupancy::TestAndSet(occupancy.Marked(), p))
        marked.push_back({x, y});
    if (!(f & pfSelected)) return false;
    if (TPixelOccupancy::TestAndSet(occupancy.DrawnSelected(), p)) {
        TPixelOccupancy::TestAndSet(occupancy.Drawn(), p);
        selected.push_back({x, y});
    }
    return true;
}

// The loop over every point, point by point in list order, for canvases that draw each point
// themselves. No branch depends on what the map holds: each point is written to the batch and
// counts only when its pixel was empty.
void DrawFirstPerPixel(TLogicalCanvas& canvas, const TSeriesMapping& map,
                       const TAEVPointList& points, const std::array<TColor, 256>& colours,
                       const std::array<uint8_t, 256>& listed, TPixelOccupancy& occupancy,
                       std::vector<TDevicePoint>& selected, std::vector<TDevicePoint>& marked) {
    constexpr size_t batchSize = 4096;
    std::vector<TDeviceDot> batchStore(batchSize + 1);
    TDeviceDot* const batch = batchStore.data();
    size_t count = 0;
    const int32_t w = occupancy.Width();
    const int32_t h = occupancy.Height();
    const auto width = static_cast<size_t>(w);
    uint64_t* const drawn = occupancy.Drawn();
    const size_t n = static_cast<size_t>(points.Count());
    const double* const xs = points.XData();
    const double* const ys = points.YData();
    const uint8_t* const flags = points.FlagsData();
    const uint8_t* const channels = points.ChannelData();
    const TColor* const colour = colours.data();
    const uint8_t* const isListed = listed.data();
    for (size_t i = 0; i < n; ++i) {
        const uint8_t f = flags[i];
        if (f & (pfDeleted | pfChannelHidden)) continue;
        int32_t x = 0;
        int32_t y = 0;
        if (!map.MapInside(xs[i], ys[i], w, h, x, y)) continue;
        const uint8_t ch = channels[i];
        if (!isListed[ch]) continue;
        if ((f & (pfSelected | pfMarked)) && Remember(occupancy, f, x, y, selected, marked))
            continue;
        const size_t p = static_cast<size_t>(y) * width + static_cast<size_t>(x);
        uint64_t& word = drawn[p >> 6];
        const uint64_t bit = uint64_t(1) << (p & 63);
        const size_t fresh = (word & bit) ? 0 : 1;
        word |= bit;
        batch[count] = TDeviceDot{x, y, colour[ch]};
        count += fresh;
        if (count == batchSize) {
            canvas.DrawDevicePoints(batch, count);
            count = 0;
        }
    }
    if (count) canvas.DrawDevicePoints(batch, count);
}

// Holder keys. Below 2^24 points a key is (index + 1) << 8 | channel: the largest key is still
// that of the latest holder, and the winner's colour comes with it instead of from a read of
// the channel array at a random place for every pixel.
constexpr size_t PackedKeyLimit = (size_t(1) << 24) - 1;

// Series from this size claim their pixels on two cores.
constexpr size_t ParallelClaimFrom = size_t(1) << 20;

// Pixel of a coordinate for the container's own mapping. The conversion gives INT32_MIN for
// NaN and for values beyond 32 bits, so such coordinates fail the range test like every other
// coordinate outside, and no test on the double is needed first.
inline uint32_t FastPixel(double v, double k) {
    return static_cast<uint32_t>(RoundEvenSmall(v * k)) + 2u;
}

// Step 1 below. Kept apart, with its arrays declared unaliased, so that the loop keeps its
// values in registers: a store through a byte pointer could otherwise change anything.
template <bool Packed, bool Fast>
[[gnu::noinline]] void ClaimPixels(const TSeriesMapping map, const TAEVPointList& points,
                                   const std::array<uint8_t, 256>& listed,
                                   TPixelOccupancy& occupancy, uint32_t* __restrict holder,
                                   std::vector<TDevicePoint>& selected,
                                   std::vector<TDevicePoint>& marked, size_t lo, size_t hi,
                                   std::vector<uint32_t>* deferred) {
    const int32_t w = occupancy.Width();
    const int32_t h = occupancy.Height();
    const auto uw = static_cast<uint32_t>(w);
    const auto uh = static_cast<uint32_t>(h);
    const auto width = static_cast<size_t>(w);
    const double* __restrict xs = points.XData();
    const double* __restrict ys = points.YData();
    const uint8_t* __restrict flags = points.FlagsData();
    const uint8_t* __restrict channels = points.ChannelData();
    const uint8_t* __restrict isListed = listed.data();
    const double kx = map.Kx();
    const double ky = map.Ky();
    for (size_t i = hi; i-- > lo;) {
        // Streams read downwards are fetched ahead by hand.
        if ((i & 7) == 0 && i >= lo + 512) {
            __builtin_prefetch(xs + i - 512);
            __builtin_prefetch(ys + i - 512);
            if ((i & 63) == 0) {
                __builtin_prefetch(flags + i - 512);
                __builtin_prefetch(channels + i - 512);
            }
        }
        const uint8_t f = flags[i];
        if (f & (pfDeleted | pfChannelHidden)) continue;
        uint32_t x = 0;
        uint32_t y = 0;
        if constexpr (Fast) {
            x = FastPixel(xs[i], kx);
            y = FastPixel(ys[i], ky);
            if (x >= uw || y >= uh) continue;
        } else {
            int32_t dx = 0;
            int32_t dy = 0;
            if (!map.MapInside(xs[i], ys[i], w, h, dx, dy)) continue;
            x = static_cast<uint32_t>(dx);
            y = static_cast<uint32_t>(dy);
        }
        const uint8_t ch = channels[i];
        if (!isListed[ch]) continue;
        const size_t p = static_cast<size_t>(y) * width + x;
        holder[p] =
            Packed ? (static_cast<uint32_t>(i + 1) << 8) | ch : static_cast<uint32_t>(i + 1);
        // Selected and marked points all look the same, so their order does not matter.
        if ((f & (pfSelected | pfMarked)) && deferred)
            deferred->push_back(static_cast<uint32_t>(i));
        else if (f & (pfSelected | pfMarked))
            Remember(occupancy, f, static_cast<int32_t>(x), static_cast<int32_t>(y), selected,
                     marked);
    }
}

#if defined(__SSE2__)
// Unsigned maximum of four lanes; plain SSE2 compares only signed.
inline __m128i MaxU32(__m128i a, __m128i b) {
    const __m128i sign = _mm_set1_epi32(INT32_MIN);
    const __m128i greater = _mm_cmpgt_epi32(_mm_xor_si128(a, sign), _mm_xor_si128(b, sign));
    return _mm_or_si128(_mm_and_si128(greater, a), _mm_andnot_si128(greater, b));
}

// Pixels 0 .. x - 1 of one row of points drawn as 2 x 2 squares, four at a time and without
// branches on the keys (which are random in a dense plot); returns x. The keys of pixel q are
// those of columns q and q + 1 in this row and the next.
inline int32_t ComposeRowPacked(const uint32_t* upper, const uint32_t* lower, uint32_t* out,
                                const std::array<uint32_t, 256>& pixel, int32_t w) {
    int32_t x = 0;
    alignas(16) uint32_t keys[4];
    for (; x + 4 < w; x += 4) {
        const auto* u = reinterpret_cast<const __m128i*>(upper + x);
        const auto* l = reinterpret_cast<const __m128i*>(lower + x);
        const __m128i here = MaxU32(_mm_loadu_si128(u), _mm_loadu_si128(l));
        const __m128i next =
            MaxU32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x + 1)),
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x + 1)));
        const __m128i m = MaxU32(here, next);
        _mm_store_si128(reinterpret_cast<__m128i*>(keys), m);
        const __m128i colour = _mm_set_epi32(static_cast<int32_t>(pixel[keys[3] & 0xFF]),
                                             static_cast<int32_t>(pixel[keys[2] & 0xFF]),
                                             static_cast<int32_t>(pixel[keys[1] & 0xFF]),
                                             static_cast<int32_t>(pixel[keys[0] & 0xFF]));
        // Pixels without a key keep the background.
        const __m128i none = _mm_cmpeq_epi32(m, _mm_setzero_si128());
        auto* o = reinterpret_cast<__m128i*>(out + x);
        const __m128i old = _mm_loadu_si128(o);
        _mm_storeu_si128(o, _mm_or_si128(_mm_and_si128(none, old), _mm_andnot_si128(none, colour)));
    }
    return x;
}
#endif

// Step 2 below, for one kind of holder key.
template <bool Packed>
void ComposeFromHolders(const TPixelAccess& pixels, int32_t k, const uint32_t* holder,
                        const uint8_t* channels, const std::array<uint32_t, 256>& pixel, int32_t w,
                        int32_t h) {
    const auto width = static_cast<size_t>(w);
    // The square of a point at x covers x - k .. x + k - 1: pixel q is covered by the points at
    // q - k + 1 .. q + k on each axis.
    auto paint = [&](uint32_t* out, uint32_t m) {
        if (!m) return;
        if constexpr (Packed)
            *out = pixel[m & 0xFF];
        else
            *out = pixel[channels[m - 1]];
    };
    if (k == 1) {
        // Each column's maximum of this row and the next serves the pixel on its left too.
        for (int32_t y = 0; y < h; ++y) {
            const uint32_t* upper = holder + static_cast<size_t>(y) * width;
            const uint32_t* lower = y + 1 < h ? upper + width : upper;
            uint32_t* out = pixels.Bits + static_cast<ptrdiff_t>(y) * pixels.Stride;
            int32_t x = 0;
#if defined(__SSE2__)
            if constexpr (Packed) x = ComposeRowPacked(upper, lower, out, pixel, w);
#endif
            uint32_t left = std::max(upper[x], lower[x]);
            for (; x + 1 < w; ++x) {
                const uint32_t right = std::max(upper[x + 1], lower[x + 1]);
                paint(out + x, std::max(left, right));
                left = right;
            }
            paint(out + w - 1, left);
        }
        return;
    }
    // Larger squares: the window maximum along the rows, then along the columns.
    std::vector<uint32_t> across(width * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y) {
        const size_t row = static_cast<size_t>(y) * width;
        for (int32_t x = 0; x < w; ++x) {
            uint32_t m = 0;
            for (int32_t s = std::max(x - k + 1, 0); s <= std::min(x + k, w - 1); ++s)
                m = std::max(m, holder[row + static_cast<size_t>(s)]);
            across[row + static_cast<size_t>(x)] = m;
        }
    }
    for (int32_t y = 0; y < h; ++y) {
        uint32_t* out = pixels.Bits + static_cast<ptrdiff_t>(y) * pixels.Stride;
        const int32_t top = std::max(y - k + 1, 0);
        const int32_t bottom = std::min(y + k, h - 1);
        for (int32_t x = 0; x < w; ++x) {
            uint32_t m = 0;
            for (int32_t s = top; s <= bottom; ++s)
                m = std::max(m, across[static_cast<size_t>(s) * width + static_cast<size_t>(x)]);
            paint(out + x, m);
        }
    }
}

// The same picture for square points written straight into the pixels, without the cost of
// testing a map for every point:
// 1. From the last point to the first every shown point takes its pixel, so at the end each
//    pixel is held by the first point in list order that falls on it; that is the one point
//    drawing one by one would draw there, unless a selected point holds it.
// 2. Drawing one by one paints each held pixel's square in list order, so a pixel shows the
//    square, among those covering it, of the latest holder: the largest holder index in the
//    window of pixels whose squares cover it.
void ComposeFirstPerPixel(const TPixelAccess& pixels, int32_t k, const TSeriesMapping& map,
                          const TAEVPointList& points, const std::array<TColor, 256>& colours,
                          const std::array<uint8_t, 256>& listed, TPixelOccupancy& occupancy,
                          std::vector<TDevicePoint>& selected, std::vector<TDevicePoint>& marked) {
    const int32_t w = occupancy.Width();
    const int32_t h = occupancy.Height();
    uint32_t* const holder = occupancy.ResetHolders();
    const bool packed = static_cast<size_t>(points.Count()) <= PackedKeyLimit;
#if defined(__SSE2__)
    const bool fast = map.Fast();
#else
    const bool fast = false;
#endif
    const size_t n = static_cast<size_t>(points.Count());
    if (packed && fast && n >= ParallelClaimFrom && std::thread::hardware_concurrency() > 1) {
        // The claims are bound by memory latency and bandwidth per core, so a second core
        // claims the later half of the points into a map of its own. A pixel keeps the claim of
        // the first half where it has one: that is the earlier point. The second half's
        // selected and marked points are remembered here afterwards, as the map of drawn
        // selected pixels is not shared.
        const size_t mid = n / 2;
        uint32_t* second = nullptr;
        std::vector<uint32_t> deferred;
        std::vector<TDevicePoint> none;
        std::thread other([&] {
            second = occupancy.ResetSecondHolders();
            ClaimPixels<true, true>(map, points, listed, occupancy, second, none, none, mid, n,
                                    &deferred);
        });
        ClaimPixels<true, true>(map, points, listed, occupancy, holder, selected, marked, 0, mid,
                                nullptr);
        other.join();
        const size_t cells = static_cast<size_t>(w) * static_cast<size_t>(h);
        for (size_t p = 0; p < cells; ++p)
            holder[p] = holder[p] ? holder[p] : second[p];
        for (const uint32_t i : deferred) {
            const auto x = static_cast<int32_t>(FastPixel(points.XData()[i], map.Kx()));
            const auto y = static_cast<int32_t>(FastPixel(points.YData()[i], map.Ky()));
            Remember(occupancy, points.FlagsData()[i], x, y, selected, marked);
        }
    } else if (packed && fast) {
        ClaimPixels<true, true>(map, points, listed, occupancy, holder, selected, marked, 0, n,
                                nullptr);
    } else if (packed) {
        ClaimPixels<true, false>(map, points, listed, occupancy, holder, selected, marked, 0, n,
                                 nullptr);
    } else if (fast) {
        ClaimPixels<false, true>(map, points, listed, occupancy, holder, selected, marked, 0, n,
                                 nullptr);
    } else {
        ClaimPixels<false, false>(map, points, listed, occupancy, holder, selected, marked, 0, n,
                                  nullptr);
    }
    // A pixel with a selected point gives up its holder: the selected square drawn last covers
    // every pixel whose colour that holder could decide, so this changes no pixel, and the
    // pixels with a selected point are known without reading the flags of every holder.
    for (const TDevicePoint& sel : selected)
        holder[occupancy.Index(sel.X, sel.Y)] = 0;

    std::array<uint32_t, 256> pixel;
    for (size_t c = 0; c < pixel.size(); ++c)
        pixel[c] = TPixelAccess::Pixel(colours[c]);
    if (packed)
        ComposeFromHolders<true>(pixels, k, holder, points.ChannelData(), pixel, w, h);
    else
        ComposeFromHolders<false>(pixels, k, holder, points.ChannelData(), pixel, w, h);
}

TLogicalPoint Unscaled(int32_t x, int32_t y) {
    TLogicalPoint p;
    p.X = x - 2;
    p.Y = y - 2;
    return p;
}

} // namespace

TGraphPointAEVObject::TGraphPointAEVObject() {
    FAcceptsBackDblClick = true;
    OnCompare = &TGraphPointAEVObject::CompareXY;
}

void TGraphPointAEVObject::AddValueEx(int32_t position, uint8_t flags, uint8_t channel,
                                      long double yNorm, long double xNorm) {
    FSortIndex.push_back(static_cast<int32_t>(FPoints.Count()));
    TGraphAEVObject::AddValueEx(position, flags, channel, yNorm, xNorm);
    FIndexSorted = false;
}

TGraphPointAEVObject::~TGraphPointAEVObject() = default;

void TGraphPointAEVObject::AddValues(size_t n, const int32_t* position, const uint8_t* flags,
                                     const uint8_t* channel, const long double* yNorm,
                                     const long double* xNorm) {
    if (n == 0) return;
    // The arithmetic of AddValueEx, with the logical size read once.
    const long double lw = LogicalWidth();
    const long double lh = LogicalHeight();
    auto next = static_cast<int32_t>(FPoints.Count());
    for (size_t i = 0; i < n; ++i) {
        FSortIndex.push_back(next++);
        FPoints.Add(static_cast<double>(xNorm[i] * lw), static_cast<double>(lh - yNorm[i] * lh),
                    position[i], channel[i], flags[i]);
    }
    FIndexSorted = false;
}

void TGraphPointAEVObject::ClearIndex() {
    FWarmer.reset();
    std::vector<int32_t>().swap(FSortIndex);
    FIndexSorted = false;
}

void TGraphPointAEVObject::Reserve(size_t n) {
    FPoints.Reserve(n);
    FSortIndex.reserve(n);
    AdviseLargePages(FSortIndex);
    FWarmer = std::make_unique<TPageWarmer>();
    FPoints.AddTo(*FWarmer);
    FWarmer->Add(FSortIndex);
    FWarmer->Start();
}

size_t TGraphPointAEVObject::BytesAllocated() const {
    return FPoints.BytesAllocated() + FSortIndex.capacity() * sizeof(int32_t);
}

int TGraphPointAEVObject::CompareXY(const TGraphPointAEVObject& series, int a, int b) {
    const TAEVPointList& p = series.Points();
    if (p.X(a) < p.X(b)) return -1;
    if (p.X(b) < p.X(a)) return 1;
    if (p.Y(a) < p.Y(b)) return -1;
    if (p.Y(b) < p.Y(a)) return 1;
    return 0;
}

void TGraphPointAEVObject::SortIndex() {
    FWarmer.reset();
    if (!FSearchEnabled || !OnCompare) return;
    // A stable merge sort stays inside the array even if a handler does not order
    // consistently (NaN coordinates, for one).
    const TCompare* plain = OnCompare.target<TCompare>();
    if (plain && *plain == &TGraphPointAEVObject::CompareXY) {
        const double* x = FPoints.XData();
        const double* y = FPoints.YData();
        auto less = [x, y](int32_t a, int32_t b) {
            return x[a] < x[b] || (!(x[b] < x[a]) && y[a] < y[b]);
        };
        // Points against time come in order already; a stable sort would leave them as
        // they are, at the price of a buffer and a merge of every run.
        if (!std::is_sorted(FSortIndex.begin(), FSortIndex.end(), less))
            std::stable_sort(FSortIndex.begin(), FSortIndex.end(), less);
    } else {
        std::stable_sort(FSortIndex.begin(), FSortIndex.end(),
                         [this](int32_t a, int32_t b) { return OnCompare(*this, a, b) < 0; });
    }
    FIndexSorted = true;
}

void TGraphPointAEVObject::SelectPositions(const std::vector<int32_t>& positions, bool value) {
    FlagPositions(positions, pfSelected, value);
}

int TGraphPointAEVObject::MarkPosition(int32_t position, bool value) {
    const int i = FindPosition(position);
    if (i >= 0) FPoints.SetFlag(i, pfMarked, value);
    return i;
}

void TGraphPointAEVObject::DeletePositions(const std::vector<int32_t>& positions, bool value) {
    FlagPositions(positions, pfDeleted, value);
}

void TGraphPointAEVObject::FindPointAt(THitInfo& info) {
    info.HitKind = hkNone;
    if (FSearchDisabled) return;
    if (FIndexSorted && OnFindInRect) {
        const int32_t r = info.Tolerance + SizePoint();
        const TRectInt rect{info.DevX - r, info.DevY - r, info.DevX + r, info.DevY + r};
        std::vector<int32_t> found = OnFindInRect(*this, rect);
        if (!found.empty()) {
            info.HitKind = hkHandle;
            info.Distance = 0;
            if (OnPointsFound) OnPointsFound(*this, found);
        }
        return;
    }
    TGraphAEVObject::FindPointAt(info);
}

uint8_t TGraphPointAEVObject::PointStyleForCount(uint8_t style, int count) {
    // A few points drawn as 2-pixel dots are lost on a large plot: they are drawn as markers
    // of 4 pixels (and more with a larger point size). Dense plots keep their dots, one per
    // pixel, and their speed.
    if (count < SparsePoints && style == ptPoint) return ptBigPoint;
    return style;
}

void TGraphPointAEVObject::Draw() {
    if (!CanDraw()) return;
    const uint8_t pointStyle =
        FGrowSparsePoints ? PointStyleForCount(FPointStyle, FPoints.Count()) : FPointStyle;
    TLogicalCanvas& canvas = *FDraw;
    TCanvasStateGuard guard(canvas);
    TDrawStyle style;
    style.Pen = &FColorPen.Attrs();
    style.Mask = FColorPen.Mask();
    style.PointStyle = pointStyle;
    canvas.ApplyStyle(style);

    int32_t w = 0;
    int32_t h = 0;
    if (!canvas.DeviceSize(w, h)) {
        w = FallbackWidth;
        h = FallbackHeight;
    }
    if (w <= 0 || h <= 0) return;
    TPixelOccupancy& occupancy = SharedOccupancy();
    occupancy.Reset(w, h);

    // Without channel colours every channel is listed in the series colour, so the loop looks
    // the colour up the same way in both cases.
    std::array<TColor, 256> colours;
    std::array<uint8_t, 256> listed;
    if (FChannelColors.Empty()) {
        colours.fill(GetColor());
        listed.fill(1);
    } else {
        // A channel the colours do not list is hidden even before ApplyToPoints ran.
        ChannelTable(colours, listed);
    }

    const ICoordConvert* conv = Converter();
    const TSeriesMapping map(conv, ScaleFlags());
    std::vector<TDevicePoint> selected;
    std::vector<TDevicePoint> marked;
    TPixelAccess pixels;
    const bool squares = pointStyle == ptPoint || pointStyle == ptBigPoint;
    if (!FConnect && squares && canvas.PixelAccess(pixels) && pixels.Width == w &&
        pixels.Height == h) {
        const int32_t k = (pointStyle == ptBigPoint ? 2 : 1) * SizePoint();
        ComposeFirstPerPixel(pixels, k, map, FPoints, colours, listed, occupancy, selected, marked);
    } else if (!FConnect) {
        DrawFirstPerPixel(canvas, map, FPoints, colours, listed, occupancy, selected, marked);
    } else {
        // Every drawn point is joined to the previous drawn one by a line as thick as the
        // point, so points and lines go to the canvas in turn.
        const int32_t s = SizePoint();
        const int32_t diameter = pointStyle == ptPoint      ? 2 * s
                                 : pointStyle == ptBigRound ? 6 * s
                                                            : 4 * s;
        const long double width = conv ? conv->PixelsToMm(diameter) : 0;
        const size_t n = static_cast<size_t>(FPoints.Count());
        bool havePrev = false;
        TDevicePoint prev;
        for (size_t i = 0; i < n; ++i) {
            const auto k = static_cast<int>(i);
            const uint8_t f = FPoints.Flags(k);
            const uint8_t ch = FPoints.Channel(k);
            if ((f & (pfDeleted | pfChannelHidden)) || !listed[ch]) continue;
            int32_t x = 0;
            int32_t y = 0;
            if (!map.MapInside(FPoints.X(k), FPoints.Y(k), w, h, x, y)) continue;
            if ((f & (pfSelected | pfMarked)) && Remember(occupancy, f, x, y, selected, marked))
                continue;
            if (!TPixelOccupancy::TestAndSet(occupancy.Drawn(), occupancy.Index(x, y))) continue;
            const TDeviceDot dot{x, y, colours[ch]};
            canvas.DrawDevicePoints(&dot, 1);
            if (havePrev)
                canvas.DrawLineEx(Unscaled(prev.X, prev.Y), Unscaled(x, y), PackScale(0, 0),
                                  dot.Color, width);
            prev = {x, y};
            havePrev = true;
        }
    }

    if (!selected.empty()) {
        std::vector<TDeviceDot> dots;
        dots.reserve(selected.size());
        const TColor c = FSelectedPen.Color();
        for (const TDevicePoint& p : selected)
            dots.push_back({p.X, p.Y, c});
        canvas.DrawDevicePoints(dots.data(), dots.size());
    }
    if (!marked.empty()) {
        // Hollow marks, so that the marked point still shows its colour inside.
        TPenAttrs pen = FMarkPen.Attrs();
        TBrushAttrs brush;
        brush.Style = bsClear;
        TDrawStyle markStyle;
        markStyle.Pen = &pen;
        markStyle.Brush = &brush;
        markStyle.Mask = dsPenColor | dsBrushStyle;
        markStyle.PointStyle = pointStyle;
        canvas.ApplyStyle(markStyle);
        canvas.DrawDeviceMarkers(marked.data(), marked.size());
    }
}

} // namespace vorelt
