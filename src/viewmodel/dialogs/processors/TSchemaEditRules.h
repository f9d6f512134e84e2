#pragma once
// The rules of the schema editor that do not depend on its window: what the "Add" menu offers
// for the selected object and how new objects are named, which drops are allowed and where
// they place the object, the order of the tree, the channel input and what the number
// edits take.

#include "persist/TNumberInput.h"
#include "processing/graph3d/TAEOBJ3D.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorelt {

inline constexpr char txtInvalidChannel[] = "Invalid Channel";
inline constexpr char txtDuplicateChannel[] = "Duplicate Channel";
inline constexpr int32_t MaxSensorChannel = 128;

// The items of the "Add" menu, in its order.
enum class TSchemaAddKind : uint8_t { Pipe, Host, HostBranch, PAE };
struct TSchemaAddItem {
    TSchemaAddKind Kind;
    const char* ClassName;
    const char* TypeName;
};
inline constexpr TSchemaAddItem SchemaAddItems[] = {
    {TSchemaAddKind::Pipe, "TAEOBJ3DPipePS", "Pipe"},
    {TSchemaAddKind::Host, "TAEOBJ3DHostPS", "Host"},
    {TSchemaAddKind::HostBranch, "TAEOBJ3DHostBranchPS", "Host Branch"},
    {TSchemaAddKind::PAE, "TAEOBJ3DPAEPS", "PAE"},
};

// Whether the selected object of a pipes schema takes a new object of the kind: the schema
// takes hosts and pipes, a host sensors and host branches, a host branch pipes, a pipe
// sensors; a sensor takes nothing.
bool CanAddTo(const TAEOBJ3D* selected, TSchemaAddKind kind);
// "Host", "Branch", "Pipe", "PAE", "Schema" by the object's kind.
std::string NamePrefix(const TAEOBJ3D& obj);
// The prefix and one more than the largest number in the names of the other objects of the
// same class in `root`'s tree (a name without a number counts as 1), with two digits below
// 10: Pipe01, Pipe02, ...
std::string NewObjectName(TAEOBJ3D& root, const TAEOBJ3D& obj);
// Appends a new object of the kind to `parent` with a new ID, IDGL and name, and marks the
// schema changed. None when `parent` does not take the kind.
TAEOBJ3D* AddSchemaObject(TAEOBJ3D& parent, TSchemaAddKind kind);

// The placement a drop of `dragged` on `target` gets: none on itself or inside itself, else
// what the target's class registers for the dragged object's class.
uint8_t DropPlacement(const TAEOBJ3D& dragged, const TAEOBJ3D& target);
// Moves `dragged` (asking its FOnCanMove), or places a copy with new IDs and new names, before
// or into `target`; marks the schema changed. Returns the object at its new place, or none
// when the drop is refused.
TAEOBJ3D* DropSchemaObject(TAEOBJ3D& dragged, TAEOBJ3D& target, bool copy);

// The children as the tree lists them: sensors before structural objects, each group in
// list order.
std::vector<TAEOBJ3D*> TreeOrder(const TAEOBJ3D& parent);

// The sensors of the schema except `self`, with their channels, for the channel dialog.
std::vector<std::pair<int32_t, TAEOBJ3D*>> OtherSensors(TAEOBJ3D& schema, const TAEOBJ3D* self);
// Checks a typed channel: empty means 0, digits only, above 128 "Invalid Channel", a
// non-zero channel of another sensor "Duplicate Channel".
bool CheckChannelInput(TAEOBJ3D& schema, const TAEOBJ3D* self, const std::string& text,
                       int32_t& channel, std::string& error);

// The number edits of the editor and what each takes.
enum class TSchemaNumber : uint8_t {
    Length, // coordinates, lengths, heights and offsets: decimal numbers
    Angle,  // whole degrees, signed
    Scale,  // whole numbers without a sign
};
TNumberRule SchemaNumberRule(TSchemaNumber number);
// The text a scale edit stores: zero (and, should one reach it, a text that is no number)
// becomes "1000".
std::string ScaleInputText(const std::string& text);

} // namespace vorelt
