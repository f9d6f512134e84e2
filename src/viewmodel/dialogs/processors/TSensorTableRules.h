#pragma once
// The sensor table of the source-location settings without a window: the texts a row shows,
// the layout the typed rows make (with the refusal naming the row), and where the sensors of
// a pipe schema come from.

#include "processing/location/TSensorLayout.h"

#include <string>
#include <vector>

namespace vorelt {

class TAEOBJ3D;
class TGVCPU;

// One row as typed: channel, X, Y, Z in mm; decimals show the comma and take "." typed.
struct TSensorRowText {
    std::string Chan;
    std::string X;
    std::string Y;
    std::string Z;
};

std::vector<TSensorRowText> SensorRows(const TSensorLayout& layout);
// Where a sensor sits on the pipework ("P2: 1200 mm"); empty for a sensor on no pipe.
std::string SensorPipeText(const TSensor& sensor);
// The decimal text of a coordinate or a velocity, decimal comma.
std::string SensorNumberText(double value);

// The sensors of the rows in `layout` (velocity, method and arrival stay). Rows with every
// cell blank are skipped; a sensor keeps its place on a pipe when its channel had one in
// `layout`. False, with `layout` unchanged, when a row is refused: `error` is
// "Row 3: Invalid Channel 130", "Row 4: Duplicate Channel 3" or "Row 2: 'x' is not a valid
// floating point value", and `errorRow` the row's index (from 0).
bool SensorsFromRows(const std::vector<TSensorRowText>& rows, TSensorLayout& layout,
                     std::string& error, int& errorRow);

// A velocity typed in m/s; refuses a text that is no number or no positive one.
bool VelocityFromText(const std::string& text, TSensorLayout& layout, std::string& error);

// The pipe schema the sensors are taken from: the first 3D graph with a schema below
// `processor`, else the first one anywhere in its tree; none when the tree has none.
TAEOBJ3D* FindPipeSchema(TGVCPU& processor);

} // namespace vorelt
