#include "TDataWriter.h"

#include "TDispWriter.h"
#include "TTarvelWriter.h"
#include "TVallenWriter.h"

namespace vorelt {

std::unique_ptr<TDataWriter> CreateDataWriter(std::string_view format) {
    if (format == "isa") return std::make_unique<TTarvelIsaWriter>();
    if (format == "pci") return std::make_unique<TTarvelPciWriter>();
    if (format == "vallen") return std::make_unique<TVallenWriter>();
    if (format == "disp") return std::make_unique<TDispWriter>();
    return nullptr;
}

std::vector<std::string> DataWriterFormats() {
    return {"isa", "pci", "disp", "vallen"};
}

} // namespace vorelt
