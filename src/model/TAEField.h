#pragma once
// A typed field: one column of an AE record with its identity, presentation, null state and
// value. Templates are declared by drivers and processors and frozen with SetLocked(true);
// records hold unlocked working copies made with Clone(1); settings hold constant copies made
// with Clone(2).

#include "model/TAEFieldAttachment.h"
#include "model/TAEFieldTypes.h"
#include "persist/TPersistObject.h"

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vorelt {

class IIDGenerator;
class TAEFields;
class TNodePersist;

using TAECharSet = std::bitset<256>;

// Value families: the classes whose value operations are final. A field carries its family from
// construction, so loops over millions of records reach the family's code without a virtual
// call (TAEFieldValue.h); vfOther takes the virtual call.
enum TAEValueFamily : uint8_t { vfOther = 0, vfString, vfInteger, vfFloat, vfBoolean, vfList };

// Clone modes.
constexpr int cmLocked = -1;  // frozen copy
constexpr int cmWorking = 1;  // unlocked working copy for records
constexpr int cmConstant = 2; // unlocked constant copy: ID "0000000000000000", value persisted

class TAEField : public TPersistObject {
public:
    TAEField(const TAEField&) = delete;
    TAEField& operator=(const TAEField&) = delete;
    ~TAEField() override;

    // Attributes. Setters change nothing when the field is Locked, except SetID, SetOwner and
    // the attachment setters.
    uint8_t Group() const { return FGroup; }
    void SetGroup(uint8_t code);
    TAEFields* Owner() const { return FOwner; }
    // Always applied: a frozen field still moves with the set that holds it.
    void SetOwner(TAEFields* owner) { FOwner = owner; }
    uint8_t DataType() const { return FDataType; }
    // Fixed by the class; unlike DataType it never changes.
    uint8_t ValueFamily() const { return FValueFamily; }
    void SetDataType(uint8_t code);
    const std::string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::string& name);
    uint8_t UnitKind() const { return FUnitKind; }
    void SetUnitKind(uint8_t code);
    bool IsNull() const { return FIsNull; }
    const std::string& GetDisplayName() const { return FDisplayName; }
    void SetDisplayName(const std::string& s);
    const std::string& GetDisplayDimension() const { return FDisplayDimension; }
    void SetDisplayDimension(const std::string& s);
    int32_t GetDisplayWidth() const { return FDisplayWidth; }
    void SetDisplayWidth(int32_t w);
    int32_t GetDisplaySWidth() const { return FDisplaySWidth; }
    void SetDisplaySWidth(int32_t w);
    uint8_t Alignment() const { return FAlignment; }
    void SetAlignment(uint8_t a);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool flag);
    bool Locked() const { return FLocked; }
    void SetLocked(bool flag) { FLocked = flag; }
    const std::string& ID() const { return FID; }
    void SetID(const std::string& id);
    uint16_t Flags() const { return FFlags; }
    // Replaces the flags; callers OR new bits into Flags() themselves.
    void SetFlags(uint16_t f);
    bool HasFlag(uint16_t bit) const { return (FFlags & bit) != 0; }
    const std::string& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const std::string& s);
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t t);

    // Owned attachments. Each setter hands the previous object back to the caller (which may
    // still refer to it) and points the new one at this field.
    TAEFieldAttachment* Expresion() const { return FExpresion.get(); }
    std::unique_ptr<TAEFieldAttachment> SetExpresion(std::unique_ptr<TAEFieldAttachment> e);
    TAEFieldAttachment* Criterion() const { return FCriterion.get(); }
    std::unique_ptr<TAEFieldAttachment> SetCriterion(std::unique_ptr<TAEFieldAttachment> c);
    TAEFieldAttachment* Parametric() const { return FParametric.get(); }
    std::unique_ptr<TAEFieldAttachment> SetParametric(std::unique_ptr<TAEFieldAttachment> p);
    TAEField* Zoom() const { return FZoom.get(); }
    std::unique_ptr<TAEField> SetZoom(std::unique_ptr<TAEField> z);

    // Values. Setters do nothing on a ReadOnly or Locked field; otherwise they store the value
    // and clear IsNull.
    virtual long double GetAsFloat() const = 0;
    virtual int64_t GetAsInt64() const = 0;
    virtual std::string GetAsString() const = 0;
    virtual bool GetAsBoolean() const = 0;
    virtual void SetAsFloat(long double x) = 0;
    virtual void SetAsInt64(int64_t n) = 0;
    virtual void SetAsString(const std::string& s) = 0;
    virtual void SetAsBoolean(bool b) = 0;
    // The value storage itself: std::string, int64_t, long double or uint8_t; for a list field
    // the list pointer (const TAEChannelList*) itself.
    virtual const void* GetValuePtr() const = 0;
    // Copies a value from storage of this field's family (what GetValuePtr of a field of the same
    // family returns) and clears IsNull.
    virtual void SetValueRaw(const void* source) = 0;
    virtual void Clear() = 0;

    // A new field of the family class with all attributes and the value; attachments are not
    // cloned. See the cm* modes above; any other mode keeps Locked as it is.
    virtual std::unique_ptr<TAEField> Clone(int mode) const = 0;
    // Copies the attributes (never the value, never the attachments) to `other`.
    void AssignTo(TAEField& other) const;

    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    bool IDDiffers(std::string_view id) const { return FID.empty() || FID != id; }
    bool NameDiffers(std::string_view name) const {
        return FFieldName.empty() || FFieldName != name;
    }
    bool IsValidChar(char ch) const { return (*FValidChars)[static_cast<unsigned char>(ch)]; }

    // Without renewal only an empty ID is replaced; with renewal every ID that is not a
    // standard one is replaced too.
    void AssignID(bool renew, IIDGenerator& generator);

protected:
    TAEField(uint8_t dataType, const TAECharSet& validChars, uint8_t family = vfOther);
    bool Writable() const { return !(FReadOnly | FLocked); }
    // Clone helper: attributes, accepted characters and the mode rule.
    void CopyForClone(TAEField& clone, int mode) const;

    bool FIsNull = true;

private:
    uint8_t FGroup = 0;
    uint8_t FDataType;
    uint8_t FValueFamily;
    uint8_t FUnitKind = 0;
    uint8_t FAlignment = taLeftJustify;
    bool FReadOnly = false;
    bool FLocked = false;
    uint16_t FFlags = 0;
    int32_t FDisplayWidth = -1;
    int32_t FDisplaySWidth = -1;
    int32_t FTag = -1;
    TAEFields* FOwner = nullptr;
    const TAECharSet* FValidChars;
    std::string FFieldName;
    std::string FDisplayName;
    std::string FDisplayDimension;
    std::string FID;
    std::string FDisplayFormat;
    std::unique_ptr<TAEFieldAttachment> FExpresion;
    std::unique_ptr<TAEFieldAttachment> FCriterion;
    std::unique_ptr<TAEFieldAttachment> FParametric;
    std::unique_ptr<TAEField> FZoom;
};

// Accepted-character sets of the classes.
const TAECharSet& AnyCharSet();
const TAECharSet& SignedDigitCharSet();
const TAECharSet& DigitCharSet();
const TAECharSet& FloatCharSet();
const TAECharSet& NoCharSet();

// An ID is reserved when it is one of the standard IDs or when its digits after the leading
// zeros are at most four and read at most 1000.
bool IsReservedID(std::string_view id);

// Range of an integer type code; 0 for other codes.
int64_t MaxValueOf(uint8_t dataType);
int64_t MinValueOf(uint8_t dataType);
// Whether n lies beyond the range of the field's integer type; false for Int64 and for
// non-integer fields.
bool IsAboveMax(const TAEField& field, int64_t n);
bool IsBelowMin(const TAEField& field, int64_t n);

// A new, unlocked, null field of the class that the type code names; none for dtUnknown and
// codes outside the table.
std::unique_ptr<TAEField> NewFieldOfType(uint8_t dataType);

} // namespace vorelt
