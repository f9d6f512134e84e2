#include "TLocatedData.h"

#include "TDataManifest.h"
#include "TDataWriter.h"
#include "TGenerateDataFile.h"
#include "TOutputFile.h"
#include "TSyntheticEvent.h"

#include "persist/TNumberFormat.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <random>

namespace vorelt {

namespace {

// Events lie this far apart, far beyond any crossing time of the layouts.
constexpr int64_t EventSpacingUs = 20000;

std::string Number(double x) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

bool WriteText(const std::string& fileName, const std::string& text, std::string& error) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        error = fileName + ": the file could not be written";
        return false;
    }
    return true;
}

} // namespace

std::vector<TLocatedSensor> LocatedLayout(const std::string& layout) {
    if (layout == "plate")
        return {{1, 100, 100}, {2, 900, 100}, {3, 900, 900},
                {4, 100, 900}, {5, 500, 50},  {6, 500, 950}};
    if (layout == "pipe") return {{1, 0, 0}, {2, 3000, 0}, {3, 6000, 0}, {4, 9000, 0}};
    return {};
}

bool GenerateLocatedFile(const TLocatedOptions& options, std::vector<TLocatedSource>& sources,
                         std::string& error) {
    sources.clear();
    const std::vector<TLocatedSensor> sensors = LocatedLayout(options.Layout);
    if (sensors.empty()) {
        error = "unknown layout '" + options.Layout + "' (plate or pipe)";
        return false;
    }
    if (!(options.Velocity > 0) || !std::isfinite(options.Velocity)) {
        error = "the velocity must be a positive number of m/s";
        return false;
    }
    if (!(options.NoiseUs >= 0) || !std::isfinite(options.NoiseUs)) {
        error = "the noise must be a number of µs, 0 or more";
        return false;
    }
    if (options.Events * sensors.size() > MaxGenerateHits) {
        error = "too many events";
        return false;
    }
    const bool plate = options.Layout == "plate";
    const double v = options.Velocity / 1000; // mm/µs
    std::mt19937_64 rng(options.Seed);
    std::uniform_real_distribution<double> across(plate ? 150 : 0, plate ? 850 : 9000);
    std::normal_distribution<double> noise(0, options.NoiseUs > 0 ? options.NoiseUs : 1);

    std::unique_ptr<TDataWriter> writer = CreateDataWriter("vallen");
    TDataManifest manifest;
    TOutputFile out;
    try {
        TWriterSettings settings;
        settings.Hits = options.Events * sensors.size();
        settings.Channels = static_cast<int>(sensors.size());
        settings.Seed = options.Seed;
        settings.StartTimeUnix = GeneratedStartTime(options.Seed);
        out.Open(options.FileName);
        writer->Begin(out, settings, manifest);
        TSyntheticEvent start;
        start.Kind = TSyntheticEventKind::Start;
        writer->WriteEvent(out, start, manifest);
        struct TArrival {
            int64_t Tenths;
            int Chan;
        };
        std::vector<TArrival> arrivals;
        for (uint64_t n = 0; n < options.Events; ++n) {
            TLocatedSource s;
            s.X = across(rng);
            s.Y = plate ? across(rng) : 0;
            const double t0 = 1000 + static_cast<double>(n) * EventSpacingUs;
            arrivals.clear();
            for (const TLocatedSensor& sensor : sensors) {
                double t = t0 + std::hypot(sensor.X - s.X, sensor.Y - s.Y) / v;
                if (options.NoiseUs > 0) t += noise(rng);
                arrivals.push_back({std::llround(t * 10), sensor.Chan});
            }
            std::sort(arrivals.begin(), arrivals.end(), [](const TArrival& a, const TArrival& b) {
                return a.Tenths < b.Tenths || (a.Tenths == b.Tenths && a.Chan < b.Chan);
            });
            s.TimeUs = static_cast<double>(arrivals.front().Tenths) / 10;
            for (const TArrival& a : arrivals) {
                TSyntheticEvent e;
                e.Kind = TSyntheticEventKind::Hit;
                e.Channel = static_cast<uint8_t>(a.Chan);
                e.TimeUs = a.Tenths / 10;
                e.TenthsUs = static_cast<uint8_t>(a.Tenths % 10);
                e.AmplitudeCode = 1000;
                e.Energy = 100;
                e.DurationUs = 500;
                e.RiseUs = 20;
                e.Counts = 40;
                e.CountsToPeak = 5;
                writer->WriteEvent(out, e, manifest);
            }
            sources.push_back(s);
        }
        TSyntheticEvent stop;
        stop.Kind = TSyntheticEventKind::Stop;
        stop.TimeUs = 1000 + static_cast<int64_t>(options.Events) * EventSpacingUs;
        writer->WriteEvent(out, stop, manifest);
        writer->End(out, manifest);
        out.Close();
    } catch (const std::exception& ex) {
        out.Discard();
        error = ex.what();
        return false;
    }
    if (!options.LayoutFileName.empty()) {
        std::string text = "Chan;X;Y;Z\n";
        for (const TLocatedSensor& s : sensors)
            text += IntToStr(s.Chan) + ";" + Number(s.X) + ";" + Number(s.Y) + ";0\n";
        if (!WriteText(options.LayoutFileName, text, error)) return false;
    }
    if (!options.TruthFileName.empty()) {
        std::string text = plate ? "Time;X;Y\n" : "Time;Position\n";
        for (const TLocatedSource& s : sources)
            text += Number(s.TimeUs / 1e6) + ";" + Number(s.X) +
                    (plate ? ";" + Number(s.Y) : std::string()) + "\n";
        if (!WriteText(options.TruthFileName, text, error)) return false;
    }
    return true;
}

std::string LocatedUsage() {
    return "Usage: vorelt-mkdata located OUT --layout plate|pipe --events N [--noise-us X]"
           " [--velocity V] [--seed S] [--sensors FILE] [--truth FILE]\n"
           "Writes a Vallen hit database whose events come from known sources.\n"
           "  --layout plate   six sensors on a 1000 mm square plate, sources inside\n"
           "  --layout pipe    four sensors 3000 mm apart on a straight pipe along X\n"
           "  --events N       number of events (one hit per sensor each)\n"
           "  --noise-us X     standard deviation of the arrival-time noise in µs (default 0)\n"
           "  --velocity V     wave velocity in m/s (default 5000)\n"
           "  --seed S         seed (default 1); same arguments, same bytes\n"
           "  --sensors FILE   write the sensors as Chan;X;Y;Z (mm)\n"
           "  --truth FILE     write the true sources as Time;X;Y or Time;Position (s, mm)\n";
}

bool ParseLocatedArguments(int argc, const char* const* argv, TLocatedOptions& options, bool& help,
                           std::string& error) {
    help = false;
    bool haveLayout = false, haveEvents = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            help = true;
            return true;
        }
        if (arg.rfind("--", 0) != 0) {
            if (!options.FileName.empty()) {
                error = "unexpected argument '" + arg + "'";
                return false;
            }
            options.FileName = arg;
            continue;
        }
        if (i + 1 >= argc) {
            error = "option " + arg + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        long double x = 0;
        int64_t n = 0;
        if (arg == "--layout") {
            options.Layout = value;
            haveLayout = true;
        } else if (arg == "--events") {
            if (!TryStrToInt64(value, n) || n < 0) {
                error = "invalid value '" + value + "' for --events";
                return false;
            }
            options.Events = static_cast<uint64_t>(n);
            haveEvents = true;
        } else if (arg == "--noise-us" || arg == "--velocity") {
            if (!TryStrToFloat(value, x)) {
                error = "invalid value '" + value + "' for " + arg;
                return false;
            }
            (arg == "--velocity" ? options.Velocity : options.NoiseUs) = static_cast<double>(x);
        } else if (arg == "--seed") {
            if (!TryStrToInt64(value, n) || n < 0) {
                error = "invalid value '" + value + "' for --seed";
                return false;
            }
            options.Seed = static_cast<uint64_t>(n);
        } else if (arg == "--sensors") {
            options.LayoutFileName = value;
        } else if (arg == "--truth") {
            options.TruthFileName = value;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.FileName.empty()) {
        error = "no output file name";
        return false;
    }
    if (!haveLayout || !haveEvents) {
        error = "located needs --layout and --events";
        return false;
    }
    return true;
}

} // namespace vorelt
