#pragma once
// The settings frame of the source-location processor: the sensor table (channel and place
// in mm, and the pipe a sensor sits on), the wave velocity, the method, where arrival times
// come from and the diameter of the event-count circle. Sensors come typed, from a LAYOUT.csv
// or from the pipe schema of a 3D graph in the tree.

#include "app/TParameterPages.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace vorelt {

class TGVCPUSourceLoc;

class TfrmAeSourceLoc : public QWidget, public IParameterPage {
    Q_OBJECT
public:
    TfrmAeSourceLoc(TGVCPUSourceLoc& processor, const TPageContext& context,
                    QWidget* parent = nullptr);

    QTableWidget* SensorTable() const { return FTable; }
    QLineEdit* VelocityEdit() const { return FVelocity; }
    QLineEdit* DiameterEdit() const { return FDiameter; }
    QComboBox* MethodBox() const { return FMethod; }
    QComboBox* ArrivalBox() const { return FArrival; }

    // The typed rows become the layout; a refused row is named in a message box when `tell`,
    // selected, and nothing is stored. True when the rows were taken (or unchanged).
    bool TableLeft(bool tell);
    void VelocityLeft();
    void DiameterLeft();
    void MethodLeft();
    void ArrivalLeft();
    void AddRow();
    void DeleteRow();
    // "Import...": the sensors of a LAYOUT.csv ("Chan;X;Y[;Z]").
    void ImportLayout();
    // "From Pipe Schema": the sensors of the pipe schema of a 3D graph in the tree.
    void FromPipeSchema();
    void CommitEdits() override;

private:
    void ShowValues();
    void ShowTable();
    void Changed();
    void Tell(const std::string& text);

    TGVCPUSourceLoc& FProcessor;
    TPageContext FContext;
    QTableWidget* FTable;
    QLineEdit* FVelocity;
    QLineEdit* FDiameter;
    QComboBox* FMethod;
    QComboBox* FArrival;
    bool FFilling = false;
};

} // namespace vorelt
