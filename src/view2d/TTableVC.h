#pragma once
// The table view: a panel with the title bar, the grid of rows and, below a criterion
// processor, a strip of tabs that group the columns. It loads the record positions when
// activated, sends hit marks to the graphs, reads typed shortcuts, searches with a condition
// in the find window and exports its rows as CSV.

#include "processing/table/TTableData.h"
#include "view2d/TPanelVC.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QTabBar;
class QTimer;

namespace vorelt {

class TTableWaveformHits;

class TFindTextF;
class TGVCPUTbl;
class TTableGrid;

class TTableVC : public TPanelVC {
public:
    explicit TTableVC(TGVCPUTbl* processor);
    ~TTableVC() override;
    std::string ClassName() const override { return "TTableVC"; }

    TGVCPUTbl* Table() const { return FTable; }
    TTableData& Data();
    const TTableData& Data() const;
    TTableGrid* Grid() const { return FGrid; }
    QTabBar* TabStrip() const { return FTabStrip; }

    // TVisualClass
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    // Loads the rows (true) or empties them (false).
    void SetActive(bool value) override;
    void UpdateAppearance() override;
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;
    // TGVVisualClass
    bool ReportFieldUse(const std::string& fieldId, std::vector<std::string>& messages) override;
    bool UsesField(const std::string& fieldId) const override;
    void RemoveField(const std::string& fieldId) override;
    void ViewMessage(TAEOMSG& msg) override;

    void SettingsChanged(bool propagate) override;

    // Lists given record positions under "NumRec" and copies of the given columns; the panel
    // fills its parent and the title bar is hidden.
    void ShowRecordList(const TGVProperties& columns, std::vector<int32_t> positions);
    // Recomputes the grid's column width from the current width.
    void RecomputeWidth();

    // Hit mark for a data row (grid row 2 and up): 0x41B with its record position, when the
    // view is active, hit marks are on and there are rows.
    bool SendHitMark(int gridRow);
    // Opens the waveform window on the hit of a data row when it has a waveform; false when it
    // has none (or the row shows no hit).
    bool ShowWaveform(int gridRow);
    // Keys of the shortcut collector (key code 8 is "-"); the text is read 500 ms after the
    // last key, only while the view is focused.
    void ShortCutKey(int key);
    void ShortCutTimeout();
    const std::string& ShortCutText() const { return FShortCutText; }
    QTimer* ShortCutTimer() const { return FShortCutTimer; }
    // The view was clicked: when not focused it asks for the focus (0x407) and takes it.
    void Clicked();
    void ShowContextMenu(const QPoint& screenPos);

    // The find window; opened on "f".
    void OpenFindWindow();
    // A search has rows to go through.
    bool CanFind() const;
    TFindTextF* FindWindow() const;

    // Writes the rows to a CSV file: progress in the status line, Esc stops it.
    bool ExportCsv(const std::string& fileName, std::string& error);
    // Asks for a file name, then ExportCsv; errors go to a message box.
    void ExportCsvInteractive();

    // Where the view tells what it is doing (search, export); none hides it.
    std::function<void(const std::string&)> OnStatusText;
    // While the rows load: how far the walk got (records passed, of the file's total; 0 when
    // not known), heard now and then with the rows read so far on the screen, and whether the
    // user asked to stop. A stop asked for leaves the table empty without an error.
    std::function<void(int64_t, int64_t)> OnProgress;
    std::function<bool()> OnAborted;

protected:
    // At least one column.
    bool Configured() const override;
    QList<QAction*> PopupItems() override;
    void Relayout() override;

private:
    void StatusText(const std::string& text);
    // The grid shows the rows read so far.
    void ShowRows(bool active);
    void SendToProject(uint32_t msg);

    TGVCPUTbl* FTable;
    TTableGrid* FGrid;
    QTabBar* FTabStrip;
    QTimer* FShortCutTimer;
    std::string FShortCutText;
    QPointer<QDialog> FFind;
    QAction* FEditMenuItem;
    QAction* FFindItem = nullptr;
    QMenu* FEditMenu;
    QAction* FHitMarksItem;
    QAction* FExportItem;
    QAction* FWaveformItem;
    // The hits the waveform window walks when it was opened from this view.
    std::shared_ptr<TTableWaveformHits> FWaveHits;
    bool FRecordList = false;
    // The record hit-marked last; the rows read later start at it.
    int32_t FMarkedPosition = -1;
    bool FUpdatingTabs = false;
};

} // namespace vorelt
