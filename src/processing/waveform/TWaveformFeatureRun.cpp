#include "processing/waveform/TWaveformFeatureRun.h"

#include "processing/graph/TBlocksInOrder.h"
#include "processing/waveform/TFrequencyMagnitudes.h"

#include <thread>
#include <vector>

namespace vorelt {

namespace {

// Waveforms per block: enough that handing a block over costs nothing against computing it.
constexpr size_t BlockSize = 64;

// What one thread needs of its own.
struct TWorker {
    IWaveformSource* Source = nullptr;
    std::vector<float> Volts;
    TFrequencyMagnitudes Spectrum;
    TWaveformFeatures Features;
    std::string Message;
};

void Compute(TWorker& w, size_t from, size_t to, const TFeatureText& text, TFeatureBlock& out) {
    out.Rows.clear();
    out.Errors.clear();
    out.Failed = 0;
    for (size_t i = from; i < to; ++i) {
        if (!w.Source->Read(i, w.Volts, w.Message)) {
            out.Errors += "error: " + w.Message + "\n";
            ++out.Failed;
            continue;
        }
        const TWaveformInfo& info = w.Source->Info(i);
        w.Features = TWaveformFeatures{};
        ComputeWaveformFeatures(w.Volts, info.SampleRate, info.Threshold, w.Spectrum, w.Features);
        text(i, info, w.Volts, w.Features, out.Rows);
    }
}

} // namespace

void RunWaveformFeatures(IWaveformSource& source, const TOpenWaveforms& openAnother, size_t from,
                         size_t to, const TFeatureText& text,
                         const std::function<void(const TFeatureBlock&)>& hand) {
    if (to <= from) return;
    TWorker caller;
    caller.Source = &source;
    std::unique_ptr<IWaveformSource> second;
    // A second reader only pays off beyond a few blocks: opening it lists the file again.
    if (to - from >= 4 * BlockSize && openAnother && std::thread::hardware_concurrency() > 1) {
        try {
            second = openAnother();
        } catch (const std::exception&) {
            second.reset();
        }
    }
    if (!second) {
        TFeatureBlock block;
        for (size_t b = from; b < to; b += BlockSize) {
            Compute(caller, b, std::min(to, b + BlockSize), text, block);
            hand(block);
        }
        return;
    }
    TWorker helper;
    helper.Source = second.get();
    const std::thread::id callerId = std::this_thread::get_id();
    RunBlocksInOrder<TFeatureBlock>(
        to - from, BlockSize, [](TFeatureBlock& b) { b.Rows.reserve(64 * 1024); },
        [&](size_t a, size_t z, TFeatureBlock& out) {
            TWorker& w = std::this_thread::get_id() == callerId ? caller : helper;
            Compute(w, from + a, from + z, text, out);
        },
        hand);
}

} // namespace vorelt
