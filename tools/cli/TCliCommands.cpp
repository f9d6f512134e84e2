#include "cli/TCliCommands.h"

#include "cli/TCliLocate.h"
#include "cli/TCliProject.h"
#include "cli/TCliWaves.h"
#include "cli/TRecordBatches.h"
#include "cli/TRecordTextBlocks.h"
#include "cli/TRecordTextWriter.h"

#include "drivers/TDriverRecordSource.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/TFileWarnings.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/waveform/TWaveformFieldValues.h"

#include <array>
#include <atomic>
#include <map>
#include <ostream>

namespace vorelt::cli {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char Usage[] = "usage: vorelt-cli info FILE\n"
                     "       vorelt-cli dump FILE [--kinds LIST] [--fields ID,...]\n"
                     "       vorelt-cli waves FILE [--index N] [--features]\n"
                     "       vorelt-cli locate FILE --sensors LAYOUT.csv --velocity V "
                     "[--method planar|linear] [--window US]\n"
                     "       vorelt-cli sort IN OUT\n"
                     "       vorelt-cli copy IN OUT --kinds LIST\n"
                     "       vorelt-cli new-project OUT.xml --data FILE\n"
                     "       vorelt-cli project PROJECT.xml [--save OUT.xml] [--dump NAME]\n"
                     "       vorelt-cli --help | --version\n";

const char WriteFailed[] = "the output could not be written";

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        parts.push_back(Trim(s.substr(start, at - start)));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

// Progress of long work on one line of stderr, only for work worth watching.
class TProgress {
public:
    TProgress(std::ostream& err, std::string what) : FErr(err), FWhat(std::move(what)) {}
    ~TProgress() {
        if (FShown) FErr << "\r" + FWhat + ": 100%\n" << std::flush;
    }
    void operator()(uint64_t done, uint64_t total) {
        if (total < 1000000 || done > total) return;
        int percent = static_cast<int>(done * 100 / total);
        if (percent == FLast) return;
        FLast = percent;
        FShown = true;
        // One write a step: stderr is unbuffered.
        FErr << "\r" + FWhat + ": " + std::to_string(percent) + "%" << std::flush;
    }

private:
    std::ostream& FErr;
    std::string FWhat;
    int FLast = -1;
    bool FShown = false;
};

bool Open(const std::string& fileName, std::unique_ptr<TAEDriverDb>& driver, std::ostream& err) {
    std::string message;
    TProgress progress(err, "loading");
    if (!OpenDataFile(fileName, nullptr, driver, message, {},
                      [&](uint64_t d, uint64_t t) { progress(d, t); })) {
        err << "error: " << fileName << ": " << message << "\n";
        return false;
    }
    return true;
}

// Seconds of a record: "TimeS", else "Time" in µs; false when the record carries no time.
bool RecordSeconds(const TAERecord& record, long double& seconds) {
    if (const TAEField* f = record.FindByID(fidTimeS); f && !f->IsNull()) {
        seconds = f->GetAsFloat();
        return true;
    }
    if (const TAEField* f = record.FindByID(fidTime); f && !f->IsNull()) {
        seconds = f->GetAsFloat() / 1000000.0L;
        return true;
    }
    return false;
}

// The time of the first (forward) or last (backward) record that carries one.
bool EdgeTime(TAEDriverDb& d, TAERecord& record, bool forward, long double& seconds) {
    TAEPNav nav;
    int32_t p = forward ? d.FirstRecord(nav) : d.LastRecord(nav);
    while (p >= 0) {
        d.ReadRecord(nav, record, p);
        if (nav.Out.Status & nsError) return false;
        if (RecordSeconds(record, seconds)) return true;
        // At the file's edge the cursor returns the same position with the end bit.
        int32_t q = forward ? d.NextRecord(nav, p) : d.PriorRecord(nav, p);
        if (q == p) return false;
        p = q;
    }
    return false;
}

int Info(const std::string& fileName, std::ostream& out, std::ostream& err) {
    std::unique_ptr<TAEDriverDb> d;
    if (!Open(fileName, d, err)) return ExitFailed;
    out << "driver: " << d->ClassName() << "\n";
    out << "state: " << DriverStateText(d->State()) << "\n";
    out << "records: " << d->Count() << "\n";
    // The index keeps its counts: a pass over it would cost a third of reading the file.
    const std::array<int64_t, 256> kinds = d->RecordKindCounts();
    for (size_t k = 0; k < kinds.size(); ++k)
        if (kinds[k] > 0) out << "kind " << k << ": " << kinds[k] << "\n";
    out << "channels: ";
    for (size_t i = 0; i < d->Channels().size(); ++i)
        out << (i ? "," : "") << static_cast<int>(d->Channels()[i]);
    out << "\n";
    TAEListFields layout;
    d->GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    long double first = 0, last = 0;
    bool hasFirst = EdgeTime(*d, record, true, first);
    bool hasLast = EdgeTime(*d, record, false, last);
    out << "first time: " << (hasFirst ? FloatToStr(first) : std::string()) << "\n";
    out << "last time: " << (hasLast ? FloatToStr(last) : std::string()) << "\n";
    for (const std::string& warning : FileWarnings(*d))
        out << "warning: " << warning << "\n";
    return ExitOk;
}

// The rest of Dump for a driver that converts records on several threads at once: the load
// ends first, then the lines are written by two threads and go out block by block.
int DumpInBlocks(const std::string& fileName, TAEDriverDb& d, const TAEListFields& layout,
                 uint16_t kinds, const std::vector<size_t>& positions, TRecordTextWriter& text,
                 std::ostream& out, std::ostream& err) {
    if (d.LoadPending()) {
        TProgress loading(err, "loading");
        d.SetOnProgress([&loading](uint64_t done, uint64_t total) { loading(done, total); });
        std::string message;
        while (d.LoadPending())
            if (!d.LoadMore(message)) {
                err << "error: " << fileName << ": " << message << "\n";
                return ExitFailed;
            }
        d.Initialize(message);
    }
    d.SetOnProgress({});
    if (!text.Flush()) {
        err << "error: " << fileName << ": " << WriteFailed << "\n";
        return ExitFailed;
    }
    TProgress progress(err, "dumping");
    const auto total = static_cast<uint64_t>(d.Count());
    TRecordTextBlocks blocks(d, layout, kinds, positions, 2);
    while (const TTextBlock* block = blocks.Next()) {
        out.write(block->Text.data(), static_cast<std::streamsize>(block->Text.size()));
        if (!out) break;
        if (block->LastPosition >= 0) progress(static_cast<uint64_t>(block->LastPosition), total);
        if (block->Failed) {
            blocks.Stop();
            err << "error: " << fileName << ": " << block->Message << "\n";
            return ExitFailed;
        }
        blocks.Release();
    }
    blocks.Stop();
    if (!out.flush()) {
        err << "error: " << fileName << ": " << WriteFailed << "\n";
        return ExitFailed;
    }
    return ExitOk;
}

// The rest of Dump when a column is a waveform feature: the records one by one, each with its
// features computed from its waveform under the default waveform options.
int DumpWithFeatures(const std::string& fileName, TAEDriverDb& d, const TAEListFields& layout,
                     uint16_t kinds, const std::vector<size_t>& positions, TRecordTextWriter& text,
                     std::ostream& out, std::ostream& err) {
    std::string message;
    while (d.LoadPending())
        if (!d.LoadMore(message)) {
            err << "error: " << fileName << ": " << message << "\n";
            return ExitFailed;
        }
    if (d.State() != dsReady) d.Initialize(message);
    TAERecord record;
    record.BuildForLayout(layout);
    TWaveformFieldValues features;
    features.Bind(&d);
    std::vector<uint8_t> wanted(record.FlatFields().size(), 0);
    for (size_t p : positions)
        wanted[p] = 1;
    features.WidenDemand(record, wanted);
    record.SetDemand(wanted);
    const TWaveformOptions options;
    TAEPNav nav;
    nav.Kinds = kinds;
    std::string error;
    std::string lastWarning;
    const bool read = ConsumeRecords(
        d, nav, record,
        [&](TAERecord& r, int32_t) {
            features.Fill(r, d, options);
            if (!features.LastError().empty() && features.LastError() != lastWarning) {
                lastWarning = features.LastError();
                err << "warning: " << lastWarning << "\n";
            }
            for (size_t p : positions)
                text.Add(*r.FlatFields()[p]);
            text.EndLine();
            return static_cast<bool>(out);
        },
        error);
    const bool written = text.Flush();
    if (!read) {
        err << "error: " << fileName << ": " << error << "\n";
        return ExitFailed;
    }
    if (!written) {
        err << "error: " << fileName << ": " << WriteFailed << "\n";
        return ExitFailed;
    }
    return ExitOk;
}

int Dump(const std::string& fileName, uint16_t kinds, const std::vector<std::string>& ids,
         std::ostream& out, std::ostream& err) {
    // Records are written while the file is still loading where the driver can do that; the
    // load then tells the number to expect (the progress total), on the reading thread. A
    // driver that converts on several threads at once loads first (DumpInBlocks).
    std::atomic<uint64_t> expected{0};
    std::unique_ptr<TAEDriverDb> d;
    {
        std::string message;
        if (!OpenDataFile(
                fileName, nullptr, d, message, {},
                [&expected](uint64_t, uint64_t total) {
                    expected.store(total, std::memory_order_relaxed);
                },
                true)) {
            err << "error: " << fileName << ": " << message << "\n";
            return ExitFailed;
        }
    }
    const bool loading = d->LoadPending();
    TAEListFields layout;
    d->GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    std::vector<const TAEField*> columns;
    bool features = false;
    if (ids.empty()) {
        // Every field the file gives; the waveform's fields only when asked for by ID.
        for (const TAEField* f : record.FlatFields())
            if (f->ID() != fidWaveIndex && !IsWaveFeatureID(f->ID())) columns.push_back(f);
    } else {
        for (const std::string& id : ids) {
            const TAEField* f = record.FindByID(id);
            if (!f) {
                err << "error: " << fileName << ": Field Not Found: " << id << "\n";
                return ExitUsage;
            }
            columns.push_back(f);
            features = features || IsWaveFeatureID(id);
        }
    }
    // Columns as flat positions: every record of a batch has the same layout.
    std::vector<size_t> positions;
    for (const TAEField* f : columns)
        for (size_t i = 0; i < record.FlatFields().size(); ++i)
            if (record.FlatFields()[i] == f) {
                positions.push_back(i);
                break;
            }
    TRecordTextWriter text(out);
    for (const TAEField* f : columns)
        text.Add(f->FieldName());
    text.EndLine();
    if (features) return DumpWithFeatures(fileName, *d, layout, kinds, positions, text, out, err);
    if (d->ConcurrentReads())
        return DumpInBlocks(fileName, *d, layout, kinds, positions, text, out, err);
    TProgress progress(err, "dumping");
    const uint64_t loaded = static_cast<uint64_t>(d->Count());
    auto total = [&] { return loading ? expected.load(std::memory_order_relaxed) : loaded; };
    TRecordBatches batches(*d, layout, kinds, positions);
    bool failed = false, stopped = false;
    std::string failure;
    while (const TRecordBatch* batch = batches.Next()) {
        for (size_t k = 0; k < batch->Count && !stopped; ++k) {
            batch->WriteLine(k, positions.size(), text);
            const int32_t p = batch->Positions[k];
            if ((p & 0xFFFF) == 0) {
                progress(static_cast<uint64_t>(p), total());
                stopped = !out; // a closed output takes no more
            }
        }
        if (stopped) break;
        if (batch->Failed) {
            failed = true;
            failure = batch->Message;
        }
        batches.Release();
    }
    batches.Stop();
    d->SetOnProgress({});
    if (loading && !d->LoadPending()) {
        std::string message;
        d->Initialize(message);
    }
    const bool written = text.Flush();
    if (failed) {
        err << "error: " << fileName << ": " << failure << "\n";
        return ExitFailed;
    }
    if (!written) {
        err << "error: " << fileName << ": " << WriteFailed << "\n";
        return ExitFailed;
    }
    return ExitOk;
}

int Copy(const std::string& in, const std::string& target, bool sort, uint16_t kinds,
         std::ostream& err) {
    std::unique_ptr<TAEDriverDb> d;
    if (!Open(in, d, err)) return ExitFailed;
    std::string message;
    bool ok;
    {
        TProgress progress(err, sort ? "sorting" : "copying");
        d->SetOnProgress([&](uint64_t done, uint64_t total) { progress(done, total); });
        if (sort) {
            ok = d->SortToFile(target, message);
        } else {
            TDriverRecordSource source(*d, kinds, true);
            ok = d->SaveToFile(source, target, message);
        }
        d->SetOnProgress({});
    }
    if (!ok) {
        err << "error: " << target << ": " << message << "\n";
        return ExitFailed;
    }
    return ExitOk;
}

} // namespace

bool ParseKinds(const std::string& list, uint16_t& kinds, std::string& message) {
    kinds = 0;
    for (const std::string& item : Split(list, ',')) {
        int32_t k = -1;
        if (!TryStrToInt(item, k) || k < 0 || k > 15) {
            message = "Invalid Kind: " + item;
            return false;
        }
        kinds |= KindBit(static_cast<unsigned>(k));
    }
    return true;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    auto usage = [&](const std::string& why) {
        if (!why.empty()) err << "error: " << why << "\n";
        err << Usage;
        return ExitUsage;
    };
    if (args.empty()) return usage("");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << Usage;
        return ExitOk;
    }
    if (command == "--version") {
        out << "vorelt-cli " << VORELT_VERSION << "\n";
        return ExitOk;
    }
    if (IsProjectCommand(command)) return RunProjectCli(args, out, err);
    if (command == "waves") return RunWavesCli(args, out, err);
    if (command == "locate") return RunLocateCli(args, out, err);
    // Positional arguments and options of the form --name VALUE.
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
            if (i + 1 >= args.size()) return usage("missing value of " + args[i]);
            options[args[i]] = args[i + 1];
            ++i;
        } else {
            positional.push_back(args[i]);
        }
    }
    auto known = [&](std::initializer_list<const char*> names) {
        for (const auto& [name, value] : options) {
            bool found = false;
            for (const char* n : names)
                found = found || name == n;
            if (!found) return name;
        }
        return std::string();
    };
    uint16_t kinds = 0;
    if (auto it = options.find("--kinds"); it != options.end()) {
        std::string message;
        if (!ParseKinds(it->second, kinds, message)) return usage(message);
    }

    if (command == "info") {
        if (positional.size() != 1 || !options.empty()) return usage("info takes one file");
        return Info(positional[0], out, err);
    }
    if (command == "dump") {
        if (positional.size() != 1) return usage("dump takes one file");
        if (std::string bad = known({"--kinds", "--fields"}); !bad.empty())
            return usage("unknown option " + bad);
        std::vector<std::string> ids;
        if (auto it = options.find("--fields"); it != options.end()) ids = Split(it->second, ',');
        return Dump(positional[0], kinds, ids, out, err);
    }
    if (command == "sort") {
        if (positional.size() != 2 || !options.empty())
            return usage("sort takes a source and a target file");
        return Copy(positional[0], positional[1], true, 0, err);
    }
    if (command == "copy") {
        if (positional.size() != 2) return usage("copy takes a source and a target file");
        if (std::string bad = known({"--kinds"}); !bad.empty())
            return usage("unknown option " + bad);
        if (!options.count("--kinds")) return usage("copy needs --kinds");
        return Copy(positional[0], positional[1], false, kinds, err);
    }
    return usage("unknown command " + command);
}

} // namespace vorelt::cli
