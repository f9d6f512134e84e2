#include "WaveformDemo.h"

#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "persist/IIDGenerator.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TGraphViewNode.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"

using namespace vorelt;

bool WriteWaveformDemo(const std::filesystem::path& dir, std::string& error) {
    TGenerateOptions options;
    options.Format = "vallen";
    options.FileName = (dir / "waves.pridb").string();
    options.Hits = 2000;
    options.Channels = 4;
    options.Seed = 11;
    options.InOrder = true;
    options.Waveforms = TWaveformStorage::Flac;
    options.WaveformSamples = 2048;
    if (!GenerateDataFile(options, error)) {
        error = options.FileName + ": " + error;
        return false;
    }
    TProjectAE project;
    if (!project.OpenDataFile(options.FileName, error)) {
        error = options.FileName + ": " + error;
        return false;
    }
    project.SetName("Waveforms");
    const int page = project.Pages().AddPage("Waveforms");
    const long double width = TDispatchDraw::DefaultLogicalWidth;
    const long double height = TDispatchDraw::DefaultLogicalHeight;

    auto* table = project.Db().AddNew<TGVCPUTbl>();
    table->NameProcessors();
    if (IIDGenerator* ids = project.IDGenerator()) table->AssignIDs(false, *ids);
    for (const char* id :
         {fidTimeS, fidChan, fidAmpl, fidWaveIndex, fidPeakFrequency, fidFrequencyCentroid})
        if (const TAEField* f = table->FindField(id)) table->Data().AddColumn(*f);
    table->Data().SetTypeRec(1 << rkHit);
    RecListGVCPU left;
    left.BottomRightX = width * 0.45L;
    left.BottomRightY = height;
    left.ID = table->ID();
    project.Pages().Page(page)->AddPlacement(left);

    auto* graph = project.Db().AddNew<TGVCPUGr>();
    graph->NameProcessors();
    if (IIDGenerator* ids = project.IDGenerator()) graph->AssignIDs(false, *ids);
    TGraphViewPlan plan;
    plan.Title = "Peak Frequency against Amplitude";
    plan.Left.FieldId = fidPeakFrequency;
    plan.Bottom.FieldId = fidAmpl;
    plan.Series.push_back({stPointPlot, 3, 100, bsCnt, false, true});
    graph->SetViewNode(MakeGraphViewNode(plan));
    RecListGVCPU right;
    right.TopLeftX = width * 0.45L;
    right.BottomRightX = width;
    right.BottomRightY = height;
    right.ID = graph->ID();
    project.Pages().Page(page)->AddPlacement(right);

    const std::string target = (dir / "waves.xml").string();
    if (!project.SaveProject(target, error)) {
        error = target + ": " + error;
        return false;
    }
    project.CloseDataFile();
    return true;
}
