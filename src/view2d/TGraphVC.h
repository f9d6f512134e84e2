#pragma once
// The 2D graph view: three axes around a plotting container, the series drawn in it, the
// info rectangle dragged on the plot, the zoom stack and channel splitting. Filling pulls the
// records of the graph's branch once; zooming, unzooming and splitting move or re-flag the
// drawn points without reading the records again. Rectangles pick records for selection,
// deletion or a look in a table; those requests go up to the database processor.

#include "processing/graph/IGraphView.h"
#include "processing/graph/TSeriesGr.h"
#include "view2d/TGraphReport.h"
#include "view2d/TPanelVC.h"
#include "view2d/TTimeMarksGr.h"
#include "viewmodel/axes/TGrAixs.h"
#include "viewmodel/axes/TGrAixsScale.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/graph/TGraphFill.h"
#include "viewmodel/graph/TGraphLegend.h"
#include "viewmodel/graph/TGraphZoom.h"
#include "viewmodel/graph/TSeriesObjectLink.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLayout;
class QMenu;

namespace vorelt {

class TAddonVC;
class TAixsStrip;
class TCanvasContainer;
class TCellLineAEVObject;
class TGVCPUGr;
class TGraphAEVObject;
class TGraphWaveformHits;
class TRectAEVObject;

inline constexpr char txtZoom[] = "Zoom";
inline constexpr char txtSC[] = "SC";

class TGraphVC : public TPanelVC, public IGraphView, public ISeriesOwner, public IAixsGraph {
public:
    explicit TGraphVC(TGVCPUGr* processor);
    ~TGraphVC() override;
    std::string ClassName() const override { return "TGraphVC"; }

    TGVCPUGr* Graph() const { return FGraph; }
    // The processor whose records the graph reads and whose fields its axes show: the graph
    // processor, or the database for its test graph.
    TGVCPU* Source() const { return FSource; }
    TGrAixs& LeftAxis() { return *FLeft; }
    TGrAixs& RightAxis() { return *FRight; }
    TGrAixs& BottomAxis() { return *FBottom; }
    TSeriesGrList& Series() { return FSeries; }
    const TSeriesGrList& Series() const { return FSeries; }
    TCanvasContainer* Container() const { return FContainer; }
    TGVProperties& FieldsInfo() { return FFieldsInfo; }
    const TGraphZoom& Zoom() const { return FZoom; }
    const std::vector<int32_t>& SplitChannels() const { return FSplitChannels; }
    uint8_t ColorSchemeIndex() const { return FColorScheme; }
    int32_t HitMarkPosition() const { return FHitMarkPosition; }
    TRectAEVObject* InfoRect() const { return FInfoRect; }
    bool ShowTimeMarks() const { return FShowTimeMarks; }
    // The layer's visibility follows, so that the saved layer says what the graph shows.
    void SetShowTimeMarks(bool v) {
        FShowTimeMarks = v;
        FTimeMarks->SetVisible(v);
    }
    bool FirstPointInfo() const { return FFirstPointInfo; }
    void SetFirstPointInfo(bool v) { FFirstPointInfo = v; }
    const std::vector<std::pair<std::string, int32_t>>& AddOnStates() const { return FAddOnStates; }
    // The add-ons the chain offered at the last fill, in the order offered.
    const std::vector<std::unique_ptr<TAddonVC>>& AddOns() const { return FAddOns; }
    TTimeMarksGr& TimeMarks() { return *FTimeMarks; }
    // The bottom field carries the time-mark attribute: time marks, the "Time Marks" item and
    // the load line belong to such graphs only.
    bool BottomAxisIsTime() const { return TimeAxis(); }
    // A data file is open at the root of the chain: only then do the add-on switches of a
    // fill mean anything.
    bool DataFileOpen() const;
    // The switches of the present add-ons become the stored ones, while a data file is open.
    void StoreAddOnStates();
    // The last fill's error, empty when it went through.
    const std::string& FillError() const { return FFillError; }
    // Records read into the graph by the last fill.
    int64_t RecordsRead() const { return FRecordsRead; }
    // What the graph says where its plot would be ("Stopped", "No Data"), empty while it has
    // a plot or was never filled.
    const std::string& Notice() const { return FNotice; }

    // ---- Series ----------------------------------------------------------------------------
    // A new series of the type on the left side, with the first free colour and its object.
    TSeriesGr* AddSeries(uint8_t type);
    void DeleteSeries(int index);
    // The drawable object of a series, none without one.
    TGraphAEVObject* SeriesObject(const TSeriesGr& series) const;
    // Turning the right axis off deletes the series on the right side.
    void SetEnableRightAixs(bool v);

    // ---- TVisualClass ------------------------------------------------------------------------
    // Fills (true) or empties (false) the graph.
    void SetActive(bool value) override;
    void UpdateAppearance() override;
    void SetFocusedView(bool value) override;
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;
    std::string GetCaption() const override;
    // The caption with " [Zoom]" while zoomed and " [SC]" while channels are split.
    std::string TitleText() const;
    int32_t GetStatus() const override { return StandardStatus(); }
    bool ReportFieldUse(const std::string& fieldId, std::vector<std::string>& messages) override;
    bool UsesField(const std::string& fieldId) const override;
    void RemoveField(const std::string& fieldId) override;
    void RefreshAxisCaptions() override;
    void ViewMessage(TAEOMSG& msg) override;
    void SetModified(bool resetData) override;

    void SettingsChanged(bool propagate) override;

    // ---- IGraphView --------------------------------------------------------------------------
    std::string GraphCaption() const override { return GetCaption(); }
    bool ReportFieldUse(std::string_view id, std::vector<std::string>& lines) const override;
    bool UsesField(std::string_view id) const override { return UsesField(std::string(id)); }
    void RemoveGraphField(std::string_view id) override { RemoveField(std::string(id)); }

    // ---- ISeriesOwner, IAixsGraph --------------------------------------------------------
    void SeriesModified(bool reset) override { SetModified(reset); }
    ILCOwner* SeriesConditionOwner() override;
    void SeriesObjectLoaded(TSeriesGr& series, const std::string& className) override;
    bool AixsGraphActive() const override { return FActive; }
    bool AixsGraphLoading() const override { return FFilling; }
    const TAEField* FindAixsField(const std::string& fieldId) const override;

    // ---- Colours ---------------------------------------------------------------------------
    // The plot's background and grid, and every series in the shade of its palette colour that
    // is readable on the background (points, channel colours, bar outlines).
    void ApplyColours(const TColorScheme& scheme);
    // The grid lines at the labelled marks the axes hold now (the screen's or a report's).
    void GridFromMarks();
    // What the legend names now (split channels, or several series), in shades readable on
    // the background; nothing while empty.
    std::vector<TLegendEntry> Legend(TColor background) const;

    // ---- Commands ----------------------------------------------------------------------------
    void RescaleView();
    // Modes 0 to 2 need the info rectangle, mode 3 the range.
    bool ZoomView(int mode, const TShortCutMSG* range = nullptr);
    bool UnzoomView(bool all);
    // The info rectangle from a band of container pixels (only while active and focused).
    void SelectRect(const TRectInt& band);
    void HideInfoRect();
    void HideHitMarks();
    // The record positions under the info rectangle in the visible point plots that take
    // part; FindInRect for one series.
    std::vector<int32_t> FoundPositions();
    std::vector<int32_t> FindInRect(TGraphAEVObject& object, const TRectInt& pixels);
    // Requests up to the database processor.
    bool SelectFound();
    bool DeleteFound();
    void SendRequest(uint32_t msg);
    void ShowInfo();
    // The graph as a report picture (PNG, PDF or SVG by the name's extension), written
    // atomically; never over the recording, its log or the project. False with the reason.
    bool SaveGraph(const std::string& fileName, const TReportOptions& options, std::string& error);
    // "Save Graph As...": asks for the file, saves, and tells a failure.
    void SaveGraphInteractive();
    // A click on the container or the title of an unfocused view asks for the focus (0x407)
    // and takes it.
    void Clicked();
    // Typed text of the container ("z", "z-", "l", "w", "w-"); true when handled.
    bool ShortCut(const std::string& text);

    // ---- The mouse on the plot (pixels of the container) --------------------------------------
    // Wheel steps around a pixel: positive steps zoom in, negative ones out, each step one entry
    // of the zoom stack; zooming out to the whole graph unzooms. True when the ranges changed.
    bool WheelZoom(int32_t x, int32_t y, int steps);
    // A drag moves the ranges with the mouse; the whole drag is one entry of the zoom stack.
    void BeginDrag(int32_t x, int32_t y);
    void DragTo(int32_t x, int32_t y);
    void EndDrag();
    bool Dragging() const { return FZoom.Dragging(); }
    // The drawn point of a visible point plot nearest to a pixel, within a few pixels of it;
    // false when there is none there.
    bool PointAt(int32_t x, int32_t y, const TSeriesGr*& series, int& index) const;
    // The values, channel and record of the point at a pixel; empty away from points.
    std::string ReadoutAt(int32_t x, int32_t y) const;
    // The mouse rests at a pixel (none: x < 0): the point's readout shows as a tooltip.
    void PointTo(int32_t x, int32_t y);
    // The readout showing now; empty while none shows.
    const std::string& PointedText() const { return FPointedText; }
    // A double click at a pixel: the point's record is hit-marked (0x41B), so that the tables
    // move to it and checked graphs mark it; this graph marks it too. True when there was one.
    bool MarkPointAt(int32_t x, int32_t y);
    // Opens the waveform window on the hit of the point at a pixel, walking the points of its
    // series; false when there is no point there, or its hit has no waveform and the window is
    // not wanted even without one (it then says why there is none).
    bool ShowWaveformAt(int32_t x, int32_t y, bool evenWithout = false);

    // The points found by "Show Info Rectangle" (the project window shows them).
    std::function<void(TGraphVC&, const std::vector<int32_t>&)> OnPointsFound;
    // Asked now and then during a fill; true stops it.
    std::function<bool()> OnAborted;
    // Records passed of the records of the file (0: not known), now and then during a fill.
    std::function<void(int64_t, int64_t)> OnProgress;

    // The popup items of the view, created on demand; by object name for tests.
    QAction* MenuItem(const std::string& name);
    // The top items of the popup menu as built now.
    QList<QAction*> PopupActions() { return PopupItems(); }

protected:
    // Fields on the left and bottom axes and at least one series.
    bool Configured() const override;
    // A graph reading the records of `source`; `processor` is none for a graph that belongs to
    // no graph processor.
    TGraphVC(TGVCPUGr* processor, TGVCPU* source);
    QList<QAction*> PopupItems() override;
    // The name in captions and field-use lines.
    virtual std::string OwnerName() const;
    // The title bar's check button.
    void HideCheckButton();

private:
    TGraphRun Run();
    void BuildMenu();
    void UpdateMenu();
    void ClearFill();
    void ApplyTransformAll(const TViewTransform& t);
    TGraphAEVObject* NewObject(const std::string& className);
    void AttachObject(TSeriesGr& series, TGraphAEVObject* object, const std::string& className);
    void RemoveObject(TBaseAEVObject* object);
    void CreateGridLines();
    void ApplySeriesColours(const TSeriesGr& s, TGraphAEVObject& o, TColor background);
    // The legend in the plot's top right corner follows the series and the split channels.
    void UpdateLegend();
    void PlaceLegend();
    // Marks and strips for the plot's present size, and the grid lines at the labelled marks;
    // `apply` applies the strips' new thickness at once (not while the plot is being resized).
    void LayoutAxes(bool apply);
    void RebuildSeries(TSeriesGr& s, const TGraphRun& run);
    // A rectangle of the info rectangle as fractions of the ranges.
    bool InfoFractions(TZoomRect& r) const;
    bool TimeAxis() const;
    // Frees the add-ons, asks the chain for new ones and gives them their stored switches.
    void CollectAddOns();
    void ApplyOverlayTransform(const TViewTransform& t);
    // A transform that cannot move the drawn points: point plots are built again from the
    // members of the fill in progress, or the graph is filled again.
    bool RefillPointPlots(const TGraphRun& run);
    bool IsPointPlotVisible(uint8_t side) const;
    // A pixel of the container as fractions of the plot (from the left, from the bottom).
    void PixelFractions(int32_t x, int32_t y, long double& fx, long double& fy) const;
    void MarkRecord(int32_t position);

    TGVCPUGr* FGraph;
    TGVCPU* FSource;
    std::unique_ptr<TGrAixs> FLeft;
    std::unique_ptr<TGrAixs> FRight;
    std::unique_ptr<TGrAixs> FBottom;
    TGrAixsScale FLeftScale;
    TGrAixsScale FRightScale;
    TGrAixsScale FBottomScale;
    TAixsStrip* FLeftStrip;
    TAixsStrip* FRightStrip;
    TAixsStrip* FBottomStrip;
    TCanvasContainer* FContainer;
    QLayout* FAxesLayout = nullptr;
    bool FLayingOutAxes = false;
    TSeriesGrList FSeries;
    std::map<const TSeriesGr*, std::unique_ptr<TSeriesObjectLink>> FLinks;
    TRectAEVObject* FInfoRect = nullptr;
    uint8_t FColorScheme = 0;
    TGraphZoom FZoom;
    std::vector<int32_t> FSplitChannels;
    TGVProperties FFieldsInfo{"FIELDSINFO"};
    bool FFirstPointInfo = false;
    bool FShowTimeMarks = true;
    TCellLineAEVObject* FGridH = nullptr;
    TCellLineAEVObject* FGridV = nullptr;
    std::vector<std::pair<std::string, int32_t>> FAddOnStates;
    std::vector<std::unique_ptr<TAddonVC>> FAddOns;
    std::unique_ptr<TTimeMarksGr> FTimeMarks;
    // The data points of the fill in progress (none between fills).
    const std::vector<TGraphDataPoint>* FFillPoints = nullptr;
    int32_t FHitMarkPosition = -1;
    // The points the waveform window walks, and where the last popup menu opened.
    std::shared_ptr<TGraphWaveformHits> FWaveHits;
    int32_t FPopupX = -1;
    int32_t FPopupY = -1;
    std::string FFillError;
    int64_t FRecordsRead = 0;
    // Between the start and the end of a fill: the axes wait for their range.
    bool FFilling = false;
    std::string FNotice;
    QLabel* FNoticeLabel = nullptr;
    QLabel* FLegendLabel = nullptr;
    std::map<std::string, QAction*> FItems;
    QMenu* FEditMenu = nullptr;
    QAction* FEditItem = nullptr;
    bool FLoading = false;
    // Where the drag started, as fractions of the plot.
    long double FDragX = 0;
    long double FDragY = 0;
    std::string FPointedText;
};

} // namespace vorelt
