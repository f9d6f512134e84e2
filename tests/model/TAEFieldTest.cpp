#include "model/TAEBooleanField.h"
#include "model/TAEExtendedField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListIntegerField.h"
#include "model/TAEStringField.h"
#include "persist/IIDGenerator.h"
#include "persist/TErrors.h"
#include "persist/TNodePersist.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vorelt;

namespace {

class TCountingGenerator : public IIDGenerator {
public:
    std::string NewID() override { return "123456781234567" + std::to_string(++Calls % 10); }
    int Calls = 0;
};

class TTestAttachment : public TAEFieldAttachment {
public:
    std::string ClassName() const override { return "TTestAttachment"; }
    void SaveToNode(TNodePersist& node) const override {
        node.AddItem("ClassName", ClassName());
        node.AddItem("Text", Text);
    }
    void LoadFromNode(const TNodePersist& node) override { Text = node.GetValue("Text"); }
    std::string Text;
};

} // namespace

TEST(FieldConversion, StringFieldReadsAndWrites) {
    TAEStringField f;
    f.SetAsString("2,5");
    EXPECT_EQ(f.GetAsFloat(), 2.5L);
    EXPECT_EQ(f.GetAsInt64(), 0); // not an integer text
    f.SetAsString("abc");
    EXPECT_THROW(f.GetAsFloat(), EConvertError);
    EXPECT_THROW(f.GetAsBoolean(), EConvertError);
    f.SetAsString("tRuE");
    EXPECT_TRUE(f.GetAsBoolean());
    f.SetAsString("0");
    EXPECT_FALSE(f.GetAsBoolean());
    f.SetAsBoolean(true);
    EXPECT_EQ(f.GetAsString(), "-1");
    f.SetAsBoolean(false);
    EXPECT_EQ(f.GetAsString(), "0");
    f.SetAsFloat(0.1L);
    EXPECT_EQ(f.GetAsString(), "0,1");
    f.SetAsInt64(-42);
    EXPECT_EQ(f.GetAsString(), "-42");
    EXPECT_EQ(f.GetAsInt64(), -42);
}

TEST(FieldConversion, IntegerFieldRoundsTiesToEvenAndIgnoresBadText) {
    TAEIntegerField f;
    f.SetAsFloat(2.5L);
    EXPECT_EQ(f.GetAsInt64(), 2);
    f.SetAsFloat(3.5L);
    EXPECT_EQ(f.GetAsInt64(), 4);
    f.SetAsFloat(-2.5L);
    EXPECT_EQ(f.GetAsInt64(), -2);
    f.SetAsFloat(std::numeric_limits<long double>::quiet_NaN());
    EXPECT_EQ(f.GetAsInt64(), 0);

    f.SetAsInt64(5);
    f.SetAsString("abc");
    EXPECT_EQ(f.GetAsInt64(), 5);
    EXPECT_FALSE(f.IsNull());

    TAEIntegerField fresh;
    fresh.SetAsString("abc");
    EXPECT_TRUE(fresh.IsNull());

    f.SetAsString("");
    EXPECT_TRUE(f.IsNull());
    EXPECT_EQ(f.GetAsString(), "");

    f.SetAsInt64(-3);
    EXPECT_FALSE(f.GetAsBoolean());
    f.SetAsInt64(0);
    EXPECT_FALSE(f.GetAsBoolean());
    EXPECT_EQ(f.GetAsString(), "0");
    f.SetAsInt64(2);
    EXPECT_TRUE(f.GetAsBoolean());
    f.SetAsBoolean(true);
    EXPECT_EQ(f.GetAsInt64(), 1);
}

TEST(FieldConversion, NarrowIntegerClassesDoNotClamp) {
    TAEByteField b;
    b.SetAsInt64(1000);
    EXPECT_EQ(b.GetAsInt64(), 1000);
    EXPECT_TRUE(IsAboveMax(b, 256));
    EXPECT_FALSE(IsAboveMax(b, 255));
    EXPECT_TRUE(IsBelowMin(b, -1));
}

TEST(FieldConversion, ExtendedFieldRoundsAndKeepsValueOnBadText) {
    TAEExtendedField f;
    f.SetAsFloat(2.5L);
    EXPECT_EQ(f.GetAsInt64(), 2);
    f.SetAsFloat(3.5L);
    EXPECT_EQ(f.GetAsInt64(), 4);
    f.SetAsFloat(1.0L / 3.0L);
    EXPECT_EQ(f.GetAsString(), "0,333333333333333");
    f.SetAsFloat(1.5e-7L);
    EXPECT_EQ(f.GetAsString(), "1,5E-7");

    f.SetAsFloat(7.25L);
    f.SetAsString("x");
    EXPECT_EQ(f.GetAsFloat(), 7.25L);
    // Unlike the integer family, unparsable text makes a null extended field non-null.
    TAEExtendedField fresh;
    fresh.SetAsString("x");
    EXPECT_FALSE(fresh.IsNull());
    EXPECT_EQ(fresh.GetAsFloat(), 0.0L);

    f.SetAsString("1.5");
    EXPECT_EQ(f.GetAsFloat(), 1.5L);
    f.SetAsString("");
    EXPECT_TRUE(f.IsNull());
    EXPECT_EQ(f.GetAsString(), "");

    f.SetAsFloat(-0.5L);
    EXPECT_FALSE(f.GetAsBoolean());
    f.SetAsBoolean(true);
    EXPECT_EQ(f.GetAsFloat(), 1.0L);
}

TEST(FieldConversion, BooleanField) {
    TAEBooleanField f;
    EXPECT_TRUE(f.IsNull());
    EXPECT_EQ(f.GetAsString(), "False"); // null still reads False
    f.SetAsString("true");
    EXPECT_TRUE(f.GetAsBoolean());
    f.SetAsString(" TRUE"); // no trimming: exactly "TRUE" after upper-casing
    EXPECT_FALSE(f.GetAsBoolean());
    f.SetAsString("1");
    EXPECT_FALSE(f.GetAsBoolean());
    f.SetAsFloat(0.1L);
    EXPECT_TRUE(f.GetAsBoolean());
    EXPECT_EQ(f.GetAsFloat(), 1.0L);
    f.SetAsInt64(-1);
    EXPECT_FALSE(f.GetAsBoolean());
    EXPECT_EQ(f.GetAsInt64(), 0);
    EXPECT_EQ(f.GetAsString(), "False");
}

TEST(FieldConversion, ListFieldRejectsScalarAccess) {
    TAEListIntegerField f;
    TAEChannelList channels{1, 3, 4};
    f.SetValueRaw(&channels);
    EXPECT_FALSE(f.IsNull());
    EXPECT_EQ(f.GetValuePtr(), &channels);
    EXPECT_EQ(f.List(), &channels);
    EXPECT_EQ(f.GetAsString(), "");
    EXPECT_THROW(f.GetAsBoolean(), EInvalidOperation);
    EXPECT_THROW(f.SetAsString("1"), EInvalidOperation);
    EXPECT_THROW(f.SetAsBoolean(true), EInvalidOperation);
    EXPECT_THROW(f.GetAsFloat(), EInvalidOperation);
    try {
        f.SetAsBoolean(true);
    } catch (const EAEError& e) {
        EXPECT_STREQ(e.what(), "Invalid Operation");
    }
    f.Clear();
    EXPECT_EQ(f.List(), nullptr);
}

TEST(FieldConversion, RawCopyBetweenFieldsOfOneFamily) {
    TAEExtendedField a, b;
    a.SetAsFloat(12.75L);
    b.SetValueRaw(a.GetValuePtr());
    EXPECT_EQ(b.GetAsFloat(), 12.75L);
    TAEStringField s, t;
    s.SetAsString("text");
    t.SetValueRaw(s.GetValuePtr());
    EXPECT_EQ(t.GetAsString(), "text");
    TAEWordField w;
    TAEIntegerField i;
    w.SetAsInt64(65535);
    i.SetValueRaw(w.GetValuePtr());
    EXPECT_EQ(i.GetAsInt64(), 65535);
}

TEST(FieldLock, LockedFieldIgnoresWritesButAcceptsID) {
    TAEExtendedField f;
    f.SetFieldName("Ampl");
    f.SetAsFloat(3.0L);
    f.SetLocked(true);
    f.SetFieldName("Other");
    f.SetAsFloat(9.0L);
    f.SetAsString("9");
    const long double raw = 9.0L;
    f.SetValueRaw(&raw);
    f.Clear();
    f.SetDisplayWidth(5);
    f.SetFlags(ffHidden);
    EXPECT_EQ(f.FieldName(), "Ampl");
    EXPECT_EQ(f.GetAsFloat(), 3.0L);
    EXPECT_FALSE(f.IsNull());
    EXPECT_EQ(f.GetDisplayWidth(), -1);
    EXPECT_EQ(f.Flags(), 0);
    f.SetID("0000000000000009");
    EXPECT_EQ(f.ID(), "0000000000000009");
}

TEST(FieldLock, ReadOnlyFieldKeepsValueButTakesAttributes) {
    TAEIntegerField f;
    f.SetAsInt64(4);
    f.SetReadOnly(true);
    f.SetAsInt64(8);
    f.Clear();
    EXPECT_EQ(f.GetAsInt64(), 4);
    f.SetFieldName("Chan");
    EXPECT_EQ(f.FieldName(), "Chan");
}

TEST(FieldClone, ClonesBelongToTheFamilyClassAndFollowTheMode) {
    TAEByteField b;
    b.SetAsInt64(7);
    b.SetLocked(true);
    auto working = b.Clone(cmWorking);
    EXPECT_EQ(working->ClassName(), "TAEIntegerField");
    EXPECT_EQ(working->DataType(), dtByte);
    EXPECT_FALSE(working->Locked());
    EXPECT_EQ(working->GetAsInt64(), 7);
    EXPECT_FALSE(working->IsValidChar('-')); // still types like a Byte field
    working->SetAsInt64(9);
    EXPECT_EQ(working->GetAsInt64(), 9);
    EXPECT_EQ(b.GetAsInt64(), 7);

    TAESingleField s;
    EXPECT_EQ(s.Clone(0)->ClassName(), "TAEExtendedField");
    TAEDoubleField d;
    EXPECT_EQ(d.Clone(0)->DataType(), dtDouble);
    EXPECT_TRUE(d.Clone(cmLocked)->Locked());
    EXPECT_TRUE(b.Clone(5)->Locked()); // other modes keep Locked

    auto attached = std::make_unique<TAEExtendedField>();
    attached->SetParametric(std::make_unique<TTestAttachment>());
    attached->SetZoom(std::make_unique<TAEExtendedField>());
    auto clone = attached->Clone(cmWorking);
    EXPECT_EQ(clone->Parametric(), nullptr);
    EXPECT_EQ(clone->Zoom(), nullptr);
}

TEST(FieldClone, ConstantCopyOfATimeField) {
    auto f = NewStandardField(fidTimeS, dtExtended, TAEDeclarer::Vallen);
    f->SetAsFloat(12.5L);
    f->SetLocked(true);
    auto c = f->Clone(cmConstant);
    EXPECT_EQ(c->ID(), "0000000000000000");
    EXPECT_TRUE(c->HasFlag(ffPersistValue));
    EXPECT_TRUE(c->HasFlag(ffTime));
    EXPECT_FALSE(c->Locked());
    EXPECT_EQ(c->DataType(), dtExtended);
    EXPECT_EQ(c->GetAsFloat(), 12.5L);
    TNodePersist node("F");
    c->SaveToNode(node);
    EXPECT_EQ(node.GetValue("Value"), "12,5");
    // System flag is copied too, so only the short form is written.
    EXPECT_EQ(node.IndexOfItem("ID"), -1);
}

TEST(FieldPersist, UserFieldWritesAllKeysWithAlignmentFileCodes) {
    TAEExtendedField f;
    f.SetID("1234567812345678");
    f.SetFieldName("Load");
    f.SetDisplayName("Pressure");
    f.SetDisplayDimension("MPa");
    f.SetDisplayWidth(80);
    f.SetAlignment(taLeftJustify);
    f.SetTag(3);
    auto attachment = std::make_unique<TTestAttachment>();
    attachment->Text = "x*2";
    TTestAttachment* raw = attachment.get();
    f.SetExpresion(std::move(attachment));
    EXPECT_EQ(raw->Field(), &f);

    TNodePersist node("FIELD");
    f.SaveToNode(node);
    const char* keys[] = {"ClassName",    "FieldName",     "DisplayName", "ID", "DisplayDimension",
                          "DisplayWidth", "DisplaySWidth", "Alignment",   "Tag"};
    ASSERT_EQ(node.ItemCount(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(node.ItemName(i), keys[i]);
    EXPECT_EQ(node.GetValue("ClassName"), "TAEExtendedField");
    EXPECT_EQ(node.GetValue("Alignment"), "1"); // left is "1" in files
    EXPECT_EQ(node.GetValue("DisplaySWidth"), "-1");
    ASSERT_NE(node.FindNode("Expresion"), nullptr);
    EXPECT_EQ(node.FindNode("Expresion")->GetValue("Text"), "x*2");

    for (uint8_t a : {taLeftJustify, taRightJustify, taCenter}) {
        TAEIntegerField src, dst;
        src.SetAlignment(a);
        TNodePersist n("FIELD");
        src.SaveToNode(n);
        dst.SetAlignment(a == taCenter ? taLeftJustify : taCenter);
        dst.LoadFromNode(n);
        EXPECT_EQ(dst.Alignment(), a);
    }
    TNodePersist right("FIELD");
    TAEIntegerField r;
    r.SetAlignment(taRightJustify);
    r.SaveToNode(right);
    EXPECT_EQ(right.GetValue("Alignment"), "2");
    TNodePersist centre("FIELD");
    TAEIntegerField c;
    c.SetAlignment(taCenter);
    c.SaveToNode(centre);
    EXPECT_EQ(centre.GetValue("Alignment"), "0");
}

TEST(FieldPersist, SystemFieldWritesShortForm) {
    auto f = NewStandardField(fidAmpl, dtExtended);
    TNodePersist node("FIELD");
    f->SaveToNode(node);
    ASSERT_EQ(node.ItemCount(), 3);
    EXPECT_EQ(node.ItemName(0), "ClassName");
    EXPECT_EQ(node.ItemName(1), "FieldName");
    EXPECT_EQ(node.ItemName(2), "DisplayName");
}

TEST(FieldPersist, LoadKeepsAbsentKeysAndFeedsExistingAttachmentsOnly) {
    TNodePersist node("FIELD");
    node.AddItem("ClassName", "TAEIntegerField");
    node.AddItem("FieldName", "Limit");
    node.AddItem("DisplayName", "");
    node.AddItem("DisplayWidth", "abc");
    node.AddItem("Value", "17");
    node.AddNode("Criterion")->AddItem("Text", "crit");
    node.AddNode("Zoom")->AddItem("FieldName", "ZoomName");

    TAEIntegerField f;
    f.SetDisplayName("Keep");
    f.SetDisplayWidth(60);
    f.SetZoom(std::make_unique<TAEIntegerField>());
    f.LoadFromNode(node);
    EXPECT_EQ(f.FieldName(), "Limit");
    EXPECT_EQ(f.GetDisplayName(), "Keep");
    EXPECT_EQ(f.GetDisplayWidth(), 60);
    EXPECT_TRUE(f.IsNull()); // no persist-value flag
    EXPECT_EQ(f.Criterion(), nullptr);
    EXPECT_EQ(f.Zoom()->FieldName(), "ZoomName");

    f.SetFlags(f.Flags() | ffPersistValue);
    f.LoadFromNode(node);
    EXPECT_EQ(f.GetAsInt64(), 17);
}

TEST(FieldPersist, CriterionSetterHandsBackThePreviousObject) {
    TAEExtendedField f;
    f.SetLocked(true);
    auto first = std::make_unique<TTestAttachment>();
    TTestAttachment* firstRaw = first.get();
    EXPECT_EQ(f.SetCriterion(std::move(first)), nullptr);
    EXPECT_EQ(f.Criterion(), firstRaw); // stored even when Locked
    auto previous = f.SetCriterion(std::make_unique<TTestAttachment>());
    EXPECT_EQ(previous.get(), firstRaw);
}

TEST(FieldChars, AcceptedCharactersPerClass) {
    TAEByteField b;
    EXPECT_TRUE(b.IsValidChar('0'));
    EXPECT_TRUE(b.IsValidChar('9'));
    EXPECT_FALSE(b.IsValidChar('-'));
    EXPECT_FALSE(b.IsValidChar('a'));
    TAEShortIntField si;
    EXPECT_TRUE(si.IsValidChar('-'));
    TAEExtendedField e;
    EXPECT_TRUE(e.IsValidChar(','));
    EXPECT_FALSE(e.IsValidChar('.'));
    EXPECT_TRUE(e.IsValidChar('E'));
    EXPECT_TRUE(e.IsValidChar('+'));
    TAEListIntegerField l;
    EXPECT_FALSE(l.IsValidChar('1'));
    TAEBooleanField bo;
    EXPECT_TRUE(bo.IsValidChar('\xC0'));
}

TEST(FieldIDs, ReservedIDs) {
    EXPECT_TRUE(IsReservedID("0000000000000073"));
    EXPECT_TRUE(IsReservedID("0000000000000000"));
    EXPECT_TRUE(IsReservedID("0000000000000999"));
    EXPECT_TRUE(IsReservedID("0000000000001000"));
    EXPECT_FALSE(IsReservedID("0000000000001001"));
    EXPECT_FALSE(IsReservedID("0000000000010000"));
    EXPECT_FALSE(IsReservedID("1000000000000000"));
    EXPECT_FALSE(IsReservedID(""));
    for (int n = 0; n < StandardIDCount; ++n)
        EXPECT_TRUE(IsReservedID(StandardID(n))) << n;
}

TEST(FieldIDs, AssignIDWithAndWithoutRenewal) {
    TCountingGenerator gen;
    TAEIntegerField chan, user, empty;
    chan.SetID(fidChan);
    user.SetID("5555555555555555");
    chan.AssignID(false, gen);
    user.AssignID(false, gen);
    empty.AssignID(false, gen);
    EXPECT_EQ(chan.ID(), fidChan);
    EXPECT_EQ(user.ID(), "5555555555555555");
    EXPECT_FALSE(empty.ID().empty());
    EXPECT_EQ(gen.Calls, 1);

    chan.AssignID(true, gen);
    user.AssignID(true, gen);
    EXPECT_EQ(chan.ID(), fidChan);
    EXPECT_NE(user.ID(), "5555555555555555");
    EXPECT_EQ(gen.Calls, 2);
}

TEST(FieldIDs, TypeRanges) {
    EXPECT_EQ(MaxValueOf(dtByte), 255);
    EXPECT_EQ(MaxValueOf(dtLongWord), 4294967295LL);
    EXPECT_EQ(MinValueOf(dtShortInt), -128);
    EXPECT_EQ(MinValueOf(dtInteger), -2147483648LL);
    EXPECT_EQ(MinValueOf(dtInt64), std::numeric_limits<int64_t>::min());
    TAEInt64Field big;
    EXPECT_FALSE(IsAboveMax(big, std::numeric_limits<int64_t>::max()));
    TAEExtendedField e;
    EXPECT_FALSE(IsAboveMax(e, 1LL << 62));
    EXPECT_FALSE(IsBelowMin(e, -(1LL << 62)));
}

TEST(FieldCatalogue, StandardTemplatesCarryCatalogueAttributes) {
    auto time = NewStandardField(fidTime, dtExtended);
    EXPECT_EQ(time->ClassName(), "TAEExtendedField");
    EXPECT_EQ(time->FieldName(), "Time");
    EXPECT_EQ(time->GetDisplayDimension(), "µs");
    EXPECT_EQ(time->UnitKind(), ukMicrosecond);
    EXPECT_EQ(time->Flags(), 0x0105);
    EXPECT_EQ(time->Alignment(), taRightJustify);
    EXPECT_EQ(time->GetDisplayWidth(), 100);
    EXPECT_TRUE(time->IsNull());
    EXPECT_FALSE(time->Locked());

    auto text = NewStandardField(fidDefaultText, dtString);
    EXPECT_EQ(text->GetDisplayWidth(), 200);
    EXPECT_EQ(text->Alignment(), taLeftJustify);

    auto chanC = NewStandardField(fidChan, dtByte, TAEDeclarer::Criterion);
    EXPECT_EQ(chanC->Group(), fgCriterion);
    EXPECT_EQ(chanC->Flags(), 0x0089);
    EXPECT_EQ(chanC->ClassName(), "TAEByteField");
    EXPECT_EQ(NewStandardField(fidChan, dtByte)->Flags(), 0x0091);

    EXPECT_EQ(NewStandardField(fidEnergy, dtWord, TAEDeclarer::Disp)->GetDisplayName(),
              "(PAC)Energy");
    EXPECT_EQ(NewStandardField(fidEnergy, dtExtended, TAEDeclarer::Vallen)->GetDisplayDimension(),
              "eU");
    auto dp = NewStandardField(fidParametric2, dtWord, TAEDeclarer::Spartan);
    EXPECT_EQ(dp->FieldName(), "DP");
    auto gainS = NewStandardField(fidGain, dtInteger, TAEDeclarer::Spartan);
    EXPECT_EQ(gainS->GetDisplayWidth(), 50);
    EXPECT_EQ(gainS->Group(), fgParametric);
    EXPECT_EQ(NewStandardField(fidTimeS, dtExtended)->DisplayFormat(), "%.8f");
    EXPECT_EQ(fidChanN(9), "0000000000000042");
    EXPECT_EQ(NewStandardField(fidDT1N(9), dtExtended)->FieldName(), "DT19");
    EXPECT_EQ(NewStandardField(fidAmpN(2), dtLongWord)->FieldName(), "Amp2");

    EXPECT_EQ(NewStandardField("0000000000000010", dtExtended), nullptr); // reserved only
    EXPECT_EQ(NewStandardField(fidTime, dtUnknown), nullptr);
    int declared = 0;
    for (int n = 0; n < StandardIDCount; ++n)
        declared += FindStandardField(StandardID(n)) != nullptr;
    // 77 of the hits and events, and 8 of where an event's source lies.
    EXPECT_EQ(declared, 85);
    EXPECT_EQ(NewStandardField(fidEventsInCircle, dtInteger)->GetDisplayName(), "Events in Circle");
    EXPECT_EQ(NewStandardField(fidSourceX, dtDouble)->Group(), fgLocation);
}
