#pragma once
// The elements of a pipe schema. Structural (active) elements are hosts, host branches and
// pipes; passive elements are the sensors placed on them.
//
// Geometry. Every host and pipe begins where the element before it ends (PreviousElement,
// sensors skipped): the schema's origin for a first element of the schema, the branch point
// for a first element of a host branch. It runs Length metres: AngleXZ turns it in the
// horizontal XZ plane (0 along +X, 90 along +Z); with TypeCoord 0 AngleXY raises it out of
// that plane (90 straight up, along +Y), with TypeCoord 1 it rises Height metres over its
// Length (a Height beyond the Length counts as the Length). Metres become scene units by the
// element's own Scale when IsScale is set, else by the schema's Scale. A host branch sits
// DeltaLength metres along its host, a sensor DeltaLength metres along its pipe or host,
// both measured from the begin of that element at that element's scale.

#include "processing/graph3d/TAEOBJ3D.h"

namespace vorelt {

class TAEOBJ3DElementPS : public TAEOBJ3D {
public:
    using TAEOBJ3D::TAEOBJ3D;
    std::string ClassName() const override { return "TAEOBJ3DElementPS"; }
    TAEOBJ3D* PreviousElement(bool skipSensors) const override;
    // The schema's scale, 1000 outside a pipes schema.
    int32_t SchemaScale() const;
};

class TAEOBJ3DActiveElementPS : public TAEOBJ3DElementPS {
public:
    using TAEOBJ3DElementPS::TAEOBJ3DElementPS;
    std::string ClassName() const override { return "TAEOBJ3DActiveElementPS"; }
    // A point `metres` along the element from its begin, in scene units; false when the
    // element has no coordinates.
    virtual bool PointAlong(long double metres, TPoint3& p) const;
};

class TAEOBJ3DPassiveElementPS : public TAEOBJ3DElementPS {
public:
    using TAEOBJ3DElementPS::TAEOBJ3DElementPS;
    std::string ClassName() const override { return "TAEOBJ3DPassiveElementPS"; }
};

// Hosts and pipes: elements that run from a begin to an end.
class TAEOBJ3DRunElementPS : public TAEOBJ3DActiveElementPS {
public:
    explicit TAEOBJ3DRunElementPS(IObj3DOwner* owner = nullptr);
    std::string ClassName() const override { return "TAEOBJ3DRunElementPS"; }

    // The scale the element is drawn at: its own with IsScale, else the schema's.
    int32_t ElementScale() const;
    // The run from begin to end, in metres.
    TPoint3 RunMetres() const;
    bool PointAlong(long double metres, TPoint3& p) const override;
    bool EndCoords(int kind, TCoordList& list) const override;

protected:
    // Begin at the predecessor's end, end after the run; false (not computed) when the
    // length is 0 or the predecessor has no end.
    bool ComputeRun();
};

// cos and sin of whole degrees, exact at multiples of 90.
long double CosDegrees(long double degrees);
long double SinDegrees(long double degrees);

} // namespace vorelt
