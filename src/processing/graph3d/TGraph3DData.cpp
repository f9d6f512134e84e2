#include "processing/graph3d/TGraph3DData.h"

#include "model/TAEField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "persist/TTextHelpers.h"
#include "processing/TGVCPU.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"

#include <algorithm>

namespace vorelt {

namespace {

bool IsSchemaClass(std::string_view name) {
    for (const TSchemaClassEntry& e : SchemaClasses)
        if (SameTextTrimmed(e.ClassName, name)) return true;
    return false;
}

} // namespace

uint32_t ActivityColor(int32_t level) {
    static constexpr uint32_t colors[ActivityLevels + 1] = {0x808080, 0x3050FF, 0x00C8FF,
                                                            0x00DC00, 0xFFA000, 0xFF0000};
    return colors[std::clamp(level, 0, ActivityLevels)];
}

TGraph3DData::TGraph3DData(IObj3DOwner& owner) : FOwner(owner) {}

TGraph3DData::~TGraph3DData() = default;

void TGraph3DData::SetSchema(std::unique_ptr<TAEOBJ3D> schema) {
    FSchema = std::move(schema);
    if (FSchema) FSchema->SetOwner(&FOwner);
}

std::unique_ptr<TAEOBJ3D> TGraph3DData::NewSchema(const std::string& className) const {
    if (!IsSchemaClass(className)) return nullptr;
    std::unique_ptr<TAEOBJ3D> schema = TClassRegistry::Instance().CreateAs<TAEOBJ3D>(className);
    if (!schema) return nullptr;
    schema->SetOwner(&FOwner);
    schema->EnsureId(true);
    schema->EnsureIdgl(true);
    return schema;
}

// --- Information fields ---------------------------------------------------------------------

bool TGraph3DData::AddInfoField(const TAEField& field) {
    if (UsesField(field.ID())) return false;
    auto entry = std::make_unique<TGVStringProperty>(field.FieldName());
    entry->SetAsString(field.ID());
    entry->SetAlignment(field.Alignment());
    entry->SetDisplayName(field.GetDisplayName());
    entry->SetDisplayWidth(field.GetDisplayWidth());
    entry->SetDisplaySWidth(field.GetDisplaySWidth());
    FInfoFields.Add(std::move(entry));
    return true;
}

int TGraph3DData::IndexOfInfoField(std::string_view id) const {
    for (int i = 0; i < FInfoFields.Count(); ++i)
        if (auto* p = dynamic_cast<const TGVProperty*>(FInfoFields.Get(i)))
            if (p->GetAsString() == id) return i;
    return -1;
}

void TGraph3DData::RemoveField(std::string_view id) {
    for (int i = FInfoFields.Count() - 1; i >= 0; --i)
        if (auto* p = dynamic_cast<const TGVProperty*>(FInfoFields.Get(i)))
            if (p->GetAsString() == id) FInfoFields.Delete(i);
}

// --- Collected records ----------------------------------------------------------------------

void TGraph3DData::ClearRecords() {
    FPositions.clear();
    FFirstHits.clear();
}

bool TGraph3DData::Collect(TGVCPU& processor, bool firstOnly, std::string& error) {
    ClearRecords();
    TAEPNav& nav = processor.Nav();
    TAERecord& record = processor.Record();
    nav.Kinds = KindBit(rkHit);
    processor.PrepareRecord(record);
    const TAEField* chan = record.FindByID(fidChan);
    int32_t i = processor.FirstRecord(nav, record, -1);
    while ((nav.Out.Status & nsEndForward) == 0) {
        if (nav.Out.Status & nsError) break;
        const bool first = (nav.Out.EventFlags & rfFirstHit) != 0;
        if (nav.Out.Kind != rkHit || !firstOnly || first) {
            FPositions.push_back(i);
            if (first && nav.Out.Kind == rkHit && chan) {
                processor.ReadRecord(nav, record, i);
                if (nav.Out.Status & nsError) break;
                if (!chan->IsNull()) {
                    const int64_t c = chan->GetAsInt64();
                    if (c >= 0 && c <= INT32_MAX) ++FFirstHits[static_cast<int32_t>(c)];
                }
            }
        }
        i = processor.NextRecord(nav, record, i);
    }
    if (nav.Out.Status & nsError) {
        error = nav.Out.Message;
        ClearRecords();
        return false;
    }
    return true;
}

std::vector<TActivityEntry> TGraph3DData::ActivityLegend() const {
    std::vector<TActivityEntry> out;
    int32_t busiest = 0;
    for (const auto& [channel, hits] : FFirstHits)
        busiest = std::max(busiest, hits);
    auto level = [busiest](int32_t hits) {
        if (hits <= 0 || busiest <= 0) return 0;
        // Rounded up, so that a single hit already shows.
        return static_cast<int32_t>((int64_t{ActivityLevels} * hits + busiest - 1) / busiest);
    };
    std::vector<int32_t> placed;
    if (FSchema)
        FSchema->ForEach([&](TAEOBJ3D& o) {
            auto* pae = dynamic_cast<TAEOBJ3DPAEPS*>(&o);
            if (!pae || pae->Channel() == 0) return;
            TActivityEntry e;
            e.Channel = pae->Channel();
            const auto it = FFirstHits.find(e.Channel);
            e.FirstHits = it == FFirstHits.end() ? 0 : it->second;
            e.Level = level(e.FirstHits);
            e.Sensor = pae->GetDisplayText();
            e.IDGL = pae->IDGL();
            out.push_back(e);
            placed.push_back(e.Channel);
        });
    std::stable_sort(out.begin(), out.end(), [](const TActivityEntry& a, const TActivityEntry& b) {
        return a.Channel < b.Channel;
    });
    for (const auto& [channel, hits] : FFirstHits) {
        if (std::find(placed.begin(), placed.end(), channel) != placed.end()) continue;
        TActivityEntry e;
        e.Channel = channel;
        e.FirstHits = hits;
        e.Level = level(hits);
        out.push_back(e);
    }
    return out;
}

// --- Persistence ----------------------------------------------------------------------------

void TGraph3DData::SaveSchema(TNodePersist& node) const {
    if (FSchema) FSchema->SaveToNode(*node.AddNode(NodeSchema));
}

void TGraph3DData::SaveInfoFields(TNodePersist& node) const {
    FInfoFields.SaveToNode(*node.AddNode(NodeFieldsInfo));
}

void TGraph3DData::LoadSchema(const TNodePersist& node, const TGVCPU* tree) {
    FSchema.reset();
    const std::string cls = Trim(node.GetValue("ClassName"));
    if (!IsSchemaClass(cls)) return;
    std::unique_ptr<TAEOBJ3D> schema = TClassRegistry::Instance().CreateAs<TAEOBJ3D>(cls);
    if (!schema) return;
    schema->SetOwner(&FOwner);
    schema->LoadFromNode(node);
    schema->EnsureId(false);
    // The schema is not in the tree yet, so the tree answers for the other schemas only.
    const int32_t idgl = schema->IDGL();
    bool taken = idgl == 0 || (tree && !tree->IsNumberFree(idgl));
    for (int i = 0; !taken && i < schema->ChildCount(); ++i)
        taken = !schema->Child(i)->IsIdglFree(idgl);
    while (taken) {
        schema->EnsureIdgl(true);
        taken = false;
        for (int i = 0; !taken && i < schema->ChildCount(); ++i)
            taken = !schema->Child(i)->IsIdglFree(schema->IDGL());
    }
    FSchema = std::move(schema);
}

void TGraph3DData::LoadInfoFields(const TNodePersist& node) {
    FInfoFields.Clear();
    FInfoFields.LoadFromNode(node);
}

} // namespace vorelt
