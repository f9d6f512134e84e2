#include "TDataWriter.h"

#include "TDispWriter.h"
#include "TSpartanWriter.h"
#include "TTarvelWriter.h"
#include "TVallenWriter.h"

namespace vorelt {

std::unique_ptr<TDataWriter> CreateDataWriter(std::string_view format) {
    if (format == "isa") return std::make_unique<TTarvelIsaWriter>();
    if (format == "pci") return std::make_unique<TTarvelPciWriter>();
    if (format == "vallen") return std::make_unique<TVallenWriter>();
    if (format == "disp") return std::make_unique<TDispWriter>();
    if (format == "spartan") return std::make_unique<TSpartanWriter>();
    if (format == "spartan-dispbytes") return std::make_unique<TSpartanWriter>(true);
    return nullptr;
}

std::vector<std::string> DataWriterFormats() {
    return {"isa", "pci", "disp", "spartan", "spartan-dispbytes", "vallen"};
}

} // namespace vorelt
