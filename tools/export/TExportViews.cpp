#include "export/TExportViews.h"

#include "persist/TTextHelpers.h"
#include "processing/TGVCPU.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/table/TGVCPUTbl.h"

#include <vector>

namespace vorelt::exporttool {

namespace {

enum class TViewKind { Table, Graph, Graph3D, Other };

TViewKind KindOf(const TGVCPU& p) {
    if (dynamic_cast<const TGVCPUTbl*>(&p)) return TViewKind::Table;
    if (dynamic_cast<const TGVCPUGr*>(&p)) return TViewKind::Graph;
    if (dynamic_cast<const TGVCPUGr3D*>(&p)) return TViewKind::Graph3D;
    return TViewKind::Other;
}

void CollectFinal(TGVCPU& p, std::vector<TGVCPU*>& out) {
    if (p.IsFinal()) out.push_back(&p);
    for (int i = 0; i < p.ChildCount(); ++i)
        CollectFinal(*p.Child(i), out);
}

bool Names(const std::string& a, const std::string& b) {
    return !Trim(a).empty() && SameText(Trim(a), Trim(b));
}

// A graph's caption is its title followed by " [NAME]": the title alone names it too.
std::string TitleOf(const TGVCPU& p) {
    const std::string caption = Trim(p.GetName());
    const std::string tail = " [" + Trim(p.Name()) + "]";
    if (caption.size() > tail.size() &&
        SameText(caption.substr(caption.size() - tail.size()), tail))
        return caption.substr(0, caption.size() - tail.size());
    return caption;
}

// "GR01 (graph)"
std::string Describe(const TGVCPU& p) {
    std::string kind;
    switch (KindOf(p)) {
    case TViewKind::Table:
        kind = "table";
        break;
    case TViewKind::Graph:
        kind = "graph";
        break;
    case TViewKind::Graph3D:
        kind = "3D graph";
        break;
    case TViewKind::Other:
        kind = p.KindName();
        break;
    }
    return p.Name() + " (" + kind + ")";
}

} // namespace

TExportFormat FormatOf(const std::string& target) {
    const std::string u = UpperCase(target);
    auto ends = [&](const char* tail) {
        const std::string t = tail;
        return u.size() >= t.size() && u.compare(u.size() - t.size(), t.size(), t) == 0;
    };
    if (ends(".CSV")) return TExportFormat::Csv;
    if (ends(".PNG")) return TExportFormat::Png;
    if (ends(".PDF")) return TExportFormat::Pdf;
    if (ends(".SVG")) return TExportFormat::Svg;
    return TExportFormat::Other;
}

TGVCPU* FindView(TGVCPU& root, const std::string& name) {
    std::vector<TGVCPU*> finals;
    CollectFinal(root, finals);
    for (TGVCPU* p : finals)
        if (Names(p->Name(), name)) return p;
    for (TGVCPU* p : finals)
        if (Names(p->GetName(), name) || Names(TitleOf(*p), name)) return p;
    return nullptr;
}

std::string ExportRefusal(const std::string& projectFile, TGVCPU& root, const TGVCPU* view,
                          const std::string& name, const std::string& target,
                          TExportFormat format) {
    const std::string head = "error: " + projectFile + ": ";
    if (!view) {
        std::vector<TGVCPU*> finals;
        CollectFinal(root, finals);
        std::string text = head + "no view named \"" + name + "\"";
        if (finals.empty()) return text + ": the project has no views\n";
        text += "; the views are:";
        constexpr size_t listed = 40;
        for (size_t i = 0; i < finals.size() && i < listed; ++i)
            text += (i ? ", " : " ") + Describe(*finals[i]);
        if (finals.size() > listed)
            text += " and " + std::to_string(finals.size() - listed) + " more";
        return text + "\n";
    }
    const std::string who = view->Name();
    switch (KindOf(*view)) {
    case TViewKind::Table:
        if (format == TExportFormat::Csv) return {};
        return head + who + " is a table: export it as .csv, not as " + target + "\n";
    case TViewKind::Graph:
        if (format == TExportFormat::Png || format == TExportFormat::Pdf ||
            format == TExportFormat::Svg)
            return {};
        return head + who + " is a graph: export it as .png, .pdf or .svg, not as " + target + "\n";
    case TViewKind::Graph3D:
        return head + who +
               " is a 3D graph: it is drawn only in the OpenGL window of Vorelt; vorelt-export "
               "writes tables (.csv) and 2D graphs (.png, .pdf, .svg)\n";
    case TViewKind::Other:
        break;
    }
    return head + who + " is a " + view->KindName() +
           ": vorelt-export writes tables (.csv) and 2D graphs (.png, .pdf, .svg)\n";
}

} // namespace vorelt::exporttool
