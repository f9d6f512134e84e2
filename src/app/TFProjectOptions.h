#pragma once
// The project options dialog: the colour scheme of graphs, the zone-intensity parameters
// (J, the K table and the six zone polygons) and the waveform options (arrival picker,
// partial-power bands). The edits are kept apart (TProjectOptionsEdit)
// and reach the project only on OK; Cancel leaves it as it was.

#include "viewmodel/dialogs/project/TProjectOptionsEdit.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QTabWidget;
class QTableWidget;
class QTreeWidget;

namespace vorelt {

class TGraphic;
class TPolyLineAEVObject;
class TProjectAE;

// "Add Coord Zone Zip" / "Edit Coord Zone Zip".
class TCoordDialog : public QDialog {
    Q_OBJECT
public:
    TCoordDialog(bool editing, const TGVCoord& point, QWidget* parent = nullptr);
    QLineEdit* XEdit() const { return FX; }
    QLineEdit* YEdit() const { return FY; }
    // "Empty Coord" when either edit is empty; the dialog stays.
    bool TryAccept();
    const TGVCoord& Point() const { return FPoint; }

private:
    QLineEdit* FX;
    QLineEdit* FY;
    TGVCoord FPoint;
};

class TFProjectOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFProjectOptions(TProjectAE& project, QWidget* parent = nullptr);

    TProjectOptionsEdit& Edit() { return FEdit; }
    QComboBox* SchemeBox() const { return FScheme; }
    QLineEdit* SeverityEdit() const { return FSeverity; }
    QTableWidget* KGrid() const { return FK; }
    QComboBox* PickerBox() const { return FPicker; }
    QLineEdit* BandEdit(int i) const { return FBands[size_t(i)]; }
    QTabWidget* ZoneTabs() const { return FZones; }
    QTreeWidget* PointList(int zone) const;
    // The diagram of the zones; it joins once the passive graph exists.
    QWidget* ZoneGraph() const { return FGraph; }
    // The passive graph inside it: one outline per zone of the working copy, drawn again on
    // every change of points.
    TGraphic* ZoneDiagram() const { return FDiagram; }
    const std::vector<TPolyLineAEVObject*>& ZoneLines() const { return FZoneLines; }

    void AddPoint();
    void EditPoint();
    void DeletePoint();
    void MovePoint(int delta);
    void SetDefault();
    void RefreshZone(int zone);
    // OK: the edits go to the project.
    void Accept();

private:
    int CurrentZone() const;
    int CurrentPoint() const;
    bool RunDialog(TCoordDialog& d);

    TProjectAE& FProject;
    TProjectOptionsEdit FEdit;
    QComboBox* FScheme;
    QLineEdit* FSeverity;
    QComboBox* FPicker;
    std::array<QLineEdit*, TWaveformOptions::BandCount + 1> FBands{};
    QTableWidget* FK;
    QTabWidget* FZones;
    std::vector<QTreeWidget*> FLists;
    QWidget* FGraph;
    TGraphic* FDiagram = nullptr;
    std::vector<TPolyLineAEVObject*> FZoneLines;
    void FillDiagram();
};

} // namespace vorelt
