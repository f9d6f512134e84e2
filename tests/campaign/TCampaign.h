#pragma once
// The campaign of bad input against vorelt-cli: mutated data files of every binary format,
// damaged SQLite databases, broken companion logs, broken project files and special files.
// Each case runs the command line with a time limit and checks that nothing crashed, hung or
// drew a sanitizer report, that every data file is byte-identical afterwards, that every
// refusal has a non-zero status and a message naming the file and the reason, and that every
// copy the command line wrote opens again.

#include "TCommandRun.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace vorelt::test {

struct TCampaignOptions {
    std::string Cli;        // the vorelt-cli to try
    std::string Export;     // the vorelt-export to try
    std::string MkDemo;     // the vorelt-mkdemo that makes the demo project
    std::string WorkDir;    // cases are written here; a new temporary folder when empty
    std::string SharedData; // the real acquisition files; none when empty
    uint32_t Seed = 20240611;
    int BinaryCases = 60; // per binary format
    int SqliteCases = 40;
    int WaveCases = 30; // damaged waveforms of transient databases and DiSP files
    int LogCases = 30;
    int ProjectCases = 40;
    int ExportCases = 40; // mutated demo projects, each exported and read by vorelt-cli
    int DemoHits = 2000;
    long MemoryLimitMb = 400; // peak resident memory a case may take
    long AddressLimitMb = 0;  // an address-space limit for every run; none when 0
    double Timeout = 20;      // seconds per command
    int MaxReported = 30;
    // The parts to run (isa, pci, disp, spartan, sqlite, waves, logs, projects, special,
    // export);
    // all when empty.
    std::vector<std::string> Parts;
};

class TCampaign {
public:
    explicit TCampaign(TCampaignOptions options);
    ~TCampaign();
    TCampaign(const TCampaign&) = delete;
    TCampaign& operator=(const TCampaign&) = delete;

    // Runs every part and writes the counts to `out`; false when any case failed.
    bool Run(std::ostream& out);

private:
    struct TCounts {
        int Cases = 0;
        int Accepted = 0; // the data file or project opened
        int Refused = 0;  // refused with a non-zero status
        int Copies = 0;   // sorted or filtered copies written and opened again
        int Runs = 0;     // command-line runs
        int Failures = 0;
    };
    // The files of one case: those that must stay byte-identical, and those a message may name.
    struct TCase {
        std::string Part;
        std::string What;
        std::vector<std::string> Kept;
        std::vector<std::string> Names;
        bool OtherNames = false; // a processor may be named instead of a file
    };

    TCommandResult Cli(TCase& c, const std::vector<std::string>& args,
                       const std::string& outFile = {});
    TCommandResult ExportTool(TCase& c, const std::vector<std::string>& args,
                              const std::string& outFile = {});
    // One run of a program under test, with every check that applies to all runs.
    TCommandResult Tool(TCase& c, const std::string& program, const std::string& shown,
                        const std::vector<std::string>& args, const std::string& outFile);
    void Fail(TCase& c, const std::string& why);
    // Records the fingerprints of the kept files, and checks them afterwards.
    std::map<std::string, std::string> Fingerprints(const TCase& c) const;
    void CheckKept(TCase& c, const std::map<std::string, std::string>& before);
    // Whether the command output names one of the case's files and a reason after it.
    bool NamesFileAndReason(const TCase& c, const std::string& err) const;
    std::string CaseDir(const std::string& part);
    void Clear(const std::string& dir);

    // One data file: info, then by turns a sorted copy, a filtered copy or a dump.
    void RunDataCase(TCase& c, const std::string& file, int turn, bool expectCopies);
    void RunBinary(const std::string& format, std::ostream& out);
    void RunSqlite(std::ostream& out);
    void RunWaves(std::ostream& out);
    void RunLogs(std::ostream& out);
    void RunProjects(std::ostream& out);
    void RunSpecialFiles(std::ostream& out);
    // Mutated demo projects with views through vorelt-export (every view, every format) and
    // vorelt-cli, and exports onto the files of the project.
    void RunExport(std::ostream& out);
    // Checks what an export that reported success wrote.
    void CheckExported(TCase& c, const std::string& target);

    std::string Generate(const std::string& format, const std::string& file, uint64_t hits,
                         uint64_t seed);
    std::string RealFile(const std::string& relPath) const;
    void Report(std::ostream& out, const std::string& part, const TCounts& counts);
    void NoteReason(const TCase& c, const std::string& err);
    // A line on stderr now and then, so that a run of hours shows it is moving.
    void Progress(const std::string& part, int done, int total);

    TCampaignOptions FOptions;
    std::string FDir;
    bool FOwnDir = false;
    std::string FCliSource; // the program the copy was taken from
    // The largest peak memory and the slowest run, with their commands.
    long FPeakKb = 0;
    std::string FPeakCommand;
    double FSlowest = 0;
    std::string FSlowestCommand;
    std::mt19937 FRng;
    std::map<std::string, TCounts> FCounts;
    std::vector<std::string> FFailures;
    // Reasons of the refusals, with numbers and names taken out, and how often each came.
    std::map<std::string, int> FReasons;
    int FFailureCount = 0;
};

} // namespace vorelt::test
