#include "cli/TCliLocate.h"

#include "drivers/TDriverRegistry.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"
#include "processing/location/TLocChannelTypes.h"
#include "processing/location/TLocList.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TSensorLayout.h"
#include "processing/location/TSourceLocator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace vorelt::cli {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char LocateUsage[] = "usage: vorelt-cli locate FILE --sensors LAYOUT.csv --velocity V "
                           "[--method planar|linear] [--window US]\n"
                           "  LAYOUT.csv: Chan;X;Y[;Z] in mm; V in m/s; US: the event window in "
                           "µs (default: the time the wave needs across the widest pair of "
                           "sensors)\n";

struct THit {
    int32_t Pos;
    int32_t Chan;
    double TimeUs;
};

// The file's records as the event building reads them; the hits are kept for the locators.
class TDriverInput : public ILocInput {
public:
    TDriverInput(TAEDriverDb& driver, std::vector<THit>& hits) : FDriver(driver), FHits(hits) {
        TAEListFields layout;
        driver.GetFields(&layout);
        FRecord.BuildForLayout(layout);
        FTime = FRecord.FindByID(fidTime);
        FChan = FRecord.FindByID(fidChan);
        FAmp = FRecord.FindByID(fidAmpl);
    }

    bool Next(TLocInputRecord& r, bool, std::string& error) override {
        FIndex = FStarted ? FDriver.NextRecord(FNav, FIndex) : FDriver.FirstRecord(FNav);
        FStarted = true;
        if (Failed(error) || (FNav.Out.Status & nsEndForward) != 0) return false;
        r.ParentPos = FIndex;
        r.Kind = FNav.Out.Kind;
        r.EventFlags = 0;
        if (r.Kind != rkHit) return true;
        FDriver.ReadRecord(FNav, FRecord, FIndex);
        if (Failed(error)) return false;
        r.Time = FTime && !FTime->IsNull() ? FTime->GetAsFloat() : 0;
        r.Chan = FChan && !FChan->IsNull() ? FChan->GetAsInt64() : 0;
        r.Amp = FAmp && !FAmp->IsNull() ? FAmp->GetAsInt64() : 0;
        FHits.push_back({FIndex, static_cast<int32_t>(std::clamp<int64_t>(r.Chan, -1, 1 << 30)),
                         static_cast<double>(r.Time)});
        return true;
    }

private:
    bool Failed(std::string& error) const {
        if ((FNav.Out.Status & nsError) == 0) return false;
        error =
            FNav.Out.Message.empty() ? std::string("the file could not be read") : FNav.Out.Message;
        return true;
    }

    TAEDriverDb& FDriver;
    std::vector<THit>& FHits;
    TAERecord FRecord;
    TAEPNav FNav;
    TAEField* FTime = nullptr;
    TAEField* FChan = nullptr;
    TAEField* FAmp = nullptr;
    int32_t FIndex = -1;
    bool FStarted = false;
};

void Fixed(std::string& line, double x, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    line.append(buf, r.ptr);
}

} // namespace

int RunLocateCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    auto usage = [&](const std::string& why) {
        err << "error: " << why << "\n" << LocateUsage;
        return ExitUsage;
    };
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
            if (args[i] != "--sensors" && args[i] != "--velocity" && args[i] != "--method" &&
                args[i] != "--window")
                return usage("unknown option " + args[i]);
            if (i + 1 >= args.size()) return usage("missing value of " + args[i]);
            options[args[i]] = args[i + 1];
            ++i;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1) return usage("locate takes one file");
    if (!options.count("--sensors")) return usage("locate needs --sensors");
    if (!options.count("--velocity")) return usage("locate needs --velocity");
    TSensorLayout layout;
    long double velocity = 0;
    std::string error;
    if (!TryStrToFloat(options["--velocity"], velocity) ||
        !layout.SetVelocity(static_cast<double>(velocity), error))
        return usage("the velocity \"" + options["--velocity"] + "\" is not a positive number");
    if (auto it = options.find("--method"); it != options.end()) {
        if (it->second == "planar")
            layout.SetMethod(TLocMethod::Planar);
        else if (it->second == "linear")
            layout.SetMethod(TLocMethod::Linear);
        else
            return usage("the method \"" + it->second + "\" is neither planar nor linear");
    }
    int32_t window = -1;
    if (auto it = options.find("--window"); it != options.end())
        if (!TryStrToInt(it->second, window) || window < 0)
            return usage("the window \"" + it->second + "\" is not a whole number of µs");

    const std::string& fileName = positional[0];
    std::unique_ptr<TAEDriverDb> driver;
    std::string message;
    if (!OpenDataFile(fileName, nullptr, driver, message)) {
        err << "error: " << fileName << ": " << message << "\n";
        return ExitFailed;
    }
    // A sensor on a channel the file does not have is a typing error in the layout.
    int32_t maxChannel = 0;
    for (uint8_t c : driver->Channels())
        maxChannel = std::max<int32_t>(maxChannel, c);
    if (maxChannel == 0) maxChannel = TSensorLayout::MaxChannel;
    if (!layout.ReadCsv(options["--sensors"], error, maxChannel)) {
        err << "error: " << error << "\n";
        return ExitFailed;
    }
    if (window < 0) window = static_cast<int32_t>(std::ceil(layout.CrossingTimeUs()));

    TLocOutMPT algorithm;
    algorithm.SetLockOut(window);
    algorithm.SetMPT(window);
    std::vector<THit> hits;
    TDriverInput input(*driver, hits);
    TLocChannelTypes types;
    TLocList list;
    if (!algorithm.Build(input, types, "locate", list, error)) {
        err << "error: " << fileName << ": " << error << "\n";
        return ExitFailed;
    }

    const bool linear = layout.Method() == TLocMethod::Linear;
    std::string text = linear ? "Time;Hits;Pipe;Position;Uncertainty;Sensors\n"
                              : "Time;Hits;X;Y;Uncertainty;Sensors\n";
    std::vector<TArrival> event;
    double eventTime = 0;
    auto hitAt = [&](int32_t pos) {
        auto it = std::lower_bound(hits.begin(), hits.end(), pos,
                                   [](const THit& h, int32_t p) { return h.Pos < p; });
        return it != hits.end() && it->Pos == pos ? &*it : nullptr;
    };
    auto flush = [&] {
        if (event.empty()) return;
        const TSourceResult r = LocateEvent(layout, event);
        Fixed(text, eventTime / 1e6, 7);
        text += ";" + IntToStr(static_cast<int64_t>(event.size())) + ";";
        if (linear) {
            text += std::string(r.Pipe) + ";";
            if (r.Located) Fixed(text, r.Position, 3);
        } else {
            if (r.Located) Fixed(text, r.X, 3);
            text += ";";
            if (r.Located) Fixed(text, r.Y, 3);
        }
        text += ";";
        if (r.Located) Fixed(text, r.Uncertainty, 3);
        text += ";" + IntToStr(r.SensorsUsed) + "\n";
        event.clear();
        if (text.size() > (1 << 16)) {
            out << text;
            text.clear();
        }
    };
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TLocEntry& e = list.Entry(i);
        if (e.Type != lhFirst && e.Type != lhMember && e.Type != lhBeyond) continue;
        const THit* h = hitAt(e.ParentPos);
        if (!h) continue;
        if (e.Type == lhFirst) {
            flush();
            eventTime = h->TimeUs;
        }
        event.push_back({h->Chan, h->TimeUs});
    }
    flush();
    out << text;
    out.flush();
    if (!out) {
        err << "error: the output could not be written\n";
        return ExitFailed;
    }
    return ExitOk;
}

} // namespace vorelt::cli
