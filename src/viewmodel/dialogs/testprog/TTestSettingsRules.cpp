#include "viewmodel/dialogs/testprog/TTestSettingsRules.h"

namespace vorelt {

TAxisGroupEnabling AxisGroupEnabling(bool available, bool fieldExists, bool autoMin, bool autoMax) {
    TAxisGroupEnabling e;
    e.SelectField = available;
    e.Controls = available && fieldExists;
    e.MinEdit = e.Controls && !autoMin;
    e.MaxEdit = e.Controls && !autoMax;
    return e;
}

} // namespace vorelt
