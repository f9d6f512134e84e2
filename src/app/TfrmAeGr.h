#pragma once
// The settings frame of a 2D graph, shown in the project tree window while the graph is
// selected: the pages "Axis" (the field, range and scale of the left, bottom and right axes),
// "Series" (add by type, edit in the series dialog, delete, up, down), "Records" (first hits
// only, the first point's text, and the panels other parts of the program add, such as the
// add-on switches), "Info" (the fields of the record information) and "Comments" (the title).
// Pages and records panels of other parts register a factory and join every new frame.

#include "app/TParameterPages.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QTabWidget;
class QVBoxLayout;

namespace vorelt {

class TGVCPUGr;
class TGraphVC;
class TGrAixs;
class TSeriesGr;

class TfrmAeGr : public QWidget, public IParameterPage {
    Q_OBJECT
public:
    TfrmAeGr(TGVCPUGr& graph, const TPageContext& context, QWidget* parent = nullptr);
    ~TfrmAeGr() override;

    TGVCPUGr& Graph() const { return FGraph; }
    TGraphVC& View() const;
    QTabWidget* Pages() const { return FPages; }
    // Shows the graph's settings again.
    void Refresh();
    // The edits waiting for leaving their control: title, legends and fixed bounds.
    void CommitEdits() override;

    // ---- "Axis" (kinds akLeft, akBottom, akRight) --------------------------------------------
    QComboBox* AxisFieldBox(uint8_t kind) const;
    QCheckBox* AutoMinBox(uint8_t kind) const;
    QCheckBox* AutoMaxBox(uint8_t kind) const;
    QLineEdit* MinEdit(uint8_t kind) const;
    QLineEdit* MaxEdit(uint8_t kind) const;
    QCheckBox* LogBox(uint8_t kind) const;
    QLineEdit* LegendEdit(uint8_t kind) const;
    QCheckBox* RightEnabledBox() const { return FRightEnabled; }
    // Binds the axis to the field (empty: none); false for a field the graph cannot see.
    bool SetAxisField(uint8_t kind, const std::string& id);
    void SetAutoBound(uint8_t kind, bool max, bool on);
    void SetLogarithmic(uint8_t kind, bool on);
    void SetRightEnabled(bool on);

    // ---- "Series" ------------------------------------------------------------------------------
    QListWidget* SeriesList() const { return FSeriesList; }
    // "mSeries_<type>" for the four types.
    QMenu* AddSeriesMenu() const { return FAddSeries; }
    // A new series of the type, kept when the series dialog ends with OK.
    TSeriesGr* AddSeries(uint8_t type);
    bool EditSeries(int index);
    void DeleteSeries(int index);
    void MoveSeries(int index, int delta);

    // ---- "Records" -----------------------------------------------------------------------------
    QCheckBox* FirstHitBox() const { return FFirstHit; }
    QCheckBox* FirstPointInfoBox() const { return FFirstPointInfo; }
    QWidget* RecordsPage() const { return FRecords; }

    // ---- "Info" --------------------------------------------------------------------------------
    QListWidget* InfoList() const { return FInfoList; }
    QMenu* AddInfoMenu() const { return FAddInfo; }
    void PrepareInfoMenu();
    bool AddInfoField(const std::string& id);
    void DeleteInfoField(int index);
    void MoveInfoField(int index, int delta);

    // ---- "Comments" ----------------------------------------------------------------------------
    QLineEdit* TitleEdit() const { return FTitle; }

    // Extra pages and records panels of other parts of the program: each factory is asked for
    // a widget for the graph when a frame is made (none: nothing added).
    using TPanelFactory = std::function<QWidget*(TGVCPUGr& graph, QWidget* parent)>;
    static void RegisterPage(const std::string& caption, TPanelFactory factory);
    static void RegisterRecordsPanel(TPanelFactory factory);
    static void ClearRegisteredPanels();

    // After each change (the tree window refreshes the graph's node).
    std::function<void()> OnChanged;

private:
    struct TAxisControls {
        QComboBox* Field = nullptr;
        QCheckBox* AutoMin = nullptr;
        QCheckBox* AutoMax = nullptr;
        QLineEdit* Min = nullptr;
        QLineEdit* Max = nullptr;
        QCheckBox* Log = nullptr;
        QLineEdit* Legend = nullptr;
    };
    QWidget* BuildAxisBox(uint8_t kind, const char* caption, QWidget* parent);
    const TAxisControls* Controls(uint8_t kind) const;
    TGrAixs& Axis(uint8_t kind) const;
    void RefreshAxes();
    void RefreshSeries();
    void RefreshInfo();
    // A fixed bound typed into the edit; false when it is no value of the axis field.
    bool CommitBound(uint8_t kind, bool max);
    void Changed(bool resetData);

    TGVCPUGr& FGraph;
    TPageContext FContext;
    QTabWidget* FPages;
    TAxisControls FAxes[3];
    QCheckBox* FRightEnabled = nullptr;
    QListWidget* FSeriesList = nullptr;
    QMenu* FAddSeries = nullptr;
    QWidget* FRecords = nullptr;
    QCheckBox* FFirstHit = nullptr;
    QCheckBox* FFirstPointInfo = nullptr;
    QListWidget* FInfoList = nullptr;
    QMenu* FAddInfo = nullptr;
    QLineEdit* FTitle = nullptr;
    bool FRefreshing = false;
};

} // namespace vorelt
