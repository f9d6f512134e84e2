#pragma once
// The test graph settings window ("Graph Settings"): the three axes of the test graph on the
// page "Axis" and its series on the page "Series". Every change applies at once. The series
// editor is reached through a hook, so the window works with whichever editor the application
// registers (none: a new series keeps its defaults).

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;

namespace vorelt {

class TGrAixs;
class TGraphDb;
class TIniApplic;
class TSeriesGr;

class TFTestSettings : public QDialog {
    Q_OBJECT
public:
    TFTestSettings(TGraphDb& graph, TIniApplic* settings, QWidget* parent = nullptr);
    ~TFTestSettings() override;

    // The series dialog: the series and whether it was just added; false when the user
    // cancelled (a new series is then deleted again).
    bool RunSeriesEditor(TSeriesGr& series, bool isNew);

    // The controls of one axis group (0 left, 1 right, 2 bottom).
    struct TAxisGroup {
        TGrAixs* Axis = nullptr;
        QGroupBox* Box = nullptr;
        QLineEdit* Field = nullptr;
        QPushButton* SelectField = nullptr;
        QCheckBox* AutoMin = nullptr;
        QCheckBox* AutoMax = nullptr;
        QLineEdit* Min = nullptr;
        QLineEdit* Max = nullptr;
        QLineEdit* Legend = nullptr;
        QToolButton* Align[3] = {nullptr, nullptr, nullptr};
        QComboBox* Scale = nullptr;
    };
    TAxisGroup& Group(int i) { return FGroups[i]; }
    QCheckBox* EnableRight() const { return FEnableRight; }
    QTabWidget* Pages() const { return FPages; }
    QTreeWidget* SeriesList() const { return FSeries; }
    QPushButton* SeriesButton(const char* name) const;

    // Sets the field of a group's axis (as choosing it in the picker does).
    void ChooseField(int group, const std::string& fieldId);
    void SelectField(int group);
    void SetEnableRight(bool on);
    // Adds a series of the type and opens it in the editor.
    void AddSeries(uint8_t type);
    void EditSeries();
    void DeleteSeries();
    void MoveSeries(int delta);
    void Refresh();
    void RefreshSeries();

private:
    void BuildGroup(int i, const char* title, QWidget* page);
    void RefreshGroup(int i);
    void ApplyBound(int i, bool max);
    void ApplyLegend(int i);

    TGraphDb& FGraph;
    TIniApplic* FSettings;
    TAxisGroup FGroups[3];
    QCheckBox* FEnableRight = nullptr;
    QTabWidget* FPages = nullptr;
    QTreeWidget* FSeries = nullptr;
    bool FRefreshing = false;
};

} // namespace vorelt
