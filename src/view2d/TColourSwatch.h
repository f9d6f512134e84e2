#pragma once
// A small square of a colour with a grey frame, shown beside a colour's name in lists, so that
// "Color 12" is seen, not only read.

#include "viewmodel/canvas/TypesPrg.h"

#include <QIcon>

namespace vorelt {

QIcon ColourSwatch(TColor colour, int side = 14);

} // namespace vorelt
