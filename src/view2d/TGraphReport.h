#pragma once
// A 2D graph as a report shows it: the title, the axes with their captions and units, the
// data and the legend, without the window's chrome (title bar, check box, detach arrow). It is
// drawn straight onto the picture's own device, so that PDF and SVG keep text as text and
// lines as lines; a plot of many points embeds its data as an image, which keeps the file
// small and quick to open.

#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/graph/TReportLayout.h"

#include <QByteArray>
#include <string>
#include <vector>

namespace vorelt {

class TGraphVC;

enum class TReportFormat { Png, Pdf, Svg };

struct TReportOptions {
    int32_t Width = 1200;
    int32_t Height = 800;
    int32_t Dpi = 96;
    // The view's own colour scheme instead of the white report style.
    bool ScreenScheme = false;
    TReportFormat Format = TReportFormat::Png;
};

// Above this many drawn points, PDF and SVG carry the data as an image.
inline constexpr int ReportVectorPoints = 100000;

// An axis label as drawn: its axis kind, its text and its box in picture pixels.
struct TReportLabel {
    uint8_t Axis = 0;
    std::string Text;
    TReportBox Box;
};

// Where the parts of a drawn picture went, for whoever checks it.
struct TReportPicture {
    TReportLayout Layout;
    std::vector<TReportLabel> Labels;
};

// By the file name's extension (any case); false for other names.
bool ReportFormatOf(const std::string& fileName, TReportFormat& format);
// The colours of the picture: the white report style, or the view's scheme.
TColorScheme ReportScheme(const TGraphVC& view, bool screen);
// Draws the filled graph into the bytes of a picture file. The view is as before afterwards.
// False, with the reason, when the picture cannot be made (a size or resolution out of range,
// an empty graph, an encoder failure).
bool RenderGraphReport(TGraphVC& view, const TReportOptions& options, QByteArray& bytes,
                       std::string& error, TReportPicture* picture = nullptr);

} // namespace vorelt
