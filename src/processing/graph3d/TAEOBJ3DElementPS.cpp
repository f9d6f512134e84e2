#include "processing/graph3d/TAEOBJ3DElementPS.h"

#include "processing/graph3d/TAEOBJ3DSchema.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorelt {

long double CosDegrees(long double degrees) {
    const long double r = std::fmod(degrees, 360.0L);
    if (r == 0) return 1;
    if (r == 90 || r == -270) return 0;
    if (r == 180 || r == -180) return -1;
    if (r == 270 || r == -90) return 0;
    return std::cos(r * std::numbers::pi_v<long double> / 180);
}

long double SinDegrees(long double degrees) {
    return CosDegrees(degrees - 90);
}

TAEOBJ3D* TAEOBJ3DElementPS::PreviousElement(bool skipSensors) const {
    TAEOBJ3D* parent = FParent;
    if (!parent) return nullptr;
    for (int i = parent->IndexOf(this); i > 0; --i) {
        TAEOBJ3D* prev = parent->Child(i - 1);
        if (!skipSensors || prev->IsActive()) return prev;
    }
    return parent;
}

int32_t TAEOBJ3DElementPS::SchemaScale() const {
    if (auto* s = dynamic_cast<const TAEOBJ3DPipesSchema*>(Schema())) return s->Scale();
    return 1000;
}

bool TAEOBJ3DActiveElementPS::PointAlong(long double, TPoint3& p) const {
    return FComputed && CoordPoint(1, p);
}

TAEOBJ3DRunElementPS::TAEOBJ3DRunElementPS(IObj3DOwner* owner) : TAEOBJ3DActiveElementPS(owner) {
    AddInteger("TypeCoord", "", "", 0);
    AddFloat("Height", "Height", "M.", 0);
    AddFloat("Length", "Length", "M.", 0);
    AddInteger("AngleXY", "Angle XY", "Degree", 0);
    AddInteger("AngleXZ", "Angle XZ", "Degree", 0);
    AddBoolean("IsScale", "IsScale", false);
    AddInteger("Scale", "Scale", "cm", 1000);
    AddString("Title", "Title");
}

int32_t TAEOBJ3DRunElementPS::ElementScale() const {
    if (PropertyBool("IsScale")) {
        const int32_t own = PropertyInt("Scale");
        return own > 0 ? own : 1000;
    }
    return SchemaScale();
}

TPoint3 TAEOBJ3DRunElementPS::RunMetres() const {
    const long double length = PropertyFloat("Length");
    const long double xz = PropertyInt("AngleXZ");
    long double rise;
    long double across;
    if (PropertyInt("TypeCoord") == 1) {
        const long double limit = std::fabs(length);
        rise = std::clamp(PropertyFloat("Height"), -limit, limit);
        across = std::sqrt(length * length - rise * rise);
        if (length < 0) across = -across;
    } else {
        const long double xy = PropertyInt("AngleXY");
        rise = length * SinDegrees(xy);
        across = length * CosDegrees(xy);
    }
    return TPoint3{across * CosDegrees(xz), rise, across * SinDegrees(xz)};
}

bool TAEOBJ3DRunElementPS::PointAlong(long double metres, TPoint3& p) const {
    TPoint3 begin;
    if (!FComputed || !CoordPoint(0, begin)) return false;
    const long double length = PropertyFloat("Length");
    if (length == 0) return false;
    const TPoint3 run = RunMetres();
    const long double k = TAEOBJ3DPipesSchema::UnitsPerMetre(ElementScale()) * metres / length;
    p = TPoint3{begin.X + run.X * k, begin.Y + run.Y * k, begin.Z + run.Z * k};
    return true;
}

bool TAEOBJ3DRunElementPS::EndCoords(int, TCoordList& list) const {
    TPoint3 end;
    if (!FComputed || !CoordPoint(1, end)) return false;
    list.push_back({1, 'X', end.X});
    list.push_back({1, 'Y', end.Y});
    list.push_back({1, 'Z', end.Z});
    return true;
}

bool TAEOBJ3DRunElementPS::ComputeRun() {
    FCoords.clear();
    if (PropertyFloat("Length") == 0) return false;
    TPoint3 begin;
    if (TAEOBJ3D* prev = PreviousElement(true)) {
        TCoordList end;
        // 5 asks for the end records of X and Z and Y alike.
        if (!prev->Computed() || !prev->EndCoords(5, end)) return false;
        for (TCoordRecord r : end) {
            r.EndFlag = 0;
            FCoords.push_back(r);
        }
        if (!CoordPoint(0, begin)) {
            FCoords.clear();
            return false;
        }
    } else {
        SetCoordPoint(0, begin);
    }
    const TPoint3 run = RunMetres();
    const long double k = TAEOBJ3DPipesSchema::UnitsPerMetre(ElementScale());
    SetCoordPoint(1, TPoint3{begin.X + run.X * k, begin.Y + run.Y * k, begin.Z + run.Z * k});
    FComputed = true;
    return true;
}

} // namespace vorelt
