#pragma once
// The drawn points of a series as the core fills them: the visual layer's series objects
// implement it.

#include <cstddef>
#include <cstdint>

namespace vorelt {

// Points handed over together: a point plot of millions of records passes them in blocks,
// not one call each.
struct TSeriesPointBatch {
    static constexpr size_t Capacity = 512;
    size_t Count = 0;
    int32_t Tag[Capacity];
    uint8_t Flags[Capacity];
    uint8_t Channel[Capacity];
    long double Y[Capacity];
    long double X[Capacity];
};

class ISeriesPoints {
public:
    virtual ~ISeriesPoints() = default;
    virtual void ClearSeriesPoints() = 0;
    virtual void ReserveSeriesPoints(size_t n) { (void)n; }
    // Normalised coordinates: 0 .. 1 over the current ranges.
    virtual void AddSeriesPoint(int32_t tag, uint8_t flags, uint8_t channel, long double yNorm,
                                long double xNorm) = 0;
    // The same as AddSeriesPoint for each point of the batch, in order.
    virtual void AddSeriesPoints(const TSeriesPointBatch& b) {
        for (size_t i = 0; i < b.Count; ++i)
            AddSeriesPoint(b.Tag[i], b.Flags[i], b.Channel[i], b.Y[i], b.X[i]);
    }
    // No channel colours: one curve over all channels.
    virtual bool ChannelColorsEmpty() const = 0;
    virtual bool ChannelColored(uint8_t channel) const = 0;
    // Rebuilds the channel colours from the channels (palette entry channel - 1 each).
    virtual void SetChannelColors(const int32_t* channels, size_t count) = 0;
    virtual void SortSeriesPoints() = 0;
    virtual void ApplyChannelColors() = 0;
    virtual int SeriesPointCount() const = 0;
    virtual void TransformSeriesPoint(int index, long double yOrigin, long double yScale,
                                      long double xOrigin, long double xScale) = 0;
    // Every point at once.
    virtual void TransformSeriesPoints(long double yOrigin, long double yScale, long double xOrigin,
                                       long double xScale) {
        for (int i = 0, n = SeriesPointCount(); i < n; ++i)
            TransformSeriesPoint(i, yOrigin, yScale, xOrigin, xScale);
    }
};

} // namespace vorelt
