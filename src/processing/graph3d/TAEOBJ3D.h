#pragma once
// Base of the pipe schema's objects: a named node of the schema tree with an identifier, an
// OpenGL name, typed properties, the rules of what may be dropped on it, and the protocol that
// computes the objects' coordinates and hands their shapes to a scene.

#include "persist/TGVProperties.h"
#include "persist/TGVProperty.h"
#include "persist/TPersistObject.h"
#include "processing/graph3d/TObj3DTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TNodePersist;

inline constexpr char NodeObj3DChild[] = "OBJ";
inline constexpr char NodeObj3DProperties[] = "PROPERTIES";

class TAEOBJ3D : public TPersistObject {
public:
    explicit TAEOBJ3D(IObj3DOwner* owner = nullptr);
    // Frees the children, last first.
    ~TAEOBJ3D() override;
    TAEOBJ3D(const TAEOBJ3D&) = delete;
    TAEOBJ3D& operator=(const TAEOBJ3D&) = delete;

    std::string ClassName() const override { return "TAEOBJ3D"; }
    // The type name of the string table ("Pipe", "Host", ...).
    virtual std::string TypeName() const { return "Object 3D"; }

    virtual void SetProperties(std::unique_ptr<TGVProperties> list);
    TGVProperties& Properties() { return *FProperties; }
    const TGVProperties& Properties() const { return *FProperties; }
    // The text of the property, empty when the object has none of that name.
    std::string PropertyText(std::string_view name) const;
    long double PropertyFloat(std::string_view name) const;
    int32_t PropertyInt(std::string_view name) const;
    bool PropertyBool(std::string_view name) const;

    // FText, and for a titled object Title + " [" + that + "]".
    virtual std::string GetDisplayText() const;
    // Text, children, parent, image index -1, kind 0, errors and coordinates go.
    virtual void Clear();

    // --- Identity ---------------------------------------------------------------------------
    IObj3DOwner* Owner() const { return FOwner; }
    // The owner of this object and its whole subtree.
    void SetOwner(IObj3DOwner* owner);
    const std::string& Text() const { return FText; }
    void SetText(std::string text) { FText = std::move(text); }
    int32_t ImageIndex() const { return FImageIndex; }
    uint8_t Kind() const { return FKind; }
    bool IsActive() const { return (FKind & okActive) != 0; }
    const std::string& ID() const { return FID; }
    void SetID(std::string id) { FID = std::move(id); }
    int32_t IDGL() const { return FIDGL; }
    void SetIDGL(int32_t idgl) { FIDGL = idgl; }
    // A new identifier from the owner when forced or when the object has none.
    void EnsureId(bool force);
    // Likewise for the OpenGL name (0 means none).
    void EnsureIdgl(bool force);
    // False when this object or a descendant carries the value.
    virtual bool IsIdFree(std::string_view id) const;
    virtual bool IsIdglFree(int32_t value) const;
    TAEOBJ3D* FindById(std::string_view id);
    TAEOBJ3D* FindByIdgl(int32_t value);

    // --- Errors -----------------------------------------------------------------------------
    const std::string& ErrorText() const { return FErrorText; }
    void SetErrorText(std::string text) { FErrorText = std::move(text); }
    // Appends this object's text (after a line break when `text` is not empty, and only when
    // `text` does not hold it yet), then the children's.
    void CollectErrors(std::string& text) const;
    void ClearErrors();
    virtual int32_t StateIndex() const { return -1; }

    // --- Tree -------------------------------------------------------------------------------
    // The root when it is a schema (the schema answers itself); none otherwise.
    virtual TAEOBJ3D* Schema();
    const TAEOBJ3D* Schema() const { return const_cast<TAEOBJ3D*>(this)->Schema(); }
    TAEOBJ3D* Parent() const { return FParent; }
    int ChildCount() const { return static_cast<int>(FChildren.size()); }
    TAEOBJ3D* Child(int i) const;
    int IndexOf(const TAEOBJ3D* child) const;
    TAEOBJ3D* AddChild(std::unique_ptr<TAEOBJ3D> child);
    // Positions outside the list append.
    TAEOBJ3D* InsertChild(int index, std::unique_ptr<TAEOBJ3D> child);
    // Hands the child back without freeing it; none when it is not a child.
    std::unique_ptr<TAEOBJ3D> DetachChild(TAEOBJ3D* child);
    // Removes this object with its subtree from its parent and frees it.
    void Delete();
    // Whether `obj` is this object or lies inside it.
    bool Contains(const TAEOBJ3D* obj) const;
    // Visits this object and its descendants, parents before children.
    void ForEach(const std::function<void(TAEOBJ3D&)>& visit);

    // Placement registered for the object's class: plBefore, plInside or plNone.
    uint8_t AllowedPlacement(const TAEOBJ3D& obj) const;
    // Before the object is moved; the move is refused when it answers false.
    std::function<bool(TAEOBJ3D& obj, TAEOBJ3D* currentParent)> FOnCanMove;
    // The editor's moves: before `target` among its siblings, or as its last child.
    bool MoveBefore(TAEOBJ3D& target);
    bool MoveInto(TAEOBJ3D& target);
    // A copy of the subtree with new identifiers and OpenGL names everywhere, placed like a
    // moved object; none when the class cannot be created again.
    TAEOBJ3D* CopyBefore(TAEOBJ3D& target) const;
    TAEOBJ3D* CopyInto(TAEOBJ3D& target) const;
    // The copy, not yet placed.
    std::unique_ptr<TAEOBJ3D> CloneWithNewIds() const;

    // --- Change and scene -------------------------------------------------------------------
    // Passed up to the schema, which tells its owner.
    virtual void Changed(bool flag);
    // Passed up to the schema, which computes the whole tree again and builds its shapes.
    virtual void Rebuild(ISchemaScene* scene);
    void ResetComputed();
    virtual void Compute();
    virtual void BuildVisuals(ISchemaScene& scene);
    bool Computed() const { return FComputed; }
    const TCoordList& Coords() const { return FCoords; }
    // The element before this one: the sibling just before it, or the parent for a first
    // child; with `skipSensors` sensors are stepped over. None for the schema.
    virtual TAEOBJ3D* PreviousElement(bool skipSensors) const;
    // Appends the end records (end flag 1, X, Y, Z); false when the object has none.
    virtual bool EndCoords(int kind, TCoordList& list) const;
    // The point of the begin (0) or end (1) records; false when they are missing.
    bool CoordPoint(uint8_t endFlag, TPoint3& p) const;

    // --- Persistence ------------------------------------------------------------------------
    // "ClassName", "ID", "IDGL", "Text", the child "PROPERTIES", one "OBJ" per child.
    void SaveToNode(TNodePersist& node) const override;
    // "ID", "IDGL", "Text", "PROPERTIES"; every "OBJ" of a registered schema class becomes a
    // child with the same owner and then gets an ID and an IDGL when it has none.
    void LoadFromNode(const TNodePersist& node) override;

protected:
    struct TAllowedChild {
        std::string ClassName;
        uint8_t Placement;
    };
    void Allow(std::string className, uint8_t placement) {
        FAllowedChildren.push_back({std::move(className), placement});
    }
    // Records a point as the begin or end records.
    void SetCoordPoint(uint8_t endFlag, const TPoint3& p);
    void ComputeChildren();
    void BuildChildren(ISchemaScene& scene);
    // Declarations of the class's properties: caption, unit and default value.
    TGVIntegerProperty* AddInteger(const std::string& name, const std::string& caption,
                                   const std::string& unit, int32_t value);
    TGVFloatProperty* AddFloat(const std::string& name, const std::string& caption,
                               const std::string& unit, long double value);
    TGVBooleanProperty* AddBoolean(const std::string& name, const std::string& caption, bool value);
    TGVStringProperty* AddString(const std::string& name, const std::string& caption);
    // The items a class adds after "Text", and their loading.
    virtual void SaveItems(TNodePersist& node) const { (void)node; }
    virtual void LoadItems(const TNodePersist& node) { (void)node; }

    IObj3DOwner* FOwner;
    std::string FText;
    std::vector<std::unique_ptr<TAEOBJ3D>> FChildren;
    TAEOBJ3D* FParent = nullptr;
    int32_t FImageIndex = -1;
    uint8_t FKind = 0;
    std::string FID;
    int32_t FIDGL = 0;
    std::string FErrorText;
    std::unique_ptr<TGVProperties> FProperties;
    std::vector<TAllowedChild> FAllowedChildren;
    bool FComputed = false;
    TCoordList FCoords;
};

} // namespace vorelt
