#pragma once
// Painting an axis on its strip: the caption (rotated along vertical axes), the ticks and the
// labels in the axis's label format, or "Empty Mark Aixs" when the axis has no marks.

#include "view2d/TAixsBase.h"
#include "view2d/TQtTextMetrics.h"

class QPainter;

namespace vorelt {

inline constexpr char txtEmptyMarkAixs[] = "Empty Mark Aixs";

// Paints the strip of width x height pixels; `face` fills it first.
void PaintAixs(const TAixsBase& axis, QPainter& painter, int32_t width, int32_t height,
               const TQtTextMetrics& fonts, TColor face = clBtnFace);

} // namespace vorelt
