#pragma once
// Small records shared by the pipe schema and whoever turns it into a picture: points of the
// scene, the coordinate records elements keep, the kind bytes of schema objects, the shapes a
// built schema hands to its scene, and the owner a schema reports to.

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TAEOBJ3D;

// Scene coordinates: metres divided by the scale in use (see TAEOBJ3DPipesSchema). Y is up;
// X and Z span the horizontal plane.
struct TPoint3 {
    long double X = 0;
    long double Y = 0;
    long double Z = 0;
};

// One coordinate record of an element: whether it belongs to the begin (0) or the end (1),
// the axis letter and the value.
struct TCoordRecord {
    uint8_t EndFlag = 0;
    char Axis = 'X';
    long double Value = 0;
};
using TCoordList = std::vector<TCoordRecord>;

// Kind bytes; the high bit marks structural (active) objects.
constexpr uint8_t okPipesSchema = 0x81;
constexpr uint8_t okHost = 0x82;
constexpr uint8_t okHostBranch = 0x84;
constexpr uint8_t okPipe = 0xA0;
constexpr uint8_t okPAE = 0x00;
constexpr uint8_t okActive = 0x80;

// Placements of FAllowedChildren.
constexpr uint8_t plNone = 0;
constexpr uint8_t plBefore = 1; // as the sibling just before an object of the class
constexpr uint8_t plInside = 2; // as the last child

enum class TShapeKind : uint8_t { Pipe, Host, Sensor };

// What a computed element shows: pipes and hosts run From -> To, a sensor sits at From.
struct TSchemaShape {
    TShapeKind Kind = TShapeKind::Pipe;
    TPoint3 From;
    TPoint3 To;
    int32_t IDGL = 0;
    int32_t PredecessorIDGL = 0;
    int32_t Channel = 0;
    int32_t Scale = 1000; // cm, the scale the element was drawn at
    std::string Label;
};

// Receives the shapes of a schema that is being built (the scene of a 3D container).
class ISchemaScene {
public:
    virtual ~ISchemaScene() = default;
    virtual void AddShape(const TSchemaShape& shape) = 0;
};

// The owner of a schema (the 3D graph, or a stand-in in tools): it hears of changes and hands
// out identifiers that the whole project keeps unique.
class IObj3DOwner {
public:
    virtual ~IObj3DOwner() = default;
    virtual void SchemaChanged(TAEOBJ3D& schema) = 0;
    // A new 16-digit identifier; empty when there is no generator.
    virtual std::string NewObjectID() = 0;
    // 1 .. 2147483646, used by no schema object of the project.
    virtual int32_t NewIDGL() = 0;
};

} // namespace vorelt
