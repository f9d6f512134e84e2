// Writes the demo project into the folder given: a synthetic Tarvel PCI data file
// ("demo.pci", 12 channels) and the project "demo.xml" on it with two pages; the first page
// holds a table of every kind of record.

#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "persist/IIDGenerator.h"
#include "processing/db/TGVDb.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/RegisterCoreClasses.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    using namespace vorelt;
    if (argc != 2) {
        std::cerr << "usage: vorelt-mkdemo FOLDER\n";
        return 2;
    }
    const std::filesystem::path dir = std::filesystem::absolute(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    RegisterCoreClasses();
    RegisterTableClasses();

    TGenerateOptions options;
    options.Format = "pci";
    options.FileName = (dir / "demo.pci").string();
    options.Hits = 20000;
    options.Channels = 12;
    options.Seed = 7;
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
    const std::string target = (dir / "demo.xml").string();
    if (!project.SaveProject(target, error)) {
        std::cerr << "error: " << target << ": " << error << "\n";
        return 1;
    }
    project.CloseDataFile();
    return 0;
}
