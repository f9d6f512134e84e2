#include "export/TExportGraph.h"

#include "drivers/TWriteTarget.h"
#include "export/TExportViews.h"
#include "persist/TFileWriter.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TGVFinal.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TGraphReport.h"
#include "view2d/TGraphVC.h"

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <memory>

namespace vorelt::exporttool {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;

void ListFinal(const TGVCPU& p, std::ostream& out) {
    if (p.IsFinal()) {
        const auto* f = dynamic_cast<const TGVFinal*>(&p);
        std::string caption;
        if (f && f->GetView())
            if (const auto* vc = dynamic_cast<const TVisualClass*>(f->GetView()))
                caption = vc->GetCaption();
        out << p.Name() << "\t" << p.KindName() << "\t" << caption << "\n";
    }
    for (int i = 0; i < p.ChildCount(); ++i)
        ListFinal(*p.Child(i), out);
}

} // namespace

bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    int32_t w = 0, h = 0;
    if (!TryStrToInt(text.substr(0, x), w) || !TryStrToInt(text.substr(x + 1), h)) return false;
    if (w < 64 || h < 64 || w > 10000 || h > 10000) return false;
    width = w;
    height = h;
    return true;
}

bool ParseDpi(const std::string& text, int& dpi) {
    int32_t v = 0;
    if (!TryStrToInt(text, v) || v < 36 || v > 1200) return false;
    dpi = v;
    return true;
}

int ListViews(const std::string& projectFile, std::ostream& out, std::ostream& err) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char tool[] = "vorelt-export";
    char* argv[] = {tool, nullptr};
    QApplication app(argc, argv);
    RegisterCoreClasses();
    RegisterView2dClasses();
    TProjectAE project;
    std::string error;
    if (!project.LoadProject(projectFile, error)) {
        err << "error: " << projectFile << ": " << error << "\n";
        return ExitFailed;
    }
    ListFinal(project.Db(), out);
    return ExitOk;
}

int ExportGraph(const std::string& projectFile, const std::string& name, const std::string& target,
                const TGraphExportOptions& options, std::ostream& out, std::ostream& err) {
    TReportFormat format = TReportFormat::Png;
    if (!ReportFormatOf(target, format)) {
        err << "error: " << target << ": not a .png, .pdf or .svg file\n";
        return ExitFailed;
    }
    // The tool always draws on the offscreen platform; the application outlives the project.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char tool[] = "vorelt-export";
    char* argv[] = {tool, nullptr};
    QApplication app(argc, argv);
    RegisterCoreClasses();
    RegisterView2dClasses();
    TProjectAE project;
    std::string error;
    if (!project.LoadProject(projectFile, error)) {
        err << "error: " << projectFile << ": " << error << "\n";
        return ExitFailed;
    }
    TGVCPU* found = FindView(project.Db(), name);
    if (const std::string refusal =
            ExportRefusal(projectFile, project.Db(), found, name, target, FormatOf(target));
        !refusal.empty()) {
        err << refusal;
        return ExitFailed;
    }
    auto* graph = dynamic_cast<TGVCPUGr*>(found);
    auto* view = graph ? dynamic_cast<TGraphVC*>(graph->GetView()) : nullptr;
    if (!view) {
        err << "error: " << projectFile << ": " << name << ": the graph has no view\n";
        return ExitFailed;
    }
    // Refused before any work: the picture must not replace the recording, its log or the project.
    std::string reason;
    if (!CheckWriteTarget(target, {project.DbName(), projectFile}, reason)) {
        err << "error: " << projectFile << ": " << target << ": " << reason << "\n";
        return ExitFailed;
    }
    if (project.DbName().empty() || !project.OpenDataFile(project.DbName(), error)) {
        err << "error: " << projectFile << ": data file " << project.DbName() << ": " << error
            << "\n";
        return ExitFailed;
    }
    // The view is filled without a window: the report draws it at its own size.
    const auto start = std::chrono::steady_clock::now();
    view->SetActive(true);
    const auto filled = std::chrono::steady_clock::now();
    if (!view->Active()) {
        err << "error: " << projectFile << ": " << name << ": "
            << (view->FillError().empty() ? std::string("the graph could not be filled")
                                          : view->FillError())
            << "\n";
        view->Detach();
        return ExitFailed;
    }
    TReportOptions report;
    report.Width = options.Width;
    report.Height = options.Height;
    report.Dpi = options.Dpi;
    report.ScreenScheme = options.ScreenScheme;
    report.Format = format;
    // Encoded in memory, then written beside the target and renamed over it: a full disk or
    // an I/O error leaves the old file as it was.
    QByteArray bytes;
    const bool encoded = RenderGraphReport(*view, report, bytes, error);
    view->Detach();
    if (!encoded) {
        err << "error: " << projectFile << ": " << target << ": " << error << "\n";
        return ExitFailed;
    }
    if (!WriteFileAtomically(target, std::string_view(bytes.constData(), bytes.size()), error)) {
        err << "error: " << projectFile << ": " << error << "\n";
        return ExitFailed;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(filled - start).count();
    out << view->RecordsRead() << " records, fill " << ms << " ms\n";
    return ExitOk;
}

} // namespace vorelt::exporttool
