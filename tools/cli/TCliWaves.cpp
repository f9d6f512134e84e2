#include "cli/TCliWaves.h"

#include "drivers/waveform/TDispWaveforms.h"
#include "drivers/waveform/TVallenTransients.h"
#include "drivers/waveform/TWaveformSources.h"
#include "persist/TErrors.h"
#include "processing/waveform/TFrequencyMagnitudes.h"
#include "processing/waveform/TWaveformFeatureRun.h"
#include "processing/waveform/TWaveformFeatures.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace vorelt::cli {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char Usage[] = "usage: vorelt-cli waves FILE [--index N] [--features]\n"
                     "  FILE: a .tradb, a .pridb with a .tradb beside it, or a .DTA\n";

// Shortest text that reads back to the same double, with "." as the decimal point.
std::string Num(double v) {
    // Whole numbers (sample rates, times on the tick) without an exponent.
    if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<int64_t>(v));
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}
std::string Num(int64_t v) {
    return std::to_string(v);
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// The columns of each kind of file, in the order and under the names of the independent
// readers' files, then the features those files leave out.
const char* const VallenColumns[] = {"TRAI",
                                     "Chan",
                                     "Time",
                                     "SampleRate",
                                     "Samples",
                                     "Pretrigger",
                                     "Threshold",
                                     "SumSquares",
                                     "MaxAbs",
                                     "Sample0",
                                     "Sample1",
                                     "SampleMid",
                                     "SampleLast",
                                     "PeakAmplitude",
                                     "Energy",
                                     "SignalStrength",
                                     "Counts",
                                     "RMS",
                                     "RiseTime",
                                     "HinkleyIndex",
                                     "AicIndex",
                                     "EnergyRatioIndex",
                                     "ModifiedEnergyRatioIndex",
                                     "PeakFrequency",
                                     "CentroidFrequency",
                                     "WeightedPeakFrequency"};
const char* const DispColumns[] = {"Index",
                                   "Time",
                                   "Chan",
                                   "SampleRate",
                                   "Delay",
                                   "Samples",
                                   "SumSquares",
                                   "MaxAbs",
                                   "Sample0",
                                   "SampleMid",
                                   "SampleLast",
                                   "PeakFrequency",
                                   "CentroidFrequency",
                                   "Sample1",
                                   "PeakAmplitude",
                                   "Energy",
                                   "SignalStrength",
                                   "Counts",
                                   "RMS",
                                   "RiseTime",
                                   "HinkleyIndex",
                                   "AicIndex",
                                   "EnergyRatioIndex",
                                   "ModifiedEnergyRatioIndex",
                                   "WeightedPeakFrequency"};

template <size_t N> std::string Joined(const char* const (&names)[N]) {
    std::string r;
    for (const char* n : names)
        r += (r.empty() ? "" : ";") + std::string(n);
    return r + '\n';
}

// The value of one column; a sample the record does not have is empty.
std::string Column(std::string_view name, const TWaveformInfo& w, std::span<const float> y,
                   const TWaveformFeatures& f) {
    auto sample = [&](size_t k) { return k < y.size() ? Num(double(y[k])) : std::string(); };
    if (name == "TRAI" || name == "Index") return Num(w.Index);
    if (name == "Chan") return Num(int64_t(w.Channel));
    if (name == "Time") return Num(w.Time);
    if (name == "SampleRate") return Num(w.SampleRate);
    if (name == "Samples") return Num(w.Samples);
    if (name == "Pretrigger" || name == "Delay") return Num(w.Pretrigger);
    if (name == "Threshold") return Num(w.Threshold);
    if (name == "SumSquares") return Num(f.SumSquares);
    if (name == "MaxAbs") return Num(f.MaxAbs);
    if (name == "Sample0") return sample(0);
    if (name == "Sample1") return sample(1);
    if (name == "SampleMid") return sample(y.size() / 2);
    if (name == "SampleLast") return y.empty() ? std::string() : sample(y.size() - 1);
    if (name == "PeakAmplitude") return Num(f.PeakAmplitude);
    if (name == "Energy") return Num(f.Energy);
    if (name == "SignalStrength") return Num(f.SignalStrength);
    if (name == "Counts") return Num(f.Counts);
    if (name == "RMS") return Num(f.RMS);
    if (name == "RiseTime") return Num(f.RiseTime);
    if (name == "HinkleyIndex") return Num(f.HinkleyIndex);
    if (name == "AicIndex") return Num(f.AicIndex);
    if (name == "EnergyRatioIndex") return Num(f.EnergyRatioIndex);
    if (name == "ModifiedEnergyRatioIndex") return Num(f.ModifiedEnergyRatioIndex);
    if (name == "PeakFrequency") return Num(f.PeakFrequency);
    if (name == "CentroidFrequency") return Num(f.CentroidFrequency);
    return Num(f.WeightedPeakFrequency);
}

std::string FeatureRow(bool vallen, const TWaveformInfo& w, std::span<const float> y,
                       const TWaveformFeatures& f) {
    std::string r;
    auto add = [&](const char* name) {
        if (!r.empty()) r += ';';
        r += Column(name, w, y, f);
    };
    if (vallen)
        for (const char* n : VallenColumns)
            add(n);
    else
        for (const char* n : DispColumns)
            add(n);
    return r + '\n';
}

} // namespace

int RunWavesCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    auto usage = [&](const std::string& why) {
        err << "error: " << why << "\n" << Usage;
        return ExitUsage;
    };
    std::string file;
    bool features = false;
    std::optional<int64_t> index;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--features") {
            features = true;
        } else if (a == "--index") {
            if (i + 1 >= args.size()) return usage("missing value of --index");
            const std::string& v = args[++i];
            int64_t n = 0;
            auto r = std::from_chars(v.data(), v.data() + v.size(), n);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size())
                return usage("--index needs a whole number, not \"" + v + "\"");
            index = n;
        } else if (a.rfind("--", 0) == 0) {
            return usage("unknown option " + a);
        } else if (file.empty()) {
            file = a;
        } else {
            return usage("waves takes one file");
        }
    }
    if (file.empty()) return usage("waves takes one file");

    const std::string ext = Lower(std::filesystem::path(file).extension().string());
    std::string transients = file;
    if (ext == ".pridb") {
        transients = TVallenTransients::BesideHitDatabase(file);
        if (transients.empty()) {
            err << "error: " << file << ": no transient database (.tradb) beside it\n";
            return ExitFailed;
        }
    }
    const bool vallen = ext != ".dta";
    auto open = [vallen, transients]() -> std::unique_ptr<IWaveformSource> {
        if (vallen) return std::make_unique<TVallenWaveformSource>(transients);
        return std::make_unique<TDispWaveformSource>(transients);
    };
    std::unique_ptr<IWaveformSource> opened;
    try {
        opened = open();
    } catch (const EAEError& e) {
        err << "error: " << e.what() << "\n";
        return ExitFailed;
    }
    IWaveformSource& source = *opened;
    if (auto* disp = dynamic_cast<TDispWaveformSource*>(opened.get()))
        for (const std::string& m : disp->Messages().Refused())
            err << "warning: " << m << "\n";

    std::vector<float> y;
    std::string message;
    if (!features) {
        if (!index) {
            // The list of waveforms, without their samples.
            out << (vallen ? "TRAI" : "Index")
                << ";Chan;Time;SampleRate;Samples;Pretrigger;Threshold\n";
            for (size_t i = 0; i < source.Count(); ++i) {
                const TWaveformInfo& w = source.Info(i);
                out << Num(w.Index) << ';' << w.Channel << ';' << Num(w.Time) << ';'
                    << Num(w.SampleRate) << ';' << Num(w.Samples) << ';' << Num(w.Pretrigger) << ';'
                    << Num(w.Threshold) << '\n';
            }
            return out ? ExitOk : ExitFailed;
        }
        const long long at = source.Find(*index);
        if (at < 0) {
            err << "error: " << file << ": no waveform " << *index << "\n";
            return ExitFailed;
        }
        if (!source.Read(size_t(at), y, message)) {
            err << "error: " << message << "\n";
            return ExitFailed;
        }
        const TWaveformInfo& w = source.Info(size_t(at));
        out << "Time;Volts\n";
        std::string text;
        for (size_t k = 0; k < y.size(); ++k) {
            text += Num(w.SampleTime(int64_t(k)));
            text += ';';
            text += Num(double(y[k]));
            text += '\n';
            if (text.size() > 65536) {
                out << text;
                text.clear();
            }
        }
        out << text;
        return out ? ExitOk : ExitFailed;
    }

    out << (vallen ? Joined(VallenColumns) : Joined(DispColumns));
    int result = ExitOk;
    size_t first = 0, end = source.Count();
    if (index) {
        const long long at = source.Find(*index);
        if (at < 0) {
            err << "error: " << file << ": no waveform " << *index << "\n";
            return ExitFailed;
        }
        first = size_t(at);
        end = first + 1;
    }
    RunWaveformFeatures(
        source,
        [&]() -> std::unique_ptr<IWaveformSource> {
            try {
                return open();
            } catch (const EAEError&) {
                return nullptr;
            }
        },
        first, end,
        [vallen](size_t, const TWaveformInfo& w, std::span<const float> volts,
                 const TWaveformFeatures& f,
                 std::string& text) { text += FeatureRow(vallen, w, volts, f); },
        [&](const TFeatureBlock& block) {
            // A damaged waveform is named and left out; the others are still written.
            out << block.Rows;
            err << block.Errors;
            if (block.Failed) result = ExitFailed;
        });
    return out ? result : ExitFailed;
}

} // namespace vorelt::cli
