// The part of the campaign for projects with views: the demo project (a table, three graphs
// and a 3D graph on a 2,000-hit recording) broken in the ways a careless user, another program
// or an attacker breaks an XML file, then exported by vorelt-export, every view to every
// format in turn, and read by vorelt-cli. Exports onto the project's own files are tried too.

#include "TCampaign.h"

#include "TSha1.h"
#include "common/TByteMutator.h"
#include "common/TViewProjectBreaker.h"
#include "common/TestData.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace vorelt::test {

namespace fs = std::filesystem;

namespace {

// The views of the demo, a name that is none, and the formats tried.
const char* const kViews[] = {"TB01", "GR01", "GR02", "GR03", "3D01", "Amplitude", "NOPE"};
const char* const kFormats[] = {".csv", ".png", ".pdf", ".svg"};

void RemoveFile(const std::string& file) {
    std::error_code ec;
    fs::remove(file, ec);
}

bool StartsWith(const std::string& s, const std::string& head) {
    return s.compare(0, head.size(), head) == 0;
}

} // namespace

void TCampaign::CheckExported(TCase& c, const std::string& target) {
    const std::string bytes = ReadFileBytes(target);
    const std::string ext = fs::path(target).extension().string();
    if (ext == ".png") {
        if (!StartsWith(bytes, "\x89PNG") || bytes.find("IEND") == std::string::npos)
            Fail(c, "the PNG written is no whole PNG: " + target);
    } else if (ext == ".pdf") {
        if (!StartsWith(bytes, "%PDF") || bytes.find("%%EOF") == std::string::npos)
            Fail(c, "the PDF written is no whole PDF: " + target);
    } else if (ext == ".svg") {
        if (bytes.find("<svg") == std::string::npos || bytes.find("</svg>") == std::string::npos)
            Fail(c, "the SVG written is no whole SVG: " + target);
    } else if (ext == ".csv") {
        if (bytes.empty()) Fail(c, "the CSV written is empty: " + target);
    } else {
        Fail(c, "an export was written as " + ext + ": " + target);
    }
}

void TCampaign::RunExport(std::ostream& out) {
    const std::string part = "export";
    const std::string dir = CaseDir(part);
    TCounts& k = FCounts[part];
    if (FOptions.Export.empty() || FOptions.MkDemo.empty()) {
        TCase c{part, "set-up", {}, {}};
        Fail(c, "no vorelt-export or vorelt-mkdemo given");
        Report(out, part, k);
        return;
    }
    // The demo on its recording; the seed project is read once and broken again for each case.
    {
        TCase c{part, "making the demo", {}, {dir}};
        const TCommandResult r = Tool(c, FOptions.MkDemo, "vorelt-mkdemo",
                                      {dir, "--hits", std::to_string(FOptions.DemoHits)}, {});
        if (r.Status != 0) {
            Fail(c, "the demo was not made: " + r.Err);
            Report(out, part, k);
            return;
        }
    }
    const std::string project = dir + "/demo.xml";
    const std::string data = dir + "/demo.pci";
    const std::string log = dir + "/demo.log";
    const std::string seed = ReadFileBytes(project);
    const std::string saved = dir + "/saved.xml";
    auto names = [&](const std::string& target) {
        return std::vector<std::string>{project, target, data, log, saved};
    };

    // The valid demo: every view to every format; tables and 2D graphs are written.
    for (const char* view : kViews) {
        for (const char* format : kFormats) {
            const std::string target = dir + "/out" + format;
            TCase c{part,
                    std::string("demo: ") + view + " as " + format,
                    {project, data},
                    names(target)};
            ++k.Cases;
            const auto before = Fingerprints(c);
            const TCommandResult r = ExportTool(c, {project, view, target});
            const std::string v = view, f = format;
            const bool writable =
                ((v == "TB01") && f == ".csv") ||
                ((v == "GR01" || v == "GR02" || v == "GR03" || v == "Amplitude") &&
                 (f == ".png" || f == ".pdf" || f == ".svg"));
            if (r.Status == 0) {
                ++k.Accepted;
                if (!writable) Fail(c, "exported what cannot be exported");
                CheckExported(c, target);
            } else {
                ++k.Refused;
                if (writable) Fail(c, "a valid export refused: " + r.Err);
            }
            CheckKept(c, before);
            RemoveFile(target);
        }
    }

    // Exports onto the project's own files: refused, nothing changed. The link and pipe cases
    // need the target rule of every written file.
    {
        const std::string linkPng = dir + "/link.png";
        const std::string linkCsv = dir + "/link.csv";
        const std::string linkPdf = dir + "/link.pdf";
        fs::create_symlink("demo.pci", linkPng);
        fs::create_symlink("demo.pci", linkCsv);
        fs::create_symlink("demo.xml", linkPdf);
        const std::string fifo = dir + "/pipe.png";
        ::mkfifo(fifo.c_str(), 0644);
        const std::vector<std::pair<std::string, std::string>> onto = {
            {"TB01", data},    {"TB01", project}, {"TB01", log},
            {"GR01", data},    {"GR01", project}, {"TB01", linkCsv},
            {"GR01", linkPng}, {"GR02", linkPdf}, {"GR01", fifo}};
        for (const auto& [view, target] : onto) {
            TCase c{part,
                    "export of " + view + " onto " + fs::path(target).filename().string(),
                    {project, data, log},
                    names(target)};
            ++k.Cases;
            const auto before = Fingerprints(c);
            const TCommandResult r = ExportTool(c, {project, view, target});
            if (r.Status == 0)
                Fail(c, "exported onto " + target);
            else
                ++k.Refused;
            CheckKept(c, before);
        }
        RemoveFile(linkPng);
        RemoveFile(linkCsv);
        RemoveFile(linkPdf);
        RemoveFile(fifo);
    }

    // The broken projects.
    TByteMutator mutator(FRng());
    for (int i = 0; i < FOptions.ExportCases; ++i) {
        std::string bytes = seed;
        const std::string what = BreakViewProject(bytes, FRng, mutator);
        WriteFileBytes(project, bytes);
        const size_t combo = static_cast<size_t>(i) % (std::size(kViews) * std::size(kFormats));
        const std::string view = kViews[combo % std::size(kViews)];
        const std::string format = kFormats[(combo / std::size(kViews)) % std::size(kFormats)];
        const std::string target = dir + "/out" + format;
        TCase c{part,
                "case " + std::to_string(i + 1) + ", " + what,
                {project, data, log},
                names(target)};
        c.OtherNames = false;
        ++k.Cases;
        const auto before = Fingerprints(c);
        const TCommandResult r = ExportTool(c, {project, view, target});
        if (r.Status == 0) {
            ++k.Accepted;
            CheckExported(c, target);
        } else {
            ++k.Refused;
        }
        // The same project through the core's reader, and saved again by turns.
        if (i % 2 == 0) {
            TCase p{part, c.What, c.Kept, c.Names};
            p.OtherNames = true;
            const TCommandResult q = Cli(p, {"project", project, "--save", saved});
            if (q.Status == 0) {
                // What was saved opens again.
                const TCommandResult again = Cli(p, {"project", saved});
                if (again.Status != 0) Fail(p, "the saved project does not open again");
            }
        }
        CheckKept(c, before);
        RemoveFile(target);
        RemoveFile(saved);
        Progress(part, i + 1, FOptions.ExportCases);
    }
    WriteFileBytes(project, seed);
    Report(out, part, k);
}

} // namespace vorelt::test
