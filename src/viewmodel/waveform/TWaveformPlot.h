#pragma once
// What the waveform window draws, without a window: a hit's signal (mV against µs from the
// trigger, the pretrigger and the threshold marked) and its magnitude spectrum (against kHz),
// each with a visible range the user zooms and pans, round ticks, and the columns of the plot
// reduced to the smallest and largest value each pixel column shows, so a record of a million
// samples draws as fast as one of a thousand.

#include "drivers/waveform/TWaveformInfo.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorelt {

struct TPlotRange {
    double Lo = 0;
    double Hi = 1;
    double Span() const { return Hi - Lo; }
    bool operator==(const TPlotRange&) const = default;
};

// The smallest and largest value within one pixel column; Empty where no sample falls in it.
struct TColumnExtent {
    float Min = 0;
    float Max = 0;
    bool Empty = true;
};

// One series of a plot: x rises with the index, at a fixed step from X0.
struct TPlotSeries {
    double X0 = 0;
    double Step = 1;
    std::vector<float> Y;
    size_t Size() const { return Y.size(); }
    double X(size_t i) const { return X0 + Step * double(i); }
    TPlotRange XRange() const;
    // The y range of the samples whose x lies within `x` (the whole series' when none does).
    TPlotRange YRange(const TPlotRange& x) const;
    // Min and max per column for `columns` columns spanning `x`.
    void Columns(const TPlotRange& x, int columns, std::vector<TColumnExtent>& out) const;
};

// The view of one plot: data range, visible range, zoom and pan.
class TPlotView {
public:
    void SetData(const TPlotRange& x, const TPlotRange& y);
    const TPlotRange& X() const { return FX; }
    const TPlotRange& Y() const { return FY; }
    bool Zoomed() const { return FX != FDataX; }
    // Zooms x by `factor` (< 1 in, > 1 out) keeping `anchor` where it is; never beyond the data
    // nor below a 1e-9 part of it.
    void ZoomAround(double factor, double anchor);
    // Shows x from a to b (in any order); a span too small to see is ignored.
    void ZoomTo(double a, double b);
    // Moves x by dx, within the data.
    void Pan(double dx);
    void Reset();
    void SetY(const TPlotRange& y) { FY = y; }

private:
    void Clamp();
    TPlotRange FDataX, FDataY, FX, FY;
};

// Round tick values of a range for about `maxTicks` ticks.
std::vector<double> PlotTicks(const TPlotRange& range, int maxTicks);
// The text of a tick (decimal comma, as many decimals as the step needs).
std::string PlotTickText(double value, double step);

// The waveform and spectrum of one hit, ready to draw.
class TWaveformPlot {
public:
    // Samples in volts; the info gives the rate, the pretrigger and the threshold.
    void SetWaveform(const TWaveformInfo& info, std::span<const float> volts,
                     std::span<const double> magnitudes);
    void Clear();
    bool Empty() const { return FSignal.Y.empty(); }

    const TWaveformInfo& Info() const { return FInfo; }
    // Signal: x in µs from the trigger (the pretrigger is negative), y in mV.
    const TPlotSeries& Signal() const { return FSignal; }
    // Spectrum: x in kHz, y the magnitude in mV (DFT magnitude scaled by 2/N).
    const TPlotSeries& Spectrum() const { return FSpectrum; }
    double ThresholdMillivolts() const { return FInfo.Threshold * 1e3; }
    TPlotView& SignalView() { return FSignalView; }
    TPlotView& SpectrumView() { return FSpectrumView; }
    const TPlotView& SignalView() const { return FSignalView; }
    const TPlotView& SpectrumView() const { return FSpectrumView; }

    // The y range of the visible part, with a margin; the signal's always shows the threshold.
    void FitY();

    // The samples and the spectrum as CSV for spreadsheets: ";" between values, decimal comma,
    // captions then units, the spectrum's columns beside the signal's.
    std::string Csv() const;

private:
    TWaveformInfo FInfo;
    TPlotSeries FSignal, FSpectrum;
    TPlotView FSignalView, FSpectrumView;
};

} // namespace vorelt
