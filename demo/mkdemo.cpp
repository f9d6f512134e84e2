// Writes the demo project into the folder given: a synthetic Tarvel PCI data file
// ("demo.pci", 12 channels) and the project "demo.xml" on it with four pages; the first page
// holds a table of every kind of record, the second three graphs (amplitude against time split
// by channel, hits per channel, counts against amplitude on logarithmic axes), the third
// ("Pipe Run") a location branch with a source-location processor ending in a 3D graph whose
// pipe schema carries sensors on channels 1 to 11 and shows where the events were located, the
// fourth ("Located Sources") the same events in a plot of Source Y against Source X with the
// sensors. "--hits N" makes the same project on a larger file. Beside it, the waveform demo
// ("waves.xml" on a Vallen file with its transient database).

#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "persist/IIDGenerator.h"
#include "persist/TGVProperty.h"
#include "persist/TNumberFormat.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/RegisterGraphClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TGraphViewNode.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TSchemaSensorPlaces.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/RegisterCoreClasses.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"
#include "viewmodel/dialogs/processors/TSchemaEditRules.h"

#include "WaveformDemo.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace {

using namespace vorelt;

void Set(TAEOBJ3D& o, const char* name, long double value) {
    o.Properties().FindAs<TGVProperty>(name)->SetAsFloat(value);
}

TAEOBJ3D* Run(TAEOBJ3D& parent, TSchemaAddKind kind, long double length, int angleXZ) {
    TAEOBJ3D* e = AddSchemaObject(parent, kind);
    Set(*e, "Length", length);
    Set(*e, "AngleXZ", angleXZ);
    return e;
}

void Sensor(TAEOBJ3D& carrier, int32_t channel, long double offset) {
    auto* s = static_cast<TAEOBJ3DPAEPS*>(AddSchemaObject(carrier, TSchemaAddKind::PAE));
    s->SetChannel(channel);
    Set(*s, "DeltaLength", offset);
}

// A pipe run of four pipes and a vessel, 1 : 2000 cm, with eleven sensors; channel 12 is left
// without a sensor.
void AddPipeRun(TGVCPUGr3D& graph) {
    graph.Data().SetSchema(graph.Data().NewSchema("TAEOBJ3DPipesSchema"));
    TAEOBJ3D& schema = *graph.Data().Schema();
    schema.Properties().FindAs<TGVProperty>("Title")->SetAsString("Demo pipe run");
    Set(schema, "Scale", 2000);
    Set(schema, "BegCoordX", -30);
    Set(schema, "BegCoordY", -10);
    Set(schema, "BegCoordZ", -20);
    TAEOBJ3D* header = Run(schema, TSchemaAddKind::Pipe, 40, 0);
    header->Properties().FindAs<TGVProperty>("Title")->SetAsString("Header");
    Sensor(*header, 1, 2);
    Sensor(*header, 2, 20);
    Sensor(*header, 3, 38);
    TAEOBJ3D* bend = Run(schema, TSchemaAddKind::Pipe, 30, 90);
    Sensor(*bend, 4, 5);
    Sensor(*bend, 5, 15);
    Sensor(*bend, 6, 25);
    TAEOBJ3D* rise = Run(schema, TSchemaAddKind::Pipe, 15, 90);
    Set(*rise, "TypeCoord", 1);
    Set(*rise, "Height", 10);
    Sensor(*rise, 7, 7);
    TAEOBJ3D* vessel = Run(schema, TSchemaAddKind::Host, 20, 0);
    vessel->Properties().FindAs<TGVProperty>("Title")->SetAsString("Vessel");
    Sensor(*vessel, 8, 5);
    Sensor(*vessel, 9, 15);
    TAEOBJ3D* branch = AddSchemaObject(*vessel, TSchemaAddKind::HostBranch);
    Set(*branch, "DeltaLength", 10);
    TAEOBJ3D* drop = Run(*branch, TSchemaAddKind::Pipe, 25, -90);
    Sensor(*drop, 10, 5);
    Sensor(*drop, 11, 20);
}

} // namespace

int main(int argc, char** argv) {
    using namespace vorelt;
    int64_t hits = 20000;
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-h" || first == "help")) {
        std::cout << "usage: vorelt-mkdemo FOLDER [--hits N]\n"
                     "Makes the demo project and its synthetic data file in FOLDER.\n";
        return 0;
    }
    // A mistyped option is not a folder to fill.
    const bool withHits = argc == 4 && std::string(argv[2]) == "--hits";
    if ((argc != 2 && !withHits) || first.empty() || first[0] == '-' ||
        (withHits && (!TryStrToInt64(argv[3], hits) || hits < 1 ||
                      hits > static_cast<int64_t>(MaxGenerateHits)))) {
        std::cerr << "usage: vorelt-mkdemo FOLDER [--hits N]\n";
        return 2;
    }
    const std::filesystem::path dir = std::filesystem::absolute(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    RegisterCoreClasses();
    RegisterTableClasses();
    RegisterGraphClasses();

    TGenerateOptions options;
    options.Format = "pci";
    options.FileName = (dir / "demo.pci").string();
    options.Hits = static_cast<uint64_t>(hits);
    options.Channels = 12;
    options.Seed = 7;
    // In time order, so that the location branch builds its events without a sort first.
    options.InOrder = true;
    std::string error;
    // A log of an earlier run would carry deletions into the fresh file.
    std::filesystem::remove(dir / "demo.log", ec);
    if (!GenerateDataFile(options, error)) {
        std::cerr << "error: " << options.FileName << ": " << error << "\n";
        return 1;
    }
    TProjectAE project;
    if (!project.OpenDataFile(options.FileName, error)) {
        std::cerr << "error: " << options.FileName << ": " << error << "\n";
        return 1;
    }
    project.SetName("Demo");
    project.Pages().AddPage("First Page");
    project.Pages().AddPage("Second Page");

    // A table of every kind of record on the left of the first page.
    auto* table = project.Db().AddNew<TGVCPUTbl>();
    table->NameProcessors();
    if (IIDGenerator* ids = project.IDGenerator()) table->AssignIDs(false, *ids);
    for (const char* id :
         {fidNumRec, fidHHMMSS, fidTimeS, fidChan, fidAmpl, fidRise, fidCount, fidDurat, fidEnergy})
        if (const TAEField* f = table->FindField(id)) table->Data().AddColumn(*f);
    table->Data().SetTypeRec(0);
    RecListGVCPU placement;
    placement.TopLeftX = 0;
    placement.TopLeftY = 0;
    placement.BottomRightX = 297.0L * 10 / 16;
    placement.BottomRightY = 210;
    placement.ID = table->ID();
    project.Pages().Page(0)->AddPlacement(placement);
    // Three graphs side by side on the second page.
    auto addGraph = [&](const TGraphViewPlan& plan, int slot) {
        auto* graph = project.Db().AddNew<TGVCPUGr>();
        graph->NameProcessors();
        if (IIDGenerator* ids = project.IDGenerator()) graph->AssignIDs(false, *ids);
        graph->SetViewNode(MakeGraphViewNode(plan));
        RecListGVCPU at;
        at.TopLeftX = 297.0L * slot / 3;
        at.TopLeftY = 0;
        at.BottomRightX = 297.0L * (slot + 1) / 3;
        at.BottomRightY = 210;
        at.ID = graph->ID();
        project.Pages().Page(1)->AddPlacement(at);
    };
    TGraphViewPlan amplitude;
    amplitude.Title = "Amplitude";
    amplitude.Left.FieldId = fidAmpl;
    amplitude.Bottom.FieldId = fidTimeS;
    amplitude.Series.push_back({stPointPlot, 3, 100, bsCnt, false, true});
    addGraph(amplitude, 0);
    TGraphViewPlan channels;
    channels.Title = "Hits per Channel";
    channels.Left.FieldId = fidAmpl;
    channels.Bottom.FieldId = fidChan;
    // Counts start at 0, and one bin per channel 0 .. 13 centred on its number, so the bars
    // of channels 1 and 12 are whole and stand on the axis.
    channels.Left.Legend = "Hits";
    channels.Left.Like = project.Db().FindField(fidAmpl);
    channels.Left.FixedMin = true;
    channels.Left.Min = 0;
    channels.Bottom.Like = project.Db().FindField(fidChan);
    channels.Bottom.FixedMin = channels.Bottom.FixedMax = true;
    channels.Bottom.Min = 0;
    channels.Bottom.Max = 13;
    channels.Series.push_back({stHistigram, 5, 14, bsCnt, true, false});
    addGraph(channels, 1);
    TGraphViewPlan counts;
    counts.Title = "Counts vs Amplitude";
    counts.Left.FieldId = fidCount;
    counts.Left.Logarithmic = true;
    counts.Bottom.FieldId = fidAmpl;
    counts.Bottom.Logarithmic = true;
    counts.Series.push_back({stPointPlot, 10, 100, bsCnt, false, true});
    addGraph(counts, 2);

    // A location branch with a 3D graph of a pipe run filling the third page; the sources are
    // located along the pipes from the sensors of its schema.
    auto* loc = project.Db().AddNew<TGVCPULoc>();
    // Hits come 400 µs apart on average: a window of 1,5 ms gathers a few of them into one
    // event, whose time differences along 18 m of pipe place it between two sensors.
    if (auto* mpt = dynamic_cast<TLocOutMPT*>(&loc->Algorithm())) {
        mpt->SetLockOut(2000);
        mpt->SetMPT(1500);
    }
    auto* sources = loc->AddNew<TGVCPUSourceLoc>();
    auto* graph = sources->AddNew<TGVCPUGr3D>();
    TGraphViewPlan located;
    located.Title = "Located Sources";
    located.Left.FieldId = fidSourceY;
    located.Bottom.FieldId = fidSourceX;
    located.Series.push_back({stPointPlot, 3, 100, bsCnt, false, false});
    auto* plot = sources->AddNew<TGVCPUGr>();
    loc->NameProcessors();
    if (IIDGenerator* ids = project.IDGenerator()) loc->AssignIDsDeep(false, *ids);
    AddPipeRun(*graph);
    TSensorLayout layout;
    layout.SetMethod(TLocMethod::Linear);
    if (!PlaceSensorsFromSchema(*graph->Data().Schema(), layout, error)) {
        std::cerr << "error: " << error << "\n";
        return 1;
    }
    sources->SetLayout(layout);
    // The plot spans the sensors with a margin, so that they and the outline show whatever
    // the events' spread.
    double x0 = layout.Sensors().front().X, x1 = x0, y0 = layout.Sensors().front().Y, y1 = y0;
    for (const TSensor& sensor : layout.Sensors()) {
        x0 = std::min(x0, sensor.X);
        x1 = std::max(x1, sensor.X);
        y0 = std::min(y0, sensor.Y);
        y1 = std::max(y1, sensor.Y);
    }
    const double margin = std::max(x1 - x0, y1 - y0) / 10;
    located.Bottom.Like = sources->FindField(fidSourceX);
    located.Left.Like = sources->FindField(fidSourceY);
    located.Bottom.FixedMin = located.Bottom.FixedMax = true;
    located.Left.FixedMin = located.Left.FixedMax = true;
    located.Bottom.Min = x0 - margin;
    located.Bottom.Max = x1 + margin;
    located.Left.Min = y0 - margin;
    located.Left.Max = y1 + margin;
    plot->SetViewNode(MakeGraphViewNode(located));
    const int page = project.Pages().AddPage("Pipe Run");
    RecListGVCPU whole;
    whole.BottomRightX = TDispatchDraw::DefaultLogicalWidth;
    whole.BottomRightY = TDispatchDraw::DefaultLogicalHeight;
    whole.ID = graph->ID();
    project.Pages().Page(page)->AddPlacement(whole);
    const int plotPage = project.Pages().AddPage("Located Sources");
    whole.ID = plot->ID();
    project.Pages().Page(plotPage)->AddPlacement(whole);
    const std::string target = (dir / "demo.xml").string();
    if (!project.SaveProject(target, error)) {
        std::cerr << "error: " << target << ": " << error << "\n";
        return 1;
    }
    project.CloseDataFile();
    if (!WriteWaveformDemo(dir, error)) {
        std::cerr << "error: " << error << "\n";
        return 1;
    }
    return 0;
}
