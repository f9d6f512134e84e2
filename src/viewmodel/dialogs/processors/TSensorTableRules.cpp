#include "viewmodel/dialogs/processors/TSensorTableRules.h"

#include "persist/TNumberFormat.h"
#include "persist/TNumberInput.h"
#include "persist/TTextHelpers.h"
#include "processing/TGVCPU.h"
#include "processing/graph3d/TGVCPUGr3D.h"

#include <cmath>
#include <functional>

namespace vorelt {

namespace {

bool Blank(const TSensorRowText& row) {
    return Trim(row.Chan).empty() && Trim(row.X).empty() && Trim(row.Y).empty() &&
           Trim(row.Z).empty();
}

std::string RowPrefix(int row) {
    return "Row " + IntToStr(row + 1) + ": ";
}

// An empty Z is 0: plates are flat.
bool Coordinate(const std::string& text, bool emptyIsZero, double& value, std::string& error) {
    const std::string t = Trim(text);
    if (t.empty() && emptyIsZero) {
        value = 0;
        return true;
    }
    long double v = 0;
    if (!TryStrToFloat(t, v) || !std::isfinite(static_cast<double>(v))) {
        error = NumberTextError(TNumberRule{TNumberKind::Decimal}, t);
        return false;
    }
    value = static_cast<double>(v);
    return true;
}

TAEOBJ3D* SchemaBelow(TGVCPU& p) {
    if (auto* g = dynamic_cast<TGVCPUGr3D*>(&p); g && g->Data().Schema()) return g->Data().Schema();
    for (int i = 0; i < p.ChildCount(); ++i)
        if (TAEOBJ3D* s = SchemaBelow(*p.Child(i))) return s;
    return nullptr;
}

} // namespace

std::string SensorNumberText(double value) {
    return FloatToStr(value, 10);
}

std::vector<TSensorRowText> SensorRows(const TSensorLayout& layout) {
    std::vector<TSensorRowText> rows;
    rows.reserve(layout.Sensors().size());
    for (const TSensor& s : layout.Sensors())
        rows.push_back({IntToStr(s.Chan), SensorNumberText(s.X), SensorNumberText(s.Y),
                        SensorNumberText(s.Z)});
    return rows;
}

std::string SensorPipeText(const TSensor& sensor) {
    if (sensor.Pipe.empty()) return {};
    return sensor.Pipe + ": " + SensorNumberText(sensor.Along) + " mm";
}

bool SensorsFromRows(const std::vector<TSensorRowText>& rows, TSensorLayout& layout,
                     std::string& error, int& errorRow) {
    TSensorLayout made = layout;
    made.Clear();
    for (size_t i = 0; i < rows.size(); ++i) {
        const TSensorRowText& row = rows[i];
        const int r = static_cast<int>(i);
        if (Blank(row)) continue;
        errorRow = r;
        TSensor s;
        const std::string chan = Trim(row.Chan);
        if (!TryStrToInt(chan, s.Chan)) {
            error = RowPrefix(r) + "Invalid Channel " + chan;
            return false;
        }
        std::string why;
        if (!Coordinate(row.X, false, s.X, why) || !Coordinate(row.Y, false, s.Y, why) ||
            !Coordinate(row.Z, true, s.Z, why)) {
            error = RowPrefix(r) + why;
            return false;
        }
        if (const TSensor* old = layout.Find(s.Chan)) {
            s.Pipe = old->Pipe;
            s.Along = old->Along;
        }
        if (!made.Add(s, why)) {
            error = RowPrefix(r) + why;
            return false;
        }
    }
    errorRow = -1;
    layout = made;
    return true;
}

bool VelocityFromText(const std::string& text, TSensorLayout& layout, std::string& error) {
    double v = 0;
    if (!Coordinate(text, false, v, error)) return false;
    return layout.SetVelocity(v, error);
}

TAEOBJ3D* FindPipeSchema(TGVCPU& processor) {
    if (TAEOBJ3D* s = SchemaBelow(processor)) return s;
    TGVCPU* root = &processor;
    while (root->Parent())
        root = root->Parent();
    return SchemaBelow(*root);
}

} // namespace vorelt
