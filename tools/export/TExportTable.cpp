#include "export/TExportTable.h"

#include "export/TExportGraph.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/db/TGVDb.h"
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

const char Usage[] = "usage: vorelt-export PROJECT.xml NAME OUT.csv|OUT.png|OUT.pdf [--size WxH]\n"
                     "       vorelt-export PROJECT.xml --list\n";

TGVCPU* FindByName(TGVCPU* p, const std::string& name) {
    if (SameText(Trim(p->Name()), Trim(name))) return p;
    for (int i = 0; i < p->ChildCount(); ++i)
        if (TGVCPU* hit = FindByName(p->Child(i), name)) return hit;
    return nullptr;
}

} // namespace

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        out << Usage;
        return ExitOk;
    }
    if (args.size() == 2 && args[1] == "--list") return ListViews(args[0], out, err);
    const bool picture = args.size() >= 3 && (UpperCase(args[2]).ends_with(".PNG") ||
                                              UpperCase(args[2]).ends_with(".PDF"));
    if (picture) {
        int width = 1280, height = 800;
        if (args.size() == 5 && args[3] == "--size" && ParseSize(args[4], width, height))
            return ExportGraph(args[0], args[1], args[2], width, height, out, err);
        if (args.size() == 3)
            return ExportGraph(args[0], args[1], args[2], width, height, out, err);
        err << Usage;
        return ExitUsage;
    }
    if (args.size() != 3) {
        err << Usage;
        return ExitUsage;
    }
    RegisterCoreClasses();
    RegisterTableClasses();
    const std::string& projectFile = args[0];
    const std::string& name = args[1];
    const std::string& target = args[2];
    TProjectAE project;
    std::string error;
    if (!project.LoadProject(projectFile, error)) {
        err << "error: " << projectFile << ": " << error << "\n";
        return ExitFailed;
    }
    if (project.DbName().empty() || !project.OpenDataFile(project.DbName(), error)) {
        err << "error: " << project.DbName() << ": " << error << "\n";
        return ExitFailed;
    }
    auto* table = dynamic_cast<TGVCPUTbl*>(FindByName(&project.Db(), name));
    if (!table) {
        err << "error: no table named " << name << "\n";
        return ExitFailed;
    }
    if (!table->Data().LoadRows(error)) {
        err << "error: " << name << ": " << error << "\n";
        return ExitFailed;
    }
    if (!ExportTableCsv(*table, target, error)) {
        err << "error: " << target << ": " << error << "\n";
        return ExitFailed;
    }
    out << table->Data().RowCount() << " rows\n";
    return ExitOk;
}

} // namespace vorelt::exporttool
