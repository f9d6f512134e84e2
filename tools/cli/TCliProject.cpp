#include "cli/TCliProject.h"
#include "cli/TRecordTextWriter.h"

#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TGVCPUPlaceholder.h"
#include "processing/db/TGVDb.h"
#include "project/RegisterCoreClasses.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"

#include <filesystem>
#include <functional>
#include <ostream>

namespace vorelt::cli {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char Usage[] = "usage: vorelt-cli new-project OUT.xml --data FILE\n"
                     "       vorelt-cli project PROJECT.xml [--save OUT.xml] [--dump NAME]\n";

void WalkTree(TGVCPU* p, int depth, const std::function<void(TGVCPU*, int)>& visit) {
    visit(p, depth);
    for (int i = 0; i < p->ChildCount(); ++i)
        WalkTree(p->Child(i), depth + 1, visit);
}

TGVCPU* FindByName(TGVCPU* root, const std::string& name) {
    TGVCPU* hit = nullptr;
    WalkTree(root, 0, [&](TGVCPU* p, int) {
        if (!hit && SameText(Trim(p->Name()), Trim(name))) hit = p;
    });
    return hit;
}

// The processor whose stream carries the records that reach `p`: a final processor shows what
// its parent passes on; a processor this program cannot run has no stream here.
TGVCPU* StreamOf(TGVCPU* p, std::string& error) {
    if (p->IsFinal()) return p->Parent();
    if (p->IsPlaceholder()) {
        error = p->Name() + ": " + p->ClassName() + " cannot run here";
        return nullptr;
    }
    return p;
}

int NewProject(const std::string& target, const std::string& dataFile, std::ostream& err) {
    TProjectAE project;
    std::string error;
    const std::string data = std::filesystem::absolute(dataFile).lexically_normal().string();
    if (!project.OpenDataFile(data, error)) {
        err << "error: " << dataFile << ": " << error << "\n";
        return ExitFailed;
    }
    project.SetName(std::filesystem::path(target).stem().string());
    if (!project.SaveProject(target, error)) {
        err << "error: " << target << ": " << error << "\n";
        return ExitFailed;
    }
    return ExitOk;
}

// The records that reach `processor` of the project in `fileName`.
int Dump(const std::string& fileName, TGVCPU* processor, std::ostream& out, std::ostream& err) {
    std::string error;
    TGVCPU* stream = StreamOf(processor, error);
    if (!stream) {
        err << "error: " << fileName << ": " << error << "\n";
        return ExitFailed;
    }
    TAERecord record;
    stream->PrepareRecord(record);
    TRecordTextWriter text(out);
    for (int i = 0; i < record.FieldCount(); ++i)
        text.Add(record.Field(i)->FieldName());
    text.EndLine();
    TAEPNav nav;
    const bool ok = ConsumeRecords(
        *stream, nav, record,
        [&](TAERecord& r, int32_t) {
            for (int i = 0; i < r.FieldCount(); ++i)
                text.Add(*r.Field(i));
            text.EndLine();
            return true;
        },
        error);
    const bool written = text.Flush();
    if (!ok) {
        err << "error: " << fileName << ": " << processor->Name() << ": " << error << "\n";
        return ExitFailed;
    }
    if (!written) {
        err << "error: " << fileName << ": the output could not be written\n";
        return ExitFailed;
    }
    return ExitOk;
}

int OpenProject(const std::string& fileName, const std::string& saveAs, const std::string& dump,
                std::ostream& out, std::ostream& err) {
    TProjectAE project;
    std::string error;
    if (!project.LoadProject(fileName, error)) {
        err << "error: " << fileName << ": " << error << "\n";
        return ExitFailed;
    }
    int status = ExitOk;
    if (!project.DbName().empty() && !project.OpenDataFile(project.DbName(), error)) {
        err << "error: " << project.DbName() << ": " << error << "\n";
        status = ExitFailed;
    }
    TGVDb& db = project.Db();
    if (!dump.empty()) {
        TGVCPU* p = FindByName(&db, dump);
        if (!p) {
            err << "error: " << fileName << ": no processor named " << dump << "\n";
            return ExitFailed;
        }
        const int dumped = Dump(fileName, p, out, err);
        return status != ExitOk ? status : dumped;
    }

    out << "project: " << project.Name() << "\n";
    out << "data file: " << project.DbName() << "\n";
    out << "tree:\n";
    WalkTree(&db, 1, [&](TGVCPU* p, int depth) {
        out << std::string(size_t(depth) * 2, ' ') << p->Name() << " [" << p->ClassName() << "]"
            << (p->ID().empty() ? "" : " " + p->ID()) << "\n";
    });
    out << "pages:\n";
    const TDispatchDraw& pages = project.Pages();
    for (int i = 0; i < pages.PageCount(); ++i) {
        const TAEPage* page = pages.Page(i);
        out << "  " << page->Name() << "\n";
        RecListGVCPU placement;
        for (int k = 0; k < page->PlacementCount(); ++k) {
            page->GetPlacement(k, placement);
            TGVCPU* p = db.FindProcessorByID(placement.ID);
            out << "    " << (p ? p->Name() : "?") << " " << placement.ID << " ("
                << FloatToStr(placement.TopLeftX) << "; " << FloatToStr(placement.TopLeftY)
                << ") - (" << FloatToStr(placement.BottomRightX) << "; "
                << FloatToStr(placement.BottomRightY) << ")\n";
        }
    }
    out << "records:\n";
    WalkTree(&db, 0, [&](TGVCPU* p, int) {
        std::string why;
        TGVCPU* stream = StreamOf(p, why);
        if (!stream) {
            out << p->Name() << ": -\n";
            return;
        }
        TAEPNav nav;
        TAERecord record;
        stream->PrepareRecord(record);
        const int32_t count = stream->RecordCount(nav, record);
        out << p->Name() << ": " << count << "\n";
        if (nav.Out.Status & nsError) {
            err << "error: " << fileName << ": " << p->Name() << ": " << nav.Out.Message << "\n";
            status = ExitFailed;
        }
    });
    std::string errors;
    db.CollectErrors(errors);
    if (!errors.empty()) {
        for (char& c : errors)
            if (c == '\r') c = '\n';
        err << "error: " << fileName << ": " << errors << "\n";
        status = ExitFailed;
    }
    if (!saveAs.empty() && !project.SaveProject(saveAs, error)) {
        err << "error: " << saveAs << ": " << error << "\n";
        status = ExitFailed;
    }
    return status;
}

} // namespace

bool IsProjectCommand(const std::string& command) {
    return command == "new-project" || command == "project";
}

int RunProjectCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    auto usage = [&](const std::string& why) {
        if (!why.empty()) err << "error: " << why << "\n";
        err << Usage;
        return ExitUsage;
    };
    if (args.empty() || !IsProjectCommand(args[0])) return usage("");
    std::vector<std::string> positional;
    std::string data, save, dump;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return usage("missing value of " + a);
        const std::string& value = args[++i];
        if (a == "--data" && args[0] == "new-project")
            data = value;
        else if (a == "--save" && args[0] == "project")
            save = value;
        else if (a == "--dump" && args[0] == "project")
            dump = value;
        else
            return usage("unknown option " + a);
    }
    RegisterCoreClasses();
    if (args[0] == "new-project") {
        if (positional.size() != 1 || data.empty())
            return usage("new-project takes a target file and --data FILE");
        return NewProject(positional[0], data, err);
    }
    if (positional.size() != 1) return usage("project takes one project file");
    return OpenProject(positional[0], save, dump, out, err);
}

} // namespace vorelt::cli
