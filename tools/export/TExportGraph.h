#pragma once
// The graph side of vorelt-export: the list of a project's views, and a graph drawn as a report
// shows it (title, axes, data, legend; no window) into a PNG image, a one-page PDF or an SVG.

#include <ostream>
#include <string>

namespace vorelt::exporttool {

// Every final processor of the project: name, kind and view class, one per line.
int ListViews(const std::string& projectFile, std::ostream& out, std::ostream& err);

struct TGraphExportOptions {
    int Width = 1280;
    int Height = 800;
    int Dpi = 96;
    // The view's colour scheme instead of the white report style.
    bool ScreenScheme = false;
};

// Runs the branch of the graph named `name` and writes its picture.
int ExportGraph(const std::string& projectFile, const std::string& name, const std::string& target,
                const TGraphExportOptions& options, std::ostream& out, std::ostream& err);

// "WxH" with both sides between 64 and 10000 pixels.
bool ParseSize(const std::string& text, int& width, int& height);
// A resolution from 36 to 1200 dots per inch.
bool ParseDpi(const std::string& text, int& dpi);

} // namespace vorelt::exporttool
