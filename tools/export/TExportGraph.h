#pragma once
// The graph side of vorelt-export: the list of a project's views, and a graph drawn as it
// would look on screen into a PNG image or a one-page PDF, on the offscreen platform.

#include <ostream>
#include <string>

namespace vorelt::exporttool {

// Every final processor of the project: name, kind and view class, one per line.
int ListViews(const std::string& projectFile, std::ostream& out, std::ostream& err);

// Runs the branch of the graph named `name` and writes the view of width x height pixels.
int ExportGraph(const std::string& projectFile, const std::string& name, const std::string& target,
                int width, int height, std::ostream& out, std::ostream& err);

// "WxH" with both sides between 64 and 10000 pixels.
bool ParseSize(const std::string& text, int& width, int& height);

} // namespace vorelt::exporttool
