#pragma once
// The point dialog of the load line: a time in whole seconds and a load in MPa, once or, for a
// line that does not exist yet, twice ("First Point", "Second Point"). OK checks each point
// against the bottom axis' range in seconds and the line's load bounds.

#include "persist/TGVListCoordProperty.h"
#include "viewmodel/dialogs/testprog/TTestProgramRules.h"

#include <QDialog>
#include <optional>
#include <vector>

class QLineEdit;

namespace vorelt {

class TPointDialog : public QDialog {
public:
    TPointDialog(int points, std::optional<TSecondsRange> axisSeconds, long double loadMin,
                 long double loadMax, QWidget* parent = nullptr);

    QLineEdit* TimeEdit(int i) const { return FTimes.at(static_cast<size_t>(i)); }
    QLineEdit* LoadEdit(int i) const { return FLoads.at(static_cast<size_t>(i)); }
    // The first failing point's message is shown and the dialog stays open.
    bool TryAccept();
    // The accepted points, times rounded to whole seconds.
    const std::vector<TGVCoord>& Points() const { return FPoints; }

private:
    std::optional<TSecondsRange> FAxis;
    long double FLoadMin;
    long double FLoadMax;
    std::vector<QLineEdit*> FTimes;
    std::vector<QLineEdit*> FLoads;
    std::vector<TGVCoord> FPoints;
};

} // namespace vorelt
