#pragma once
// The view of a 3D graph: the panel of every view (title, check and detach buttons), a tool
// bar with the six mode buttons, the 3D container, and beside it the legend of the sensors'
// activity. The scene shows the graph's pipe schema; with "Show Activity" each sensor takes
// the colour of the number of first hits collected on its channel. Below a source-location
// processor the events located on the pipes show as points where they sit.

#include "processing/graph3d/IGraph3DView.h"
#include "view2d/TPanelVC.h"

#include <string>

class QLabel;

namespace vorelt {

class TGVCPUGr3D;
class TGraph3DData;
class TOGLContainer;
class TOGLModeBar;

class TGraph3DVC : public TPanelVC, public IGraph3DView {
public:
    explicit TGraph3DVC(TGVCPUGr3D* processor);
    ~TGraph3DVC() override;
    std::string ClassName() const override { return "TGraph3DVC"; }

    TGVCPUGr3D* Graph() const;
    TGraph3DData& Data() const;
    TOGLContainer& Container() const { return *FContainer; }
    uint8_t ColorSchemeIndex() const { return FColorSchemeIndex; }
    // The title line as shown.
    std::string TitleText() const;
    TOGLModeBar& ModeBar() const { return *FModeBar; }
    QLabel* Legend() const { return FLegend; }
    // Builds the scene again from the schema and the collected first hits, and, below a
    // source-location processor, the located events on the pipes.
    void RebuildScene();
    // The located events drawn in the scene.
    int SourceMarkerCount() const { return FSourceMarkers; }

    // Its own settings, in a dialog: the "Edit" item of the view's pop-up.
    std::function<void(TGraph3DVC&)> OnEditSettings;

    // --- TVisualClass / TGVVisualClass ------------------------------------------------------
    void SetActive(bool value) override;
    void SetFocusedView(bool value) override;
    void UpdateAppearance() override;
    std::string GetCaption() const override;
    bool ReportFieldUse(const std::string& fieldId, std::vector<std::string>& lines) override;
    bool UsesField(const std::string& fieldId) const override;
    void RemoveField(const std::string& fieldId) override;
    void ViewMessage(TAEOMSG& msg) override;
    // After "ClassName" and "Properties": "Schema", "SlaveWindow", "FIELDSINFO".
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    void SettingsChanged(bool propagate) override;

    // --- IGraph3DView -----------------------------------------------------------------------
    void Graph3DSchemaChanged() override;
    std::string Graph3DCaption() const override { return GetCaption(); }

    // The typed text of the container: "L" reloads, "W" fills or ("W-") restores the page.
    bool ShortCut(const std::string& text);
    // A focus request: the title bar, the tool bar or the scene was clicked.
    void RequestFocus();

protected:
    // A schema to show.
    bool Configured() const override;
    void Relayout() override;
    QList<QAction*> PopupItems() override;

private:
    void SendToProject(uint32_t msg);
    void UpdateLegend();
    void AddSourceMarkers();

    TOGLContainer* FContainer = nullptr;
    TOGLModeBar* FModeBar = nullptr;
    QLabel* FLegend = nullptr;
    QAction* FEditAction = nullptr;
    uint8_t FColorSchemeIndex = 0;
    int FSourceMarkers = 0;
};

} // namespace vorelt
