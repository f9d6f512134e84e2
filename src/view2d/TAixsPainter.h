#pragma once
// Painting an axis on its strip: the caption (rotated along vertical axes), the ticks and the
// labels in the axis's label format, or "No Axis Marks" when the axis has no marks.

#include "view2d/TQtTextMetrics.h"
#include "viewmodel/axes/TAixsBase.h"

class QPainter;

namespace vorelt {

inline constexpr char txtEmptyMarkAixs[] = "No Axis Marks";

// Paints the strip of width x height pixels; `face` fills it first. `plotStart` is where the
// plot that the axis tells begins along the strip (its top for vertical axes, its left for the
// bottom axis), in strip pixels: ticks and labels go where the plot draws their values.
void PaintAixs(const TAixsBase& axis, QPainter& painter, int32_t width, int32_t height,
               const TQtTextMetrics& fonts, TColor face = clBtnFace, int32_t plotStart = 0);

} // namespace vorelt
