#include "viewmodel/waveform/TWaveformPlot.h"

#include "persist/TNumberFormat.h"
#include "viewmodel/axes/TAixsSteps.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

TPlotRange TPlotSeries::XRange() const {
    if (Y.empty()) return {0, 1};
    return {X0, X(Y.size() - 1)};
}

TPlotRange TPlotSeries::YRange(const TPlotRange& x) const {
    if (Y.empty()) return {0, 1};
    size_t first = 0, last = Y.size() - 1;
    if (Step > 0) {
        const double a = std::ceil((x.Lo - X0) / Step), b = std::floor((x.Hi - X0) / Step);
        if (a <= b && b >= 0 && a <= double(last)) {
            first = size_t(std::max(a, 0.0));
            last = size_t(std::min(b, double(last)));
        }
    }
    const auto [lo, hi] =
        std::minmax_element(Y.begin() + ptrdiff_t(first), Y.begin() + ptrdiff_t(last) + 1);
    return {double(*lo), double(*hi)};
}

void TPlotSeries::Columns(const TPlotRange& x, int columns, std::vector<TColumnExtent>& out) const {
    out.assign(size_t(std::max(columns, 0)), TColumnExtent{});
    if (columns <= 0 || Y.empty() || !(x.Span() > 0) || !(Step > 0)) return;
    const double perColumn = x.Span() / columns;
    // Only the samples inside the visible range are visited: each falls in one column.
    const double a = std::max(0.0, std::floor((x.Lo - X0) / Step));
    const double b = std::min(double(Y.size() - 1), std::ceil((x.Hi - X0) / Step));
    if (a > b) return;
    for (size_t i = size_t(a); i <= size_t(b); ++i) {
        const double c = std::floor((X(i) - x.Lo) / perColumn);
        if (c < 0 || c >= columns) continue;
        TColumnExtent& e = out[size_t(c)];
        const float v = Y[i];
        if (e.Empty) {
            e = {v, v, false};
        } else {
            e.Min = std::min(e.Min, v);
            e.Max = std::max(e.Max, v);
        }
    }
}

void TPlotView::SetData(const TPlotRange& x, const TPlotRange& y) {
    FDataX = FX = x;
    FDataY = FY = y;
}

void TPlotView::Clamp() {
    const double span = std::min(FX.Span(), FDataX.Span());
    if (FX.Lo < FDataX.Lo) FX = {FDataX.Lo, FDataX.Lo + span};
    if (FX.Hi > FDataX.Hi) FX = {FDataX.Hi - span, FDataX.Hi};
}

void TPlotView::ZoomAround(double factor, double anchor) {
    if (!(factor > 0) || !std::isfinite(factor) || !std::isfinite(anchor)) return;
    const double smallest = FDataX.Span() * 1e-9;
    double span = std::clamp(FX.Span() * factor, smallest, FDataX.Span());
    const double share = FX.Span() > 0 ? (anchor - FX.Lo) / FX.Span() : 0.5;
    FX.Lo = anchor - share * span;
    FX.Hi = FX.Lo + span;
    Clamp();
}

void TPlotView::ZoomTo(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b)) return;
    if (a > b) std::swap(a, b);
    a = std::max(a, FDataX.Lo);
    b = std::min(b, FDataX.Hi);
    if (!(b - a > FDataX.Span() * 1e-9)) return;
    FX = {a, b};
}

void TPlotView::Pan(double dx) {
    if (!std::isfinite(dx)) return;
    FX.Lo += dx;
    FX.Hi += dx;
    Clamp();
}

void TPlotView::Reset() {
    FX = FDataX;
    FY = FDataY;
}

std::vector<double> PlotTicks(const TPlotRange& range, int maxTicks) {
    std::vector<double> ticks;
    if (!(range.Span() > 0) || maxTicks < 1) return ticks;
    const TAixsTickStep step =
        RoundStepAtLeast(static_cast<long double>(range.Span()) / maxTicks, TAixsCounting{});
    const double s = double(step.Step);
    if (!(s > 0)) return ticks;
    for (double k = std::ceil(range.Lo / s); k * s <= range.Hi + s * 1e-9; k += 1)
        ticks.push_back(std::fabs(k) < 0.5 ? 0.0 : k * s);
    return ticks;
}

std::string PlotTickText(double value, double step) {
    int decimals = 0;
    while (decimals < 9 && std::fabs(step * std::pow(10.0, decimals) -
                                     std::round(step * std::pow(10.0, decimals))) > 1e-6)
        ++decimals;
    const std::string format = "%." + std::to_string(decimals) + "f";
    return FormatFloat(format, value);
}

void TWaveformPlot::Clear() {
    *this = TWaveformPlot{};
}

void TWaveformPlot::SetWaveform(const TWaveformInfo& info, std::span<const float> volts,
                                std::span<const double> magnitudes) {
    FInfo = info;
    const double rate = info.SampleRate > 0 ? info.SampleRate : 1.0;
    FSignal.Step = 1e6 / rate;
    FSignal.X0 = -double(info.TriggerSample) * FSignal.Step;
    FSignal.Y.resize(volts.size());
    for (size_t i = 0; i < volts.size(); ++i)
        FSignal.Y[i] = volts[i] * 1e3f;
    // Bins 1 .. N/2 at k * rate / N; |X_k| * 2 / N is the amplitude of that frequency.
    const double n = double(volts.size());
    FSpectrum.Step = n > 0 ? rate / n * 1e-3 : 1.0;
    FSpectrum.X0 = FSpectrum.Step;
    FSpectrum.Y.resize(magnitudes.size());
    for (size_t i = 0; i < magnitudes.size(); ++i)
        FSpectrum.Y[i] = n > 0 ? float(magnitudes[i] * 2 / n * 1e3) : 0.0f;
    FSignalView.SetData(FSignal.XRange(), {0, 1});
    FSpectrumView.SetData(FSpectrum.XRange(), {0, 1});
    FitY();
    FSignalView.SetData(FSignalView.X(), FSignalView.Y());
    FSpectrumView.SetData(FSpectrumView.X(), FSpectrumView.Y());
}

void TWaveformPlot::FitY() {
    TPlotRange s = FSignal.YRange(FSignalView.X());
    const double threshold = ThresholdMillivolts();
    if (threshold > 0) {
        s.Lo = std::min(s.Lo, -threshold);
        s.Hi = std::max(s.Hi, threshold);
    }
    const double bound = std::max({std::fabs(s.Lo), std::fabs(s.Hi), 1e-6});
    // Symmetric about zero, as a signal swings both ways, with a margin.
    FSignalView.SetY({-bound * 1.05, bound * 1.05});
    const TPlotRange f = FSpectrum.YRange(FSpectrumView.X());
    FSpectrumView.SetY({0, std::max(f.Hi, 1e-9) * 1.05});
}

std::string TWaveformPlot::Csv() const {
    std::string text = "\xEF\xBB\xBF"; // byte-order mark: spreadsheets then read UTF-8
    text += "Time;Signal;Frequency;Magnitude\r\n\xC2\xB5s;mV;kHz;mV\r\n";
    const size_t rows = std::max(FSignal.Size(), FSpectrum.Size());
    char number[NumberTextCapacity];
    // Samples carry single precision: eight digits say all they hold.
    auto cell = [&](double v, int digits) {
        text.append(number, WriteFloatText(number, v, digits));
    };
    for (size_t i = 0; i < rows; ++i) {
        if (i < FSignal.Size()) {
            cell(FSignal.X(i), 12);
            text += ';';
            cell(FSignal.Y[i], 8);
        } else {
            text += ';';
        }
        text += ';';
        if (i < FSpectrum.Size()) {
            cell(FSpectrum.X(i), 12);
            text += ';';
            cell(FSpectrum.Y[i], 8);
        } else {
            text += ';';
        }
        text += "\r\n";
    }
    return text;
}

} // namespace vorelt
