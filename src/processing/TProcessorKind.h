#pragma once
// The kinds of processors: the text shown for each kind, the code that prefixes generated
// names, the tree icon, the structural rules and the own field set it declares.

#include <cstdint>
#include <string_view>

namespace vorelt {

// KindFlags bits.
constexpr uint8_t kfFinal = 0x01;         // may not have children
constexpr uint8_t kfDatabase = 0x02;      // the root: never dragged, moved, copied or deleted
constexpr uint8_t kfOnePerPath = 0x10;    // at most one of this class on any root-to-leaf path
constexpr uint8_t kfOnePerTree = 0x20;    // at most one of this class in the tree; never copied
constexpr uint8_t kfBelowLocation = 0x40; // only below a location processor

struct TProcessorKind {
    const char* ClassName;
    const char* KindName;
    const char* Code; // name prefix; the database keeps its fixed name
    int32_t ImageIndex;
    uint8_t KindFlags;
    const char* OwnSetName; // empty: the kind adds no fields
    uint8_t OwnSetKind;
};

inline constexpr TProcessorKind pkDb{"TGVDb",    "Database Processor",          "Database", 5,
                                     kfDatabase, "Calculate Parametric Fields", 3};
inline constexpr TProcessorKind pkFltr{"TGVCPUFltr", "Filtering Processor", "FR", 25, 0, "", 0};
inline constexpr TProcessorKind pkTurnOffFltr{
    "TGVCPUTurnOffFltr", "Turn Off Filter Processor", "OF", 72, 0, "", 0};
inline constexpr TProcessorKind pkLoc{"TGVCPULoc",  "Location Processor", "LC", 67,
                                      kfOnePerPath, "Location Fields",    6};
inline constexpr TProcessorKind pkPrc{"TGVCPUPrc", "Math Processor", "MT", 17, 0, "Math Fields", 8};
inline constexpr TProcessorKind pkCriterion{"TGVCPUCriterion", "Criterion Processor", "CR", 74,
                                            kfOnePerTree,      "Criterion Fields",    9};
inline constexpr TProcessorKind pkTbl{"TGVCPUTbl", "Table Processor", "TB", 31,
                                      kfFinal,     "Table Fields",    7};
inline constexpr TProcessorKind pkGr{"TGVCPUGr", "Graph Processor", "GR", 22, kfFinal, "", 0};
inline constexpr TProcessorKind pkGr3D{
    "TGVCPUGr3D", "Graph3D Processor", "3D", 73, kfFinal | kfBelowLocation, "", 0};
// One record per located event with where its source lies.
inline constexpr TProcessorKind pkSourceLoc{
    "TGVCPUSourceLoc", "Source Location Processor", "SL", 67,
    kfBelowLocation,   "Source Location Fields",    6};
// The plain pass-through processor has no kind of its own in the tree window; it keeps the
// name it is given.
inline constexpr TProcessorKind pkCPU{"TGVCPU", "Processor", "", -1, 0, "", 0};

// Every kind above, in the order of the table.
inline constexpr const TProcessorKind* ProcessorKinds[] = {
    &pkDb,  &pkFltr, &pkTurnOffFltr, &pkLoc,       &pkPrc, &pkCriterion,
    &pkTbl, &pkGr,   &pkGr3D,        &pkSourceLoc, &pkCPU};

// The kind of a class name (case-insensitive); none for unknown names.
const TProcessorKind* FindProcessorKind(std::string_view className);

} // namespace vorelt
