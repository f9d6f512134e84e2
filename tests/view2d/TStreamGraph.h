#pragma once
// What the graph view tests share: the project's end of the tree, which records what reaches
// the top, and a graph of amplitude against time (ms) below a memory stream, its axes
// automatic, placed on a page or left without a window.

#include "processing/FilterStreamSupport.h"

#include "model/TAEFieldIDs.h"
#include "processing/IProcessorContext.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TGraphVC.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vorelt::test {

class TRecordingContext : public IProcessorContext {
public:
    IIDGenerator* IDGenerator() override { return nullptr; }
    IUserPrompt* Prompt() override { return nullptr; }
    void TopMessage(TAEOMSG& msg) override { Messages.push_back(msg); }
    const TAEOMSG* Find(uint32_t number) const {
        for (const TAEOMSG& m : Messages)
            if (m.Msg == number) return &m;
        return nullptr;
    }
    bool Got(uint32_t number) const { return Find(number) != nullptr; }
    std::vector<TAEOMSG> Messages;
};

// A new graph processor below `source` with amplitude against time in ms and one series of
// the type; on `page` (600 x 400 pixels) when one is given. Not filled yet.
inline TGraphVC* AddAmplitudeGraph(TGVCPU& source, QWidget* page, uint8_t type = stPointPlot,
                                   const char* name = "GR1", const char* id = "0000000000000901") {
    auto* graph = source.AddNew<TGVCPUGr>();
    graph->SetName(name);
    graph->SetID(id);
    auto* view = dynamic_cast<TGraphVC*>(graph->GetView());
    if (!view) return nullptr;
    if (page) {
        view->SetParentWindow(page);
        view->SetWidth(600);
        view->SetHeight(400);
        view->SetVisible(true);
        QApplication::processEvents();
    }
    for (TGrAixs* a : {&view->LeftAxis(), &view->BottomAxis()}) {
        a->SetAutoMin(true);
        a->SetAutoMax(true);
    }
    view->LeftAxis().SetFieldId(fidAmpl);
    view->BottomAxis().SetFieldId(fidTimeMS);
    view->AddSeries(type);
    return view;
}

// A memory stream whose top records what reaches it, and a page for the views (shown by the
// tests that place views on it).
struct TStreamGraphFixture : ::testing::Test {
    QWidget page;
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* source = nullptr;
    TRecordingContext context;

    void SetUp() override {
        RegisterFilterClasses();
        RegisterView2dClasses();
        source = MakeStream(holder);
        source->SetContext(&context);
        page.resize(900, 700);
    }
    // Amplitude 10 .. 100 over 0 .. 99 ms on channels 1 .. 5.
    void AddRampHits() {
        for (int i = 0; i < 100; ++i)
            AddHit(*source, i, 1 + i % 5, 10 + i % 91);
    }
};

} // namespace vorelt::test
