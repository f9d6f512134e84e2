#include "TCampaign.h"

#include "TSha1.h"
#include "common/TByteMutator.h"
#include "common/TestData.h"
#include "drivers/TLogFile.h"
#include "mkdata/TGenerateDataFile.h"
#include "persist/TGVVariant.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "processing/location/TGVCPULoc.h"
#include "project/RegisterCoreClasses.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"
#include "testprog/TTestSection.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vorelt::test {

namespace fs = std::filesystem;

namespace {

std::string Extension(const std::string& format) {
    if (format == "disp") return ".DTA";
    if (format == "spartan") return ".spt";
    if (format == "vallen") return ".pridb";
    return "." + format;
}

std::string Join(const std::vector<std::string>& args) {
    std::string s;
    for (const std::string& a : args)
        s += (s.empty() ? "" : " ") + a;
    return s;
}

std::string FirstLines(const std::string& text, int lines) {
    std::string out;
    std::istringstream in(text);
    std::string line;
    while (lines-- > 0 && std::getline(in, line))
        out += (out.empty() ? "" : " | ") + line;
    return out;
}

std::string RandomKinds(std::mt19937& rng) {
    const int n = 1 + static_cast<int>(rng() % 3);
    std::string s;
    for (int i = 0; i < n; ++i)
        s += (i ? "," : "") + std::to_string(rng() % 9);
    return s;
}

void RemoveFile(const std::string& file) {
    std::error_code ec;
    fs::remove(file, ec);
}

// Files of a folder whose name begins with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().filename().string().rfind(prefix, 0) == 0) out.push_back(e.path().string());
    return out;
}

// --- SQLite damage ------------------------------------------------------------------------

std::vector<std::string> Column0(sqlite3* db, const std::string& sql, int column = 0) {
    std::vector<std::string> out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return out;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(st, column);
        out.push_back(t ? reinterpret_cast<const char*>(t) : "");
    }
    sqlite3_finalize(st);
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// One damage of the kinds a careless user or a broken acquisition leaves: a dropped table,
// NULL or text in numeric columns, factor 0 and other extreme numbers, deleted rows, renamed
// or dropped columns. Returns what was done.
std::string DamageDatabase(const std::string& file, std::mt19937& rng) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return "not a database";
    }
    const std::vector<std::string> tables =
        Column0(db, "SELECT name FROM sqlite_master WHERE type='table'");
    auto table = [&](const std::string& lower) {
        for (const std::string& t : tables)
            if (Lower(t) == lower) return t;
        return tables.empty() ? std::string("ae_data") : tables[rng() % tables.size()];
    };
    auto any = [&] { return tables.empty() ? std::string("x") : tables[rng() % tables.size()]; };
    auto column = [&](const std::string& t) {
        const std::vector<std::string> cols = Column0(db, "PRAGMA table_info(\"" + t + "\")", 1);
        return cols.empty() ? std::string("x") : cols[rng() % cols.size()];
    };
    static const char* const extremes[] = {"NULL",
                                           "'text'",
                                           "''",
                                           "0",
                                           "-1",
                                           "9223372036854775807",
                                           "-9223372036854775808",
                                           "1e308",
                                           "-1e308",
                                           "4.9e-324",
                                           "x'00ff'"};
    std::string sql;
    const std::string data = table("ae_data");
    const std::string info = table("ae_fieldinfo");
    switch (rng() % 11) {
    case 0:
        sql = "DROP TABLE \"" + any() + "\"";
        break;
    case 1:
    case 2: {
        const std::string t = rng() % 2 ? data : any();
        sql = "UPDATE \"" + t + "\" SET \"" + column(t) +
              "\" = " + extremes[rng() % std::size(extremes)] +
              (rng() % 2 ? " WHERE rowid % 3 = 0" : "");
        break;
    }
    case 3:
        sql = "UPDATE \"" + info + "\" SET Factor = 0";
        break;
    case 4:
        sql = "UPDATE \"" + info + "\" SET \"" + column(info) +
              "\" = " + extremes[rng() % std::size(extremes)];
        break;
    case 5:
        sql = "UPDATE \"" + data +
              "\" SET SetType = " + std::to_string(static_cast<int>(rng() % 12) - 2) +
              " WHERE rowid % 2 = 0";
        break;
    case 6:
        sql = "DELETE FROM \"" + any() + "\" WHERE rowid % 2 = " + std::to_string(rng() % 2);
        break;
    case 7: {
        const std::string t = any();
        sql = "ALTER TABLE \"" + t + "\" DROP COLUMN \"" + column(t) + "\"";
        break;
    }
    case 8: {
        const std::string t = any();
        sql = "ALTER TABLE \"" + t + "\" RENAME TO \"" + t + "_old\"";
        break;
    }
    case 9:
        sql = "UPDATE \"" + table("ae_markers") +
              "\" SET Data = " + (rng() % 2 ? std::string("NULL") : "printf('%.*c', 70000, 'x')");
        break;
    default:
        sql = "UPDATE \"" + table("ae_params") + "\" SET \"" + column(table("ae_params")) +
              "\" = " + extremes[rng() % std::size(extremes)];
        break;
    }
    char* error = nullptr;
    std::string what = sql;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        what += " (refused by SQLite: " + std::string(error ? error : "") + ")";
        sqlite3_free(error);
    }
    sqlite3_close_v2(db);
    return what;
}

// --- Projects ------------------------------------------------------------------------------

// A project with a little of everything the core can save: processors, variants, the ZIP
// parameters, test sections, a load line, a parametric field and two pages.
bool WriteRichProject(const std::string& file, const std::string& data, std::string& error) {
    RegisterCoreClasses();
    TProjectAE project;
    if (!project.OpenDataFile(data, error)) return false;
    project.SetName("Rich");
    TGVDb& db = project.Db();
    TGVCPU* filter = db.AddNew<TGVCPUFltr>();
    TGVCPU* location = filter->AddNew<TGVCPULoc>();
    location->AddNew<TGVCPUTurnOffFltr>();
    db.AssignIDsDeep(false, *project.IDGenerator());
    db.NameProcessors();
    auto text = std::make_unique<TGVStringVariant>();
    text->SetID(project.GenerateID());
    text->SetDisplayName("Operator");
    text->SetAsString("Ivanov");
    project.Variants().Add(std::move(text));
    auto limit = std::make_unique<TGVFloatVariant>();
    limit->SetID(project.GenerateID());
    limit->SetDisplayName("Limit");
    limit->SetAsFloat(12.75L);
    project.Variants().Add(std::move(limit));
    project.ZipParameters().SetJ(25);
    db.TestSections().Add(std::make_unique<TTestSection>("Rise", 0, 600));
    db.TestLoadLine().Points().AddPoint({0, 0});
    db.TestLoadLine().Points().AddPoint({600, 10.5L});
    db.AddParametricField("Pressure", "0000000000000023", 0.125L, 1.5L);
    db.AssignIDs(false, *project.IDGenerator());
    project.Pages().AddPage("Overview");
    project.Pages().AddPage("Details");
    return project.SaveProject(file, error);
}

// Lines of a text, each with its line end.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string Unlines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines)
        s += l;
    return s;
}

// The offsets of the texts between `open` and `close` tags.
std::vector<std::pair<size_t, size_t>> Contents(const std::string& text, const std::string& open,
                                                const std::string& close) {
    std::vector<std::pair<size_t, size_t>> out;
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        const size_t from = at + open.size();
        const size_t to = text.find(close, from);
        if (to == std::string::npos) break;
        out.push_back({from, to - from});
    }
    return out;
}

// One break of a project file; `specials` are names DbName may be set to.
std::string BreakProject(std::string& text, std::mt19937& rng, TByteMutator& bytes,
                         const std::vector<std::string>& specials) {
    static const char* const values[] = {"-1",
                                         "",
                                         "abc",
                                         "1e999",
                                         "nan",
                                         "inf",
                                         "0",
                                         "1,5",
                                         "2147483648",
                                         "-2147483649",
                                         "99999999999999999999",
                                         "True",
                                         "\x01\x02",
                                         "&amp;lt;",
                                         "1.5e-4000"};
    std::string what;
    switch (rng() % 9) {
    case 0:
    case 1:
        text = bytes.Mutate(text, what);
        return "bytes: " + what;
    case 2: {
        std::vector<std::string> lines = Lines(text);
        if (lines.empty()) return "empty";
        const size_t i = rng() % lines.size();
        const int how = static_cast<int>(rng() % 3);
        if (how == 0) {
            lines.erase(lines.begin() + static_cast<ptrdiff_t>(i));
            what = "line " + std::to_string(i + 1) + " taken out";
        } else if (how == 1) {
            lines.insert(lines.begin() + static_cast<ptrdiff_t>(i), lines[i]);
            what = "line " + std::to_string(i + 1) + " doubled";
        } else {
            const size_t j = rng() % lines.size();
            std::swap(lines[i], lines[j]);
            what = "lines " + std::to_string(i + 1) + " and " + std::to_string(j + 1) + " swapped";
        }
        text = Unlines(lines);
        return what;
    }
    case 3:
    case 4: {
        const auto at = Contents(text, "<Value>", "</Value>");
        if (at.empty()) return "no value";
        const auto [from, size] = at[rng() % at.size()];
        const std::string v = values[rng() % std::size(values)];
        what = "value '" + text.substr(from, size) + "' at " + std::to_string(from) + " := '" + v +
               "'";
        text.replace(from, size, v);
        return what;
    }
    case 5: {
        const auto at = Contents(text, "<", ">");
        if (at.empty()) return "no tag";
        const auto [from, size] = at[rng() % at.size()];
        if (rng() % 2) {
            what = "tag <" + text.substr(from, size) + "> at " + std::to_string(from) + " renamed";
            text.replace(from, size, "Other");
        } else {
            what =
                "tag <" + text.substr(from, size) + "> at " + std::to_string(from) + " taken out";
            text.erase(from - 1, size + 2);
        }
        return what;
    }
    case 6: {
        const auto at = Contents(text, "<Name>DbName</Name>", "</PARAM>");
        const std::string target = specials[rng() % specials.size()];
        if (at.empty()) return "no DbName";
        const auto [from, size] = at.front();
        text.replace(from, size, "<Value>" + target + "</Value>");
        return "DbName := " + target;
    }
    case 7: {
        static const char* const declarations[] = {
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
            "<?xml version=\"1.0\" encoding=\"no-such-code\"?>", "", "<?xml?>",
            "<?xml version=\"2.0\" encoding=\"windows-1251\"?><!DOCTYPE x [<!ENTITY a \"b\">]>"};
        const size_t end = text.find("?>");
        const std::string d = declarations[rng() % std::size(declarations)];
        if (end != std::string::npos) text.replace(0, end + 2, d);
        return "declaration := " + d;
    }
    default: {
        const auto at = Contents(text, "<Name>", "</Name>");
        if (at.empty()) return "no name";
        const auto [from, size] = at[rng() % at.size()];
        what = "item name '" + text.substr(from, size) + "' emptied";
        text.replace(from, size, "");
        return what;
    }
    }
}

} // namespace

TCampaign::TCampaign(TCampaignOptions options) : FOptions(std::move(options)), FRng(FOptions.Seed) {
    if (FOptions.WorkDir.empty()) {
        FDir = (fs::temp_directory_path() / ("vorelt-campaign-" + std::to_string(::getpid())))
                   .string();
        FOwnDir = true;
    } else {
        FDir = FOptions.WorkDir;
    }
    fs::create_directories(FDir);
    // A private copy of the program under test: a rebuild during a long campaign would
    // otherwise replace it between two runs, and a run that meets it half written fails.
    std::error_code ec;
    const std::string own = FDir + "/vorelt-cli";
    FCliSource = FOptions.Cli;
    if (fs::copy_file(FOptions.Cli, own, fs::copy_options::overwrite_existing, ec))
        FOptions.Cli = own;
    const std::string ownExport = FDir + "/vorelt-export";
    if (!FOptions.Export.empty() &&
        fs::copy_file(FOptions.Export, ownExport, fs::copy_options::overwrite_existing, ec))
        FOptions.Export = ownExport;
    // Qt and the tools want a runtime folder of their own; no warning about it in the output.
    const std::string runtime = FDir + "/runtime";
    fs::create_directories(runtime, ec);
    fs::permissions(runtime, fs::perms::owner_all, ec);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}

TCampaign::~TCampaign() {
    // The folder stays when something failed: it holds the failed cases.
    std::error_code ec;
    if (FOwnDir && FFailureCount == 0) fs::remove_all(FDir, ec);
}

std::string TCampaign::CaseDir(const std::string& part) {
    const std::string dir = FDir + "/" + part;
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir;
}

void TCampaign::Clear(const std::string& dir) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        fs::remove_all(e.path(), ec);
}

std::string TCampaign::RealFile(const std::string& relPath) const {
    if (FOptions.SharedData.empty()) return {};
    const std::string path = FOptions.SharedData + "/" + relPath;
    std::error_code ec;
    return fs::is_regular_file(path, ec) ? path : std::string();
}

// Damages one waveform of a transient database: its blob cut, grown or overwritten with noise,
// its sample count or data format changed to lie about the blob. Returns what was done.
std::string DamageTransients(const std::string& file, std::mt19937& rng) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return "not a database";
    }
    const std::vector<std::string> ids = Column0(db, "SELECT SetID FROM tr_data");
    const std::string id = ids.empty() ? std::string("0") : ids[rng() % ids.size()];
    static const char* const damages[][2] = {
        {"Data = substr(Data, 1, length(Data) / 2)", "blob cut in half"},
        {"Data = substr(Data, 1, 11)", "blob cut to 11 bytes"},
        {"Data = Data || randomblob(37)", "blob grown by 37 bytes"},
        {"Data = randomblob(length(Data))", "blob of noise"},
        {"Data = NULL", "blob NULL"},
        {"Samples = Samples * 2", "twice the samples the blob holds"},
        {"Samples = 9223372036854775807", "samples at the 64-bit limit"},
        {"Samples = -5", "negative sample count"},
        {"DataFormat = 2", "raw samples called FLAC"},
        {"DataFormat = 0", "FLAC called raw samples"},
        {"DataFormat = 7", "unknown data format"},
        {"SampleRate = 0", "sample rate 0"},
        {"Data = x'664c6143' || randomblob(60)", "FLAC marker then noise"},
    };
    const auto& d = damages[rng() % (sizeof damages / sizeof damages[0])];
    const std::string sql = std::string("UPDATE tr_data SET ") + d[0] + " WHERE SetID = " + id;
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    return std::string(d[1]) + " (SetID " + id + ")";
}

std::string TCampaign::Generate(const std::string& format, const std::string& file, uint64_t hits,
                                uint64_t seed) {
    TGenerateOptions o;
    o.Format = format;
    o.FileName = file;
    o.Hits = hits;
    o.Channels = 4;
    o.Seed = seed;
    o.InOrder = seed % 2 == 0;
    std::string error;
    if (!GenerateDataFile(o, error))
        throw std::runtime_error("cannot generate " + file + ": " + error);
    return ReadFileBytes(file);
}

std::map<std::string, std::string> TCampaign::Fingerprints(const TCase& c) const {
    std::map<std::string, std::string> sums;
    for (const std::string& f : c.Kept)
        sums[f] = Sha1OfFile(f);
    return sums;
}

void TCampaign::CheckKept(TCase& c, const std::map<std::string, std::string>& before) {
    for (const auto& [file, sum] : before)
        if (Sha1OfFile(file) != sum) Fail(c, "file changed: " + file);
}

bool TCampaign::NamesFileAndReason(const TCase& c, const std::string& err) const {
    std::istringstream in(err);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("error: ", 0) != 0) continue;
        const std::string rest = line.substr(7);
        for (const std::string& name : c.Names)
            if (rest.rfind(name + ": ", 0) == 0 && rest.size() > name.size() + 2) return true;
        const size_t colon = rest.find(": ");
        if (c.OtherNames && colon != std::string::npos && colon > 0 && rest.size() > colon + 2)
            return true;
    }
    return false;
}

void TCampaign::Fail(TCase& c, const std::string& why) {
    ++FCounts[c.Part].Failures;
    ++FFailureCount;
    if (static_cast<int>(FFailures.size()) >= FOptions.MaxReported) return;
    // The case's files are kept for a rerun by hand.
    const std::string keep = FDir + "/failures/" + std::to_string(FFailureCount);
    std::error_code ec;
    fs::create_directories(keep, ec);
    for (const std::vector<std::string>* list : {&c.Kept, &c.Names})
        for (const std::string& f : *list)
            if (fs::is_regular_file(f, ec))
                fs::copy_file(f, keep + "/" + fs::path(f).filename().string(),
                              fs::copy_options::overwrite_existing, ec);
    FFailures.push_back(c.Part + ": " + c.What + ": " + why + " [files in " + keep + "]");
}

TCommandResult TCampaign::Cli(TCase& c, const std::vector<std::string>& args,
                              const std::string& outFile) {
    return Tool(c, FOptions.Cli, "vorelt-cli", args, outFile);
}

TCommandResult TCampaign::ExportTool(TCase& c, const std::vector<std::string>& args,
                                     const std::string& outFile) {
    return Tool(c, FOptions.Export, "vorelt-export", args, outFile);
}

TCommandResult TCampaign::Tool(TCase& c, const std::string& program, const std::string& shown,
                               const std::vector<std::string>& args, const std::string& outFile) {
    ++FCounts[c.Part].Runs;
    std::vector<std::string> full{program};
    full.insert(full.end(), args.begin(), args.end());
    TCommandResult r = RunCommand(full, FOptions.Timeout, FDir + "/stderr.txt", outFile,
                                  FOptions.AddressLimitMb * 1024);
    const std::string command = shown + " " + Join(args);
    if (r.PeakKb > FPeakKb) {
        FPeakKb = r.PeakKb;
        FPeakCommand = c.Part + ": " + c.What + ": " + command;
    }
    if (!r.TimedOut && r.Seconds > FSlowest) {
        FSlowest = r.Seconds;
        FSlowestCommand = c.Part + ": " + c.What + ": " + command;
    }
    if (r.TimedOut)
        Fail(c, "no answer within " + std::to_string(static_cast<int>(FOptions.Timeout)) +
                    " s: " + command);
    else if (r.Signal != 0)
        Fail(c, "ended by signal " + std::to_string(r.Signal) + ": " + command + ": " +
                    FirstLines(r.Err, 3));
    else if (r.Err.find("Sanitizer") != std::string::npos ||
             r.Err.find("runtime error") != std::string::npos)
        Fail(c, "sanitizer report: " + command + ": " + FirstLines(r.Err, 6));
    else if (r.Status == 2)
        Fail(c, "usage error: " + command + ": " + FirstLines(r.Err, 2));
    else if (r.Status != 0 && !NamesFileAndReason(c, r.Err))
        Fail(c, "refusal without file and reason: " + command + ": " + FirstLines(r.Err, 3));
    if (FOptions.MemoryLimitMb > 0 && r.PeakKb > FOptions.MemoryLimitMb * 1024)
        Fail(c, "took " + std::to_string(r.PeakKb / 1024) + " MB (at most " +
                    std::to_string(FOptions.MemoryLimitMb) + " MB expected): " + command);
    if (r.Status != 0) NoteReason(c, r.Err);
    return r;
}

void TCampaign::RunDataCase(TCase& c, const std::string& file, int turn, bool expectCopies) {
    TCounts& k = FCounts[c.Part];
    ++k.Cases;
    const auto before = Fingerprints(c);
    const TCommandResult info = Cli(c, {"info", file});
    if (info.Status != 0) {
        ++k.Refused;
        CheckKept(c, before);
        return;
    }
    ++k.Accepted;
    const std::string out =
        fs::path(file).parent_path().string() + "/out" + fs::path(file).extension().string();
    c.Names.push_back(out);
    TCommandResult copy;
    switch (turn % 4) {
    case 0:
        copy = Cli(c, {"sort", file, out});
        break;
    case 1:
        copy = Cli(c, {"copy", file, out, "--kinds", RandomKinds(FRng)});
        break;
    case 2:
        Cli(c, {"dump", file});
        break;
    default:
        copy = Cli(c, {"copy", file, out, "--kinds", "1"});
        break;
    }
    if (turn % 4 != 2 && copy.Status == 0) {
        if (!expectCopies) {
            Fail(c, "a copy was written of a file that cannot be copied");
        } else {
            const TCommandResult again = Cli(c, {"info", out});
            if (again.Status == 0)
                ++k.Copies;
            else
                Fail(c, "the copy does not open: " + FirstLines(again.Err, 2));
        }
    }
    RemoveFile(out);
    RemoveFile(TLogFile::CompanionName(out));
    CheckKept(c, before);
}

void TCampaign::Progress(const std::string& part, int done, int total) {
    if (total < 200 || (done % 100 != 0 && done != total)) return;
    std::cerr << part << ": " << done << "/" << total << " cases, " << FCounts[part].Failures
              << " failures" << std::endl;
}

void TCampaign::RunBinary(const std::string& format, std::ostream& out) {
    const std::string dir = CaseDir(format);
    const std::string ext = Extension(format);
    std::vector<std::string> seeds;
    seeds.push_back(Generate(format, dir + "/seed1" + ext, 300, 11));
    seeds.push_back(Generate(format, dir + "/seed2" + ext, 60, 12));
    if (format == "disp")
        for (const char* real : {"disp/210527-CH1-15.DTA", "disp/260114-4ch-1para.DTA"})
            if (const std::string path = RealFile(real); !path.empty())
                seeds.push_back(ReadFileBytes(path));
    Clear(dir);
    const std::string file = dir + "/case" + ext;
    for (size_t s = 0; s < seeds.size(); ++s) {
        WriteFileBytes(file, seeds[s]);
        TCase c{format, "seed " + std::to_string(s + 1), {file}, {file}};
        RunDataCase(c, file, static_cast<int>(s), true);
        if (FCounts[format].Accepted != static_cast<int>(s) + 1) Fail(c, "a valid file is refused");
        Clear(dir);
    }
    TByteMutator mutator(FRng());
    for (int i = 0; i < FOptions.BinaryCases; ++i) {
        const std::string& seed = seeds[static_cast<size_t>(i) % seeds.size()];
        std::string what;
        const std::string bytes = mutator.Mutate(seed, what);
        WriteFileBytes(file, bytes);
        TCase c{
            format, "seed " + std::to_string(i % seeds.size() + 1) + ", " + what, {file}, {file}};
        RunDataCase(c, file, i, true);
        Clear(dir);
        Progress(format, i + 1, FOptions.BinaryCases);
    }
    Report(out, format, FCounts[format]);
}

void TCampaign::RunSqlite(std::ostream& out) {
    const std::string part = "sqlite";
    const std::string dir = CaseDir(part);
    std::vector<std::string> seeds;
    seeds.push_back(Generate("vallen", dir + "/seed1.pridb", 60, 21));
    seeds.push_back(Generate("vallen", dir + "/seed2.pridb", 8, 22));
    for (const char* real : {"vallen/steel_plate.pridb", "vallen/bearing.pridb"})
        if (const std::string path = RealFile(real); !path.empty())
            seeds.push_back(ReadFileBytes(path));
    Clear(dir);
    const std::string file = dir + "/case.pridb";
    TByteMutator mutator(FRng());
    for (int i = 0; i < FOptions.SqliteCases; ++i) {
        const std::string& seed = seeds[static_cast<size_t>(i) % seeds.size()];
        WriteFileBytes(file, seed);
        std::string what;
        if (i % 8 == 7)
            WriteFileBytes(file, mutator.Mutate(seed, what));
        else
            what = DamageDatabase(file, FRng);
        TCase c{part, "seed " + std::to_string(i % seeds.size() + 1) + ", " + what, {file}, {file}};
        RunDataCase(c, file, i, false);
        Clear(dir);
        Progress(part, i + 1, FOptions.SqliteCases);
    }
    // A transient database is no hit database: refused, and named.
    if (const std::string tradb = RealFile("vallen/steel_plate.tradb"); !tradb.empty()) {
        const std::string copy = dir + "/case.tradb";
        WriteFileBytes(copy, ReadFileBytes(tradb));
        TCase c{part, "transient database", {copy}, {copy}};
        RunDataCase(c, copy, 0, false);
        if (FCounts[part].Refused == 0) Fail(c, "the transient database is accepted");
        Clear(dir);
    }
    Report(out, part, FCounts[part]);
}

void TCampaign::RunWaves(std::ostream& out) {
    const std::string part = "waves";
    const std::string dir = CaseDir(part);
    // Seeds: generated transient databases (raw and FLAC) and the real ones; DiSP files with
    // waveform messages are mutated byte by byte.
    std::vector<std::pair<std::string, std::string>> seeds; // extension, bytes
    for (const TWaveformStorage storage : {TWaveformStorage::Raw, TWaveformStorage::Flac}) {
        TGenerateOptions o;
        o.Format = "vallen";
        o.FileName = dir + "/seed.pridb";
        o.Hits = 24;
        o.Channels = 4;
        o.Seed = 41 + uint64_t(storage);
        o.Waveforms = storage;
        o.WaveformSamples = 512;
        std::string error;
        if (!GenerateDataFile(o, error)) throw std::runtime_error("cannot generate " + error);
        seeds.push_back({".tradb", ReadFileBytes(dir + "/seed.tradb")});
    }
    for (const char* real :
         {"vallen/steel_plate.tradb", "vallen/bearing.tradb", "disp/210527-CH1-15.DTA"})
        if (const std::string path = RealFile(real); !path.empty())
            seeds.push_back({fs::path(path).extension().string(), ReadFileBytes(path)});
    Clear(dir);
    TByteMutator mutator(FRng());
    for (int i = 0; i < FOptions.WaveCases; ++i) {
        const auto& [ext, seed] = seeds[static_cast<size_t>(i) % seeds.size()];
        const std::string file = dir + "/case" + ext;
        WriteFileBytes(file, seed);
        std::string what;
        if (ext != ".tradb" || i % 5 == 4)
            WriteFileBytes(file, mutator.Mutate(seed, what));
        else
            what = DamageTransients(file, FRng);
        TCase c{part, "seed " + std::to_string(i % seeds.size() + 1) + ", " + what, {file}, {file}};
        TCounts& k = FCounts[part];
        ++k.Cases;
        const auto before = Fingerprints(c);
        const TCommandResult features = Cli(c, {"waves", file, "--features"});
        const TCommandResult one =
            Cli(c, {"waves", file, "--index", std::to_string(1 + FRng() % 4)});
        if (features.Status == 0 || one.Status == 0)
            ++k.Accepted;
        else
            ++k.Refused;
        CheckKept(c, before);
        Clear(dir);
        Progress(part, i + 1, FOptions.WaveCases);
    }
    Report(out, part, FCounts[part]);
}

void TCampaign::RunLogs(std::ostream& out) {
    const std::string part = "logs";
    const std::string dir = CaseDir(part);
    const std::vector<std::string> formats = {"isa", "pci", "disp", "spartan"};
    std::vector<std::string> seeds;
    for (size_t f = 0; f < formats.size(); ++f)
        seeds.push_back(Generate(formats[f], dir + "/seed" + Extension(formats[f]), 100, 31 + f));
    Clear(dir);
    TByteMutator mutator(FRng());
    for (int i = 0; i < FOptions.LogCases; ++i) {
        const size_t f = static_cast<size_t>(i) % formats.size();
        const std::string data = dir + "/data" + Extension(formats[f]);
        const std::string log = TLogFile::CompanionName(data);
        WriteFileBytes(data, seeds[f]);
        // A log as the drivers write it: start, close mark, deleted and selected groups.
        std::vector<uint8_t> valid = TLogFile::Entry(lkStart, nullptr, 0);
        const std::vector<uint8_t> close = TLogFile::Entry(lkClose, nullptr, 0);
        valid.insert(valid.end(), close.begin(), close.end());
        TLogFile::AppendGroup(valid, lkDeleted, {static_cast<int32_t>(1 + FRng() % 90), 3, 4});
        TLogFile::AppendGroup(valid, lkSelected, {static_cast<int32_t>(FRng() % 120)});
        const std::string validBytes(valid.begin(), valid.end());
        TCase c{part, "", {data}, {data, log}};
        std::string written; // the bytes the case put in the log, when it wrote a file there
        switch (i % 10) {
        case 0:
            ::mkfifo(log.c_str(), 0644);
            c.What = "log is a named pipe";
            break;
        case 1:
            fs::create_directory(log);
            c.What = "log is a directory";
            break;
        case 2: {
            const std::string foreign = dir + "/notes.txt";
            WriteFileBytes(foreign, validBytes + "notes of the operator");
            fs::create_symlink("notes.txt", log);
            c.Kept.push_back(foreign);
            c.What = "log is a link to a file that starts like a log";
            break;
        }
        case 3: {
            fs::create_directory(dir + "/other");
            WriteFileBytes(dir + "/other/data.log", validBytes);
            fs::create_symlink("other/data.log", log);
            c.What = "log is a link to another log";
            break;
        }
        case 4:
            fs::create_symlink("nowhere.log", log);
            c.What = "log is a dangling link";
            break;
        case 5:
            written = (FRng() % 2) ? std::string() : validBytes.substr(0, 10);
            WriteFileBytes(log, written);
            c.What = written.empty() ? "empty log" : "log with its start entry only";
            break;
        default: {
            std::string what;
            written = mutator.Mutate(validBytes, what);
            WriteFileBytes(log, written);
            c.What = "log " + what;
            break;
        }
        }
        TCounts& k = FCounts[part];
        ++k.Cases;
        const auto before = Fingerprints(c);
        const std::string infoOut = dir + "/info.txt";
        const TCommandResult info = Cli(c, {"info", data}, infoOut);
        if (info.Status == 0)
            ++k.Accepted;
        else
            Fail(c, "a broken log makes the data file refused");
        const std::string text = ReadFileBytes(infoOut);
        if (text.find("warning: Log File Damaged At Byte Offset") != std::string::npos &&
            !written.empty()) {
            // The damaged log is kept beside it before the rewrite.
            bool kept = false;
            for (const std::string& copy : FilesStartingWith(dir, "data.log.damaged"))
                kept = kept || ReadFileBytes(copy) == written;
            if (!kept) Fail(c, "a damaged log was cut and not kept");
        }
        if (i % 3 == 0) {
            const std::string copy = dir + "/out" + Extension(formats[f]);
            c.Names.push_back(copy);
            const TCommandResult r = Cli(c, {"copy", data, copy, "--kinds", "1"});
            if (r.Status == 0) {
                if (Cli(c, {"info", copy}).Status == 0)
                    ++k.Copies;
                else
                    Fail(c, "the copy does not open");
            }
        }
        CheckKept(c, before);
        Clear(dir);
        Progress(part, i + 1, FOptions.LogCases);
    }
    Report(out, part, FCounts[part]);
}

void TCampaign::RunProjects(std::ostream& out) {
    const std::string part = "projects";
    const std::string dir = CaseDir(part);
    // The data files stay for the whole part; every case checks that they are untouched.
    const std::string data = dir + "/data.pci";
    const std::string other = dir + "/other.DTA";
    Generate("pci", data, 200, 40);
    Generate("disp", other, 100, 41);
    const std::string fifo = dir + "/pipe.DTA";
    ::mkfifo(fifo.c_str(), 0644);
    const std::string text = dir + "/notes.txt";
    WriteFileBytes(text, "notes\n");
    const std::string project = dir + "/p.xml";
    std::vector<std::string> seeds;
    {
        TCase c{part, "simple project", {data, other}, {project, data}};
        Cli(c, {"new-project", project, "--data", data});
        seeds.push_back(ReadFileBytes(project));
        std::string error;
        if (!WriteRichProject(project, data, error)) Fail(c, "no rich project: " + error);
        seeds.push_back(ReadFileBytes(project));
    }
    const std::vector<std::string> specials = {
        fifo, dir, dir + "/missing.pci", other,         project, "/dev/zero",
        text, "",  dir + "/data.log",    "relative.pci"};
    TByteMutator mutator(FRng());
    const std::string saved = dir + "/saved.xml";
    for (int i = 0; i < FOptions.ProjectCases; ++i) {
        std::string bytes = seeds[static_cast<size_t>(i) % seeds.size()];
        const std::string what = BreakProject(bytes, FRng, mutator, specials);
        WriteFileBytes(project, bytes);
        TCase c{part,
                "seed " + std::to_string(i % seeds.size() + 1) + ", " + what,
                {data, other, text, project},
                {project, data, other, saved, fifo, dir, text}};
        c.Names.insert(c.Names.end(), specials.begin(), specials.end());
        c.OtherNames = true;
        TCounts& k = FCounts[part];
        ++k.Cases;
        const auto before = Fingerprints(c);
        const TCommandResult r = Cli(c, {"project", project});
        if (r.Err.find(project + ": ") != std::string::npos)
            ++k.Refused;
        else
            ++k.Accepted;
        switch (i % 4) {
        case 0:
            Cli(c, {"project", project, "--save", saved});
            break;
        case 1: {
            // Over the data file or another recording: always refused, nothing written.
            const std::string target = i % 8 == 1 ? data : other;
            const TCommandResult s = Cli(c, {"project", project, "--save", target});
            if (s.Status == 0) Fail(c, "a project was saved over " + target);
            break;
        }
        case 2:
            Cli(c, {"project", project, "--dump", "Database"});
            break;
        default:
            break;
        }
        CheckKept(c, before);
        RemoveFile(saved);
        Progress(part, i + 1, FOptions.ProjectCases);
    }
    Report(out, part, FCounts[part]);
}

void TCampaign::RunSpecialFiles(std::ostream& out) {
    const std::string part = "special";
    const std::string dir = CaseDir(part);
    const std::string data = dir + "/data.DTA";
    Generate("disp", data, 50, 51);
    const std::string fifo = dir + "/pipe.DTA";
    ::mkfifo(fifo.c_str(), 0644);
    const std::string link = dir + "/link.DTA";
    fs::create_symlink("pipe.DTA", link);
    const std::string one = dir + "/one.DTA";
    WriteFileBytes(one, "x");
    const std::string empty = dir + "/empty.DTA";
    WriteFileBytes(empty, "");
    const std::string sub = dir + "/folder.DTA";
    fs::create_directory(sub);
    const std::string out_ = dir + "/out.DTA";
    const std::string log = dir + "/data.log";
    const std::string project = dir + "/p.xml";
    const std::string pipeProject = dir + "/pipe.xml";
    ::mkfifo(pipeProject.c_str(), 0644);
    const std::vector<std::string> names = {data,
                                            fifo,
                                            link,
                                            one,
                                            empty,
                                            sub,
                                            out_,
                                            log,
                                            project,
                                            pipeProject,
                                            "/dev/zero",
                                            "/dev/null",
                                            dir + "/missing.DTA"};
    TCounts& k = FCounts[part];
    // Each of these must be refused (non-zero status, file and reason named) without waiting.
    const std::vector<std::vector<std::string>> refused = {
        {"info", fifo},
        {"dump", fifo},
        {"sort", fifo, out_},
        {"copy", fifo, out_, "--kinds", "1"},
        {"info", link},
        {"info", sub},
        {"info", "/dev/zero"},
        {"info", "/dev/null"},
        {"info", dir + "/missing.DTA"},
        {"info", one},
        {"info", empty},
        {"sort", data, data},
        {"copy", data, log, "--kinds", "1"},
        {"new-project", data, "--data", data},
        {"new-project", log, "--data", data},
        {"new-project", project, "--data", fifo},
        {"project", pipeProject},
        {"project", sub},
    };
    for (const auto& args : refused) {
        TCase c{part, Join(args), {data}, names};
        ++k.Cases;
        const auto before = Fingerprints(c);
        const TCommandResult r = Cli(c, args);
        if (r.Status == 0)
            Fail(c, "accepted");
        else
            ++k.Refused;
        CheckKept(c, before);
    }
    // A project over the data file, then one whose data file is the named pipe.
    {
        TCase c{part, "project saved over its data file", {data}, names};
        ++k.Cases;
        const auto before = Fingerprints(c);
        Cli(c, {"new-project", project, "--data", data});
        if (Cli(c, {"project", project, "--save", data}).Status == 0)
            Fail(c, "saved over the data file");
        if (Cli(c, {"project", project, "--save", log}).Status == 0)
            Fail(c, "saved over the companion log");
        std::string xml = ReadFileBytes(project);
        const size_t at = xml.find(data);
        if (at != std::string::npos) xml.replace(at, data.size(), fifo);
        WriteFileBytes(project, xml);
        if (Cli(c, {"project", project}).Status == 0) Fail(c, "a named pipe as data file");
        ++k.Refused;
        CheckKept(c, before);
    }
    Report(out, part, FCounts[part]);
}

void TCampaign::NoteReason(const TCase& c, const std::string& err) {
    std::istringstream in(err);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("error: ", 0) != 0) continue;
        std::string reason = line.substr(7);
        // Names of the case's files become NAME, numbers become N.
        std::vector<std::string> names = c.Names;
        std::sort(names.begin(), names.end(),
                  [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        for (const std::string& n : names)
            for (size_t at; !n.empty() && (at = reason.find(n)) != std::string::npos;)
                reason.replace(at, n.size(), "NAME");
        std::string plain;
        for (size_t i = 0; i < reason.size(); ++i) {
            if (std::isdigit(static_cast<unsigned char>(reason[i]))) {
                while (i + 1 < reason.size() &&
                       std::isdigit(static_cast<unsigned char>(reason[i + 1])))
                    ++i;
                plain += 'N';
            } else {
                plain += reason[i];
            }
        }
        ++FReasons[c.Part + ": " + plain];
        return;
    }
}

void TCampaign::Report(std::ostream& out, const std::string& part, const TCounts& k) {
    out << part << ": " << k.Cases << " cases, " << k.Accepted << " opened, " << k.Refused
        << " refused, " << k.Copies << " copies opened again, " << k.Runs << " runs, " << k.Failures
        << " failures" << std::endl;
}

bool TCampaign::Run(std::ostream& out) {
    out << "vorelt-cli: " << FCliSource << "\nwork folder: " << FDir << "\nseed: " << FOptions.Seed
        << std::endl;
    auto wanted = [&](const std::string& part) {
        return FOptions.Parts.empty() || std::find(FOptions.Parts.begin(), FOptions.Parts.end(),
                                                   part) != FOptions.Parts.end();
    };
    for (const char* format : {"isa", "pci", "disp", "spartan"})
        if (wanted(format)) RunBinary(format, out);
    if (wanted("sqlite")) RunSqlite(out);
    if (wanted("waves")) RunWaves(out);
    if (wanted("logs")) RunLogs(out);
    if (wanted("projects")) RunProjects(out);
    if (wanted("special")) RunSpecialFiles(out);
    if (wanted("export")) RunExport(out);
    int cases = 0, runs = 0;
    for (const auto& [part, k] : FCounts) {
        cases += k.Cases;
        runs += k.Runs;
    }
    out << "total: " << cases << " cases, " << runs << " runs, " << FFailureCount << " failures"
        << std::endl;
    out << "largest memory: " << FPeakKb / 1024 << " MB (" << FPeakCommand << ")\n";
    out << "slowest run: " << static_cast<int>(FSlowest * 1000) << " ms (" << FSlowestCommand << ")"
        << std::endl;
    out << "refusals by reason:\n";
    for (const auto& [reason, count] : FReasons)
        out << "  " << count << "  " << reason << "\n";
    for (const std::string& f : FFailures)
        out << "FAILED " << f << "\n";
    if (FFailureCount > static_cast<int>(FFailures.size()))
        out << "(" << FFailureCount - static_cast<int>(FFailures.size()) << " more failures)\n";
    return FFailureCount == 0;
}

} // namespace vorelt::test
