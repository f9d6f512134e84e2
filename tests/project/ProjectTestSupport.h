#pragma once
// Generated data files and a project with a bit of everything for the project tests.

#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TGVProperty.h"
#include "persist/TGVVariant.h"
#include "persist/TNodePersist.h"
#include "processing/TGVCPUPlaceholder.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "processing/location/TGVCPULoc.h"
#include "project/RegisterCoreClasses.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorelt::test {

inline std::string GenerateFile(const TTempDir& dir, const std::string& format, uint64_t hits,
                                uint64_t seed = 3, bool inOrder = false) {
    TGenerateOptions options;
    options.Format = format;
    options.FileName = dir.File("data." + format);
    options.Hits = hits;
    options.Channels = 4;
    options.Seed = seed;
    options.InOrder = inOrder;
    std::string error;
    EXPECT_TRUE(GenerateDataFile(options, error)) << error;
    return options.FileName;
}

// The "Deleted" flags of every record that reaches `p`, in order.
inline std::vector<bool> DeletedFlags(TGVCPU& p) {
    TAERecord record;
    p.PrepareRecord(record);
    TAEPNav nav;
    std::vector<bool> out;
    std::string error;
    EXPECT_TRUE(ConsumeRecords(
        p, nav, record,
        [&](TAERecord& r, int32_t) {
            out.push_back((r.RecFlags() & rfDeleted) != 0);
            return true;
        },
        error))
        << error;
    return out;
}

// A filter that lets every record through: named like filters ("FR01", ...) by the tree.
class TTestPassFilter : public TGVSource {
public:
    TTestPassFilter() : TGVSource(pkFltr) {}
    std::string ClassName() const override { return "TTestPassFilter"; }
};

inline void RegisterTestClasses() {
    RegisterCoreClasses();
    RegisterClass<TTestPassFilter>("TTestPassFilter");
}

// A new processor of class T below `parent`, with an ID and the name the tree gives it.
template <class T> T* AddKind(TProjectAE& project, TGVCPU& parent) {
    T* p = parent.AddNew<T>();
    p->AssignIDsDeep(false, *project.IDGenerator());
    project.Db().NameProcessors();
    return p;
}

// A pass-through filter below `parent`, with an ID and the name the tree gives it.
inline TGVCPU* AddProcessor(TProjectAE& project, TGVCPU& parent) {
    TGVCPU* p = parent.AddNew<TTestPassFilter>();
    p->AssignIDs(false, *project.IDGenerator());
    project.Db().NameProcessors();
    return p;
}

// A project with a tree of every processor kind this library can run or keep, variants, ZIP
// parameters, test sections, a load line, a parametric field, deletion columns and two pages.
inline void FillProject(TProjectAE& project) {
    project.SetName("Full");
    project.SetColorBackGraph(1);
    TGVDb& db = project.Db();
    TGVCPU* filter = AddKind<TGVCPUFltr>(project, db);
    TGVCPU* location = AddKind<TGVCPULoc>(project, *filter);
    AddKind<TGVCPUTurnOffFltr>(project, *location);
    AddProcessor(project, *filter);
    // A table processor of the visual layer, kept as saved.
    TNodePersist table("OBJ");
    table.AddItem("ClassName", "TGVCPUTbl");
    table.AddItem("ID", project.GenerateID());
    table.AddNode("FIELDS");
    table.AddNode("PROPERTIES")->AddItem("ClassName", "TGVProperties");
    table.AddNode("VIEW")->AddItem("Columns", "0000000000000002;0000000000000061");
    auto* tbl = filter->AddNew<TGVCPUPlaceholder>(table);
    tbl->SetName("TB01");

    auto text = std::make_unique<TGVStringVariant>();
    text->SetID(project.GenerateID());
    text->SetDisplayName("Operator");
    text->SetAsString("Ivanov");
    project.Variants().Add(std::move(text));
    auto limit = std::make_unique<TGVFloatVariant>();
    limit->SetID(project.GenerateID());
    limit->SetDisplayName("Limit");
    limit->SetAsFloat(12.75L);
    project.Variants().Add(std::move(limit));
    project.ZipParameters().SetJ(25);

    db.TestSections().Add(std::make_unique<TTestSection>("Rise", 0, 600));
    db.TestSections().Add(std::make_unique<TTestSection>("Hold", 600, 1800));
    db.TestLoadLine().Points().AddPoint({0, 0});
    db.TestLoadLine().Points().AddPoint({600, 10.5L});
    db.TestLoadLine().Points().AddPoint({1800, 10.5L});
    db.AddParametricField("Pressure", fidParametric1, 0.125L, 1.5L);
    auto* column = db.DelHitFields().AddNew<TGVStringProperty>("TimeS");
    column->SetAsString(fidTimeS);
    db.AssignIDs(false, *project.IDGenerator());

    TDispatchDraw& pages = project.Pages();
    pages.AddPage("Overview");
    pages.AddPage("Details");
    RecListGVCPU placement;
    placement.ID = tbl->ID();
    placement.BottomRightX = 148.5L;
    placement.BottomRightY = 105;
    pages.Page(0)->AddPlacement(placement);
    placement.TopLeftX = 18.5625L;
    placement.BottomRightX = 297;
    placement.BottomRightY = 210;
    pages.Page(1)->AddPlacement(placement);
}

} // namespace vorelt::test
