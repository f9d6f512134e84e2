#include "model/RegisterModelClasses.h"

#include "model/TAEBooleanField.h"
#include "model/TAEExtendedField.h"
#include "model/TAEFields.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListFields.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"
#include "model/TAEStringField.h"

namespace vorelt {

void RegisterModelClasses() {
    RegisterClass<TAEStringField>("TAEStringField");
    RegisterClass<TAEIntegerField>("TAEIntegerField");
    RegisterClass<TAEByteField>("TAEByteField");
    RegisterClass<TAEWordField>("TAEWordField");
    RegisterClass<TAELongwordField>("TAELongwordField");
    RegisterClass<TAEShortIntField>("TAEShortIntField");
    RegisterClass<TAESmallIntField>("TAESmallIntField");
    RegisterClass<TAEInt64Field>("TAEInt64Field");
    RegisterClass<TAEExtendedField>("TAEExtendedField");
    RegisterClass<TAESingleField>("TAESingleField");
    RegisterClass<TAEDoubleField>("TAEDoubleField");
    RegisterClass<TAEListIntegerField>("TAEListIntegerField");
    RegisterClass<TAEBooleanField>("TAEBooleanField");
    RegisterClass<TAEFields>("TAEFields");
    RegisterClass<TAERecord>("TAERecord");
    RegisterClass<TAEListFields>("TAEListFields");
}

} // namespace vorelt
