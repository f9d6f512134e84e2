#pragma once
// The processor base: one node of the processing tree. A processor owns its children, its own
// field set, its properties and its working record; it answers the cursor protocol for its
// children and views (by default from its parent's stream), forwards object messages up and
// down the tree, and saves itself and its subtree.

#include "model/IFieldSetOwner.h"
#include "model/IRecordSource.h"
#include "model/TAEFields.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "persist/TGVProperties.h"
#include "persist/TPersistObject.h"
#include "processing/TAEMessages.h"
#include "processing/TProcessorKind.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IFinalView;
class IGraphAddOn;
class IIDGenerator;
class IProcessorContext;
class IUserPrompt;
class TAEListFields;
class TNodePersist;

// Texts of the processor base.
inline constexpr char txtDataOutRange[] = "Data Out Range";
inline constexpr char txtFieldNotFound[] = "Field Not Found";
inline constexpr char txtMovedImpossible[] = "Moved Impossible";
inline constexpr char txtContinue[] = "Continue";

// Payload of message 0x404 (WParam points to it): the layout before the change, and the
// IDs of fields that the tree uses and the new layout lacks.
struct TMissingFieldsRequest {
    const TAEListFields* Layout = nullptr;
    std::vector<std::string> Names;
};

class TGVCPU : public TPersistObject, public IRecordSource, public IFieldSetOwner {
public:
    TGVCPU();
    TGVCPU(const TGVCPU&) = delete;
    TGVCPU& operator=(const TGVCPU&) = delete;
    // Frees the children (last first) and leaves the parent's list.
    ~TGVCPU() override;

    // --- Identity -------------------------------------------------------------------------
    std::string ClassName() const override { return "TGVCPU"; }
    std::string Name() const override { return FName; }
    virtual std::string GetName() const { return FName; }
    void SetName(const std::string& s) { FName = s; }
    const std::string& ID() const { return FID; }
    void SetID(const std::string& id) { FID = id; }
    int32_t ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int32_t i) { FImageIndex = i; }
    uint8_t KindFlags() const { return FKindFlags; }
    void SetKindFlags(uint8_t f) { FKindFlags = f; }
    bool IsFinal() const { return (FKindFlags & kfFinal) != 0; }
    bool IsDatabase() const { return (FKindFlags & kfDatabase) != 0; }
    // The kind given by the class's constructor, else the table entry of its class name;
    // none for classes without an entry.
    const TProcessorKind* Kind() const;
    // Text shown for the kind; the class name when the class has no kind entry.
    std::string KindName() const;
    // Placeholders keep a saved processor of a class that is not registered in this program.
    virtual bool IsPlaceholder() const { return false; }

    // --- Tree -----------------------------------------------------------------------------
    TGVCPU* Parent() const { return FParent; }
    int ChildCount() const { return static_cast<int>(FChildren.size()); }
    // None when i is outside.
    TGVCPU* Child(int i) const {
        return i >= 0 && i < ChildCount() ? FChildren[static_cast<size_t>(i)].get() : nullptr;
    }
    int IndexOfChild(const TGVCPU* child) const;
    // Takes the child over, makes this processor its parent and appends it; returns its
    // position. Structural rules are checked by CanPlaceBelow, not here.
    int AddChild(std::unique_ptr<TGVCPU> child);
    template <class T, class... A> T* AddNew(A&&... args) {
        auto p = std::make_unique<T>(std::forward<A>(args)...);
        T* raw = p.get();
        AddChild(std::move(p));
        return raw;
    }
    // Hands a child back to the caller without freeing it; none when it is not a child.
    std::unique_ptr<TGVCPU> DetachChild(TGVCPU* child);
    // Reads the records and fields of `source`'s branch from outside the tree, for a window
    // that shows them for a while: `source` does not list this processor, so the tree, what
    // the project saves and the messages that travel the tree stay as they were; messages
    // this processor sends up end here.
    void ReadThrough(TGVCPU& source);
    // Frees the children from the last to the first.
    void FreeChildren();
    // The root of the tree (a processor with kfDatabase); none when no ancestor is one.
    virtual TGVCPU* GetDb();
    TGVCPU* Db() { return GetDb(); }
    // The topmost ancestor (this processor when it has no parent).
    TGVCPU* Top();
    // Context of the tree: the root's, set by the project that owns the tree.
    IProcessorContext* Context();
    void SetContext(IProcessorContext* context) { FContext = context; }

    // --- Owned parts ----------------------------------------------------------------------
    TGVProperties& Properties() { return FProperties; }
    const TGVProperties& Properties() const { return FProperties; }
    TAEFields& OwnFields() { return FOwnFields; }
    const TAEFields& OwnFields() const { return FOwnFields; }
    TAERecord& Record() { return FRecord; }
    TAEPNav& Nav() { return FNav; }

    // --- Errors ---------------------------------------------------------------------------
    const std::string& ErrorText() const { return FErrorText; }
    bool HasError() const { return FHasError; }
    // Appends a line (carriage return between lines).
    void AddError(const std::string& line);
    // The computation failed: FirstRecord reports the text with the error status.
    void SetFailed(const std::string& text);
    // Appends this subtree's error texts to `text`, skipping texts it already holds.
    virtual void CollectErrors(std::string& text) const;
    // Clears ErrorText and HasError in the whole subtree.
    virtual void ClearErrors();

    // --- Lifecycle ------------------------------------------------------------------------
    // Back to the created state: name = class name, children and own fields freed, parent and
    // record cleared, errors cleared, kind settings of the class applied again.
    virtual void Reset();

    // --- Layout and fields ----------------------------------------------------------------
    // Appends to `layout` the sets that records carry at this processor: the parent's layout,
    // then the own set when it has fields and `excludeOwn` is false. Nothing without layout.
    virtual void GetFields(TAEListFields* layout, bool excludeOwn) const;
    // An own field with this ID, else the parent's answer.
    virtual TAEField* FindField(std::string_view id) const;
    // ID of the field of this name in the full layout; empty when none.
    virtual std::string GetFieldID(std::string_view name) const;
    // Builds `record` (the own Record when none) for the full layout.
    void PrepareRecord(TAERecord& record) override;
    void PrepareRecord() { PrepareRecord(FRecord); }
    // For every field of `oldLayout` used in this subtree, checks that the current layout
    // still has it; each missing one adds a line "Field Not Found[name]" to ErrorText.
    virtual void CheckFields(const TAEListFields& oldLayout);
    // For every field of `layout` declared in this subtree, adds its ID to `names` unless the
    // current layout has it or `names` holds it already.
    virtual void CollectMissingFields(const TAEListFields& layout, std::vector<std::string>& names);
    // Subclasses add one line per own use of the field; the base asks the children when deep.
    virtual void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                                  bool deep) const;
    // An own field with this ID, or (deep) one in the subtree.
    virtual bool DeclaresField(std::string_view id, bool deep) const;
    // A field upstream changed its settings; subclasses that use it send 0x401 to themselves.
    virtual void FieldChanged(std::string_view id);
    // Deletes own fields with this ID (from the last), then asks every child; subclasses also
    // drop their references to the field.
    virtual void RemoveField(std::string_view id);
    // For each own field from the last: every child's RemoveField, then the field is freed.
    virtual void RemoveOwnFields();
    // A location processor lies on the path from the root to this processor.
    virtual bool IsLocated() const;

    // --- Identifiers ----------------------------------------------------------------------
    virtual bool IsIDFree(std::string_view id) const;
    virtual bool IsNumberFree(int32_t n) const;
    virtual bool IsNameFree(std::string_view name) const;
    // This processor, an own field with this ID, or the first hit among the children.
    virtual TPersistObject* FindByID(std::string_view id);
    TGVCPU* FindProcessorByID(std::string_view id);
    // Children first, then `callback` with this processor's ID; returns the callback's result.
    using TIDCallback = std::function<bool(const std::string& id)>;
    virtual bool ForEachID(const TIDCallback& callback) const;
    // Gives this processor and its own fields IDs: empty ones only, or all but standard field
    // IDs when `renew` is set. The subtree is not visited.
    virtual void AssignIDs(bool renew, IIDGenerator& generator);
    // AssignIDs on this processor and every descendant.
    void AssignIDsDeep(bool renew, IIDGenerator& generator);

    // --- Change notification --------------------------------------------------------------
    virtual uint8_t GetSourceState();
    // 0x409 up, 0x401 to every child (last first).
    virtual void Changed(bool propagate);
    // 0x409 up.
    void NotifyModified();
    // -1 when ready; final processors return their view's answer.
    virtual int32_t CheckReady() { return -1; }
    virtual void CollectGraphAddOns(IFinalView* graphView, std::vector<IGraphAddOn*>& list);

    // --- Messages -------------------------------------------------------------------------
    // Delivers a message to this processor. Subclasses handle their numbers and pass the rest
    // (and what they want forwarded) to the base, which forwards by MessageRoute.
    virtual void Dispatch(TAEOMSG& msg);
    // Translates the list into the parent's index space and hands the message to the parent,
    // or, at the top, to the context.
    void SendUp(TAEOMSG& msg);
    // Hands the message to every child, last child first, each with the list translated into
    // its index space.
    void SendDown(TAEOMSG& msg);
    // As SendDown; afterwards a child that declares `fieldID` is sent 0x401.
    void SendDownRevalidate(TAEOMSG& msg, std::string_view fieldID);
    // Processors with their own index space override these: own indices become the parent
    // indices they were made from; parent indices become own indices, dropping indices that
    // this processor does not hold.
    virtual void ListToParent(std::vector<int32_t>& list) const { (void)list; }
    virtual void ListFromParent(std::vector<int32_t>& list) const { (void)list; }

    // --- Record protocol ------------------------------------------------------------------
    void Restart() override {}
    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    // 0 without parent; otherwise the number of records walked from FirstRecord; 0 after an
    // error or an exception.
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;
    // A reader below will look only at the fields `wanted` flags, by flat position in
    // `record`. Adds the fields this processor itself reads from the records it passes on, and
    // answers whether it can tell: a reader may put the demand on its record only when every
    // processor from it up to the database can. Processors that compute fields or judge the
    // record they pass on cannot, unless they say otherwise.
    virtual bool WidenDemand(const TAERecord& record, std::vector<uint8_t>& wanted) const;

    // --- Tree operations ------------------------------------------------------------------
    // Moves this processor below `newParent`. Refused (false) when the structural rules
    // forbid it, or when the subtree uses fields the new place lacks ("Moved Impossible").
    bool MoveTo(TGVCPU* newParent);
    // Copies this processor's subtree below `newParent`. The copy gets fresh IDs everywhere,
    // with references inside the copy following them. Returns none when refused or cancelled.
    TGVCPU* CopyTo(TGVCPU* newParent);
    // Names every processor of this subtree below the root by its kind code and its number
    // among the processors of its class in a depth-first walk from the top.
    void NameProcessors();

    // The processor or any ancestor has this class name (case-insensitive).
    static bool IsOfClassOrBelow(const TGVCPU* processor, std::string_view className);
    // No processor of a one-per-path class of A's subtree on the path from B to the root.
    static bool UniqueInPath(const TGVCPU* a, const TGVCPU* b);
    // A one-per-tree A has no other processor of its class in B's tree; a copy (forCopy)
    // may not exist beside A at all.
    static bool UniqueInTree(const TGVCPU* a, const TGVCPU* b, bool forCopy = false);
    // All rules for placing A (moved, or copied when forCopy) below B.
    static bool CanPlaceBelow(const TGVCPU* a, const TGVCPU* b, bool forCopy = false);

    // --- Persistence ----------------------------------------------------------------------
    // "ClassName", "ID", "FIELDS", "PROPERTIES", then one "OBJ" per child.
    void SaveToNode(TNodePersist& node) const override;
    // "ID", "FIELDS", "PROPERTIES"; each "OBJ" becomes a child of its saved class (a
    // placeholder keeps nodes of classes this program does not know).
    void LoadFromNode(const TNodePersist& node) override;

protected:
    // Kind settings of the class: name = class name, image index, KindFlags; Reset applies
    // them again. Own sets get the kind's set name and kind.
    explicit TGVCPU(const TProcessorKind& kind);
    void ApplyKind();
    // Child processors created while loading; placeholders for unknown classes.
    virtual std::unique_ptr<TGVCPU> CreateChildForNode(const TNodePersist& objNode);
    // Sends 0x401 with this processor's ID to the processor itself: data it draws from have
    // changed, so what it derived from them has to go.
    void DispatchDataChanged();
    // The protocol with the error status of a failed computation; -1.
    int32_t ReportFailure(TAEPNav& nav);
    // The protocol answer of RecordCount for any source: walks from FirstRecord.
    int32_t CountByWalking(TAEPNav& nav, TAERecord& record);

    std::string FName;
    std::string FID;
    TGVCPU* FParent = nullptr;
    // Reading through FParent without being one of its children.
    bool FOutside = false;
    std::vector<std::unique_ptr<TGVCPU>> FChildren;
    TGVProperties FProperties;
    int32_t FImageIndex = -1;
    uint8_t FKindFlags = 0;
    TAEFields FOwnFields;
    std::string FErrorText;
    bool FHasError = false;
    TAERecord FRecord;
    TAEPNav FNav;

private:
    const TProcessorKind* FKind = nullptr;
    IProcessorContext* FContext = nullptr;
};

// Processors that feed children.
class TGVSource : public TGVCPU {
public:
    TGVSource();
    std::string ClassName() const override { return "TGVSource"; }

protected:
    explicit TGVSource(const TProcessorKind& kind) : TGVCPU(kind) {}
};

} // namespace vorelt
