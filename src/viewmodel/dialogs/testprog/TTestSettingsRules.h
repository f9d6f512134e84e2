#pragma once
// The enabling rules of the test graph settings window, without the window: which controls of
// an axis group take input, and when a series may be added.

namespace vorelt {

struct TAxisGroupEnabling {
    // "Select Field": the group can take a field.
    bool SelectField = false;
    // The field exists in the database's layout: "Auto", "Legend", "Scale" and the edits.
    bool Controls = false;
    bool MinEdit = false;
    bool MaxEdit = false;
};

// `available` is false only for the right group while "Enable Right Axis" is clear. A bound's
// edit takes input only while its "Auto" box is clear.
TAxisGroupEnabling AxisGroupEnabling(bool available, bool fieldExists, bool autoMin, bool autoMax);

// "Add" on the "Serieses" page: the left and the bottom axis have fields.
inline bool CanAddSeries(bool leftHasField, bool bottomHasField) {
    return leftHasField && bottomHasField;
}

} // namespace vorelt
