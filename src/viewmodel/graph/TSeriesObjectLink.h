#pragma once
// A series object of the container as the series fill it.

#include "processing/graph/ISeriesPoints.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/drawables/TGraphAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"

namespace vorelt {

class TSeriesObjectLink : public ISeriesPoints {
public:
    explicit TSeriesObjectLink(TGraphAEVObject* object) : FObject(object) {}
    TGraphAEVObject* Object() const { return FObject; }

    void ClearSeriesPoints() override { FObject->ClearValues(); }
    void ReserveSeriesPoints(size_t n) override {
        if (auto* p = dynamic_cast<TGraphPointAEVObject*>(FObject)) p->Reserve(n);
    }
    void AddSeriesPoint(int32_t tag, uint8_t flags, uint8_t channel, long double yNorm,
                        long double xNorm) override {
        FObject->AddValueEx(tag, flags, channel, yNorm, xNorm);
    }
    void AddSeriesPoints(const TSeriesPointBatch& b) override {
        if (auto* p = dynamic_cast<TGraphPointAEVObject*>(FObject))
            p->AddValues(b.Count, b.Tag, b.Flags, b.Channel, b.Y, b.X);
        else
            ISeriesPoints::AddSeriesPoints(b);
    }
    bool ChannelColorsEmpty() const override { return FObject->ChannelColors().Empty(); }
    bool ChannelColored(uint8_t channel) const override {
        return FObject->ChannelColors().IndexOfChannel(channel) >= 0;
    }
    void SetChannelColors(const int32_t* channels, size_t count) override {
        FObject->ChannelColors().Clear();
        for (size_t i = 0; i < count; ++i)
            if (channels[i] >= 1 && channels[i] <= 128)
                FObject->ChannelColors().SetChannelColour(channels[i], PaletteColor(channels[i]));
    }
    void SortSeriesPoints() override { FObject->SortIndex(); }
    void ApplyChannelColors() override { FObject->ApplyToPoints(); }
    int SeriesPointCount() const override { return FObject->Points().Count(); }
    void TransformSeriesPoint(int index, long double yOrigin, long double yScale,
                              long double xOrigin, long double xScale) override {
        FObject->TransformPoint(index, yOrigin, yScale, xOrigin, xScale);
    }
    void TransformSeriesPoints(long double yOrigin, long double yScale, long double xOrigin,
                               long double xScale) override {
        FObject->TransformPoints(yOrigin, yScale, xOrigin, xScale);
    }

private:
    TGraphAEVObject* FObject;
};

} // namespace vorelt
