#pragma once
// The project's settings that computing processors read: the zone-intensity parameters (J, the
// K table and the zone polygons) and the test sections. The project, or the database
// processor that owns the test program, implements these beside its other interfaces; the
// lookups below ask the database processor first, then the tree's context.

namespace vorelt {

class TGVCPU;
class TGVVariants;
class TTestSectionList;
class TZIPParameters;

class IProjectZIP {
public:
    virtual ~IProjectZIP() = default;
    virtual const TZIPParameters* ProjectZIPParameters() const = 0;
};

class IProjectTestSections {
public:
    virtual ~IProjectTestSections() = default;
    virtual const TTestSectionList* ProjectTestSections() const = 0;
};

// The project's parameters; a shared set with the default J and K table when the tree belongs
// to no project (a processor must still compute, as on a freshly created project).
const TZIPParameters& FindZIPParameters(TGVCPU& processor);
// None when the tree belongs to no project: then every record passes the section test.
const TTestSectionList* FindTestSections(TGVCPU& processor);
// The project's variants; none when the tree belongs to no project.
const TGVVariants* FindProjectVariants(TGVCPU& processor);

} // namespace vorelt
