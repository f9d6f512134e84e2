#pragma once
// Which view of a project a name means, and whether the asked format suits it: tables are
// written as CSV, 2D graphs as PNG, PDF or SVG pictures; 3D graphs need the OpenGL window and are
// not exported. Every refusal names the project file and says what would be right.

#include <string>

namespace vorelt {
class TGVCPU;
}

namespace vorelt::exporttool {

enum class TExportFormat { Csv, Png, Pdf, Svg, Other };

// By the target's extension, without regard to case.
TExportFormat FormatOf(const std::string& target);

// The final processor named `name` (its processor name, else its view's caption), searched
// from the root down; none when no final processor answers to the name.
TGVCPU* FindView(TGVCPU& root, const std::string& name);

// Why the view cannot be written in `format`, as "error: PROJECT: ..." lines; empty when it
// can. `view` may be none: the message then lists the views there are.
std::string ExportRefusal(const std::string& projectFile, TGVCPU& root, const TGVCPU* view,
                          const std::string& name, const std::string& target, TExportFormat format);

} // namespace vorelt::exporttool
