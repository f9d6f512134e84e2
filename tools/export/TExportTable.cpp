#include "export/TExportTable.h"

#include "export/TExportGraph.h"
#include "export/TExportViews.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/RegisterGraphClasses.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "processing/table/TTableCsv.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"

#include <functional>

namespace vorelt::exporttool {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char Usage[] =
    "usage: vorelt-export PROJECT.xml NAME OUT.csv\n"
    "       vorelt-export PROJECT.xml NAME OUT.png|OUT.pdf|OUT.svg [--size WxH] [--dpi N]\n"
    "                     [--scheme report|screen]\n"
    "       vorelt-export PROJECT.xml --list\n";

} // namespace

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        out << Usage;
        return ExitOk;
    }
    if (args.size() == 2 && args[1] == "--list") return ListViews(args[0], out, err);
    if (args.size() < 3) {
        err << Usage;
        return ExitUsage;
    }
    const TExportFormat format = FormatOf(args[2]);
    if (format == TExportFormat::Other) {
        err << "error: " << args[0] << ": " << args[2]
            << ": not a .csv, .png, .pdf or .svg file: vorelt-export writes tables as .csv "
               "and graphs as .png, .pdf or .svg\n";
        return ExitFailed;
    }
    if (format != TExportFormat::Csv) {
        TGraphExportOptions options;
        for (size_t i = 3; i < args.size(); i += 2) {
            const bool valued = i + 1 < args.size();
            if (valued && args[i] == "--size" &&
                ParseSize(args[i + 1], options.Width, options.Height))
                continue;
            if (valued && args[i] == "--dpi" && ParseDpi(args[i + 1], options.Dpi)) continue;
            if (valued && args[i] == "--scheme" &&
                (args[i + 1] == "report" || args[i + 1] == "screen")) {
                options.ScreenScheme = args[i + 1] == "screen";
                continue;
            }
            err << "error: " << args[i] << (valued ? " " + args[i + 1] : std::string())
                << ": not understood\n"
                << Usage;
            return ExitUsage;
        }
        return ExportGraph(args[0], args[1], args[2], options, out, err);
    }
    if (args.size() != 3) {
        err << Usage;
        return ExitUsage;
    }
    RegisterCoreClasses();
    RegisterTableClasses();
    // Graphs are known by their class, so that a graph asked for as CSV is named as one.
    RegisterGraphClasses();
    const std::string& projectFile = args[0];
    const std::string& name = args[1];
    const std::string& target = args[2];
    TProjectAE project;
    std::string error;
    if (!project.LoadProject(projectFile, error)) {
        err << "error: " << projectFile << ": " << error << "\n";
        return ExitFailed;
    }
    TGVCPU* view = FindView(project.Db(), name);
    if (const std::string refusal =
            ExportRefusal(projectFile, project.Db(), view, name, target, format);
        !refusal.empty()) {
        err << refusal;
        return ExitFailed;
    }
    auto* table = dynamic_cast<TGVCPUTbl*>(view);
    if (project.DbName().empty() || !project.OpenDataFile(project.DbName(), error)) {
        err << "error: " << projectFile << ": data file " << project.DbName() << ": " << error
            << "\n";
        return ExitFailed;
    }
    if (!table->Data().LoadRows(error)) {
        err << "error: " << projectFile << ": " << name << ": " << error << "\n";
        return ExitFailed;
    }
    if (!ExportTableCsv(*table, target, error)) {
        err << "error: " << projectFile << ": " << target << ": " << error << "\n";
        return ExitFailed;
    }
    out << table->Data().RowCount() << " rows\n";
    return ExitOk;
}

} // namespace vorelt::exporttool
