#pragma once
// What a 3D graph holds apart from how it is shown: the pipe schema, the information fields,
// the "Show Activity" switch and what the last activation collected (record positions and
// the first hits per channel). The processor owns it, so tools without a display load, save
// and answer questions about a 3D graph as the window does.

#include "persist/TGVProperties.h"
#include "processing/graph3d/TAEOBJ3D.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TAEField;
class TGVCPU;
class TNodePersist;

inline constexpr char NodeSchema[] = "Schema";
inline constexpr char NodeFieldsInfo[] = "FIELDSINFO";
inline constexpr char ItemShowActivity[] = "ShowActivity";

// The schema classes a 3D graph offers when a schema is added: type name and class name.
struct TSchemaClassEntry {
    const char* TypeName;
    const char* ClassName;
};
inline constexpr TSchemaClassEntry SchemaClasses[] = {{"Pipes Schema", "TAEOBJ3DPipesSchema"}};

// One line of the activity legend.
struct TActivityEntry {
    int32_t Channel = 0;
    int32_t FirstHits = 0;
    int32_t Level = 0;  // 0 no hits, 1 .. ActivityLevels relative to the busiest channel
    std::string Sensor; // display text of the sensor; empty for a channel without one
    int32_t IDGL = 0;   // the sensor's OpenGL name, 0 without sensor
};
inline constexpr int32_t ActivityLevels = 5;
// Colours of the levels as 0xRRGGBB: grey for silent sensors, then blue to red.
uint32_t ActivityColor(int32_t level);

class TGraph3DData {
public:
    explicit TGraph3DData(IObj3DOwner& owner);
    ~TGraph3DData();
    TGraph3DData(const TGraph3DData&) = delete;
    TGraph3DData& operator=(const TGraph3DData&) = delete;

    // --- Schema ---------------------------------------------------------------------------
    TAEOBJ3D* Schema() const { return FSchema.get(); }
    // Takes the schema over (none frees the present one); its tree gets the data's owner.
    void SetSchema(std::unique_ptr<TAEOBJ3D> schema);
    // A new schema of a registered schema class with an ID and an IDGL; none for other names.
    std::unique_ptr<TAEOBJ3D> NewSchema(const std::string& className) const;

    // --- Information fields ---------------------------------------------------------------
    TGVProperties& InfoFields() { return FInfoFields; }
    const TGVProperties& InfoFields() const { return FInfoFields; }
    // Appends an entry copied from the field; false when its ID is listed already.
    bool AddInfoField(const TAEField& field);
    int IndexOfInfoField(std::string_view id) const;
    bool UsesField(std::string_view id) const { return IndexOfInfoField(id) >= 0; }
    // Every entry with the ID, from the last to the first.
    void RemoveField(std::string_view id);

    bool ShowActivity() const { return FShowActivity; }
    void SetShowActivity(bool flag) { FShowActivity = flag; }

    // --- Collected records ----------------------------------------------------------------
    const std::vector<int32_t>& RecordPositions() const { return FPositions; }
    // First hits of located events among the collected records, by channel.
    const std::map<int32_t, int32_t>& FirstHits() const { return FFirstHits; }
    void ClearRecords();
    // Walks the hits of `processor`: every hit, or with `firstOnly` only first hits of
    // events. False with the cursor's message on an abort or an error; the lists are then
    // empty.
    bool Collect(TGVCPU& processor, bool firstOnly, std::string& error);
    // The legend: every sensor of the schema by its channel (channel 0 sensors are not
    // listed), then the channels with first hits that no sensor carries.
    std::vector<TActivityEntry> ActivityLegend() const;

    // --- Persistence ----------------------------------------------------------------------
    // The child "Schema" when there is one.
    void SaveSchema(TNodePersist& node) const;
    // The child "FIELDSINFO".
    void SaveInfoFields(TNodePersist& node) const;
    // A "Schema" child: frees the schema and creates one of the saved class when that is a
    // registered schema class; its IDs are kept, and it gets an ID and an IDGL when it has
    // none or when the IDGL is taken elsewhere in `tree`.
    void LoadSchema(const TNodePersist& node, const TGVCPU* tree);
    void LoadInfoFields(const TNodePersist& node);

private:
    IObj3DOwner& FOwner;
    std::unique_ptr<TAEOBJ3D> FSchema;
    TGVProperties FInfoFields;
    bool FShowActivity = true;
    std::vector<int32_t> FPositions;
    std::map<int32_t, int32_t> FFirstHits;
};

} // namespace vorelt
