#include "export/TExportTable.h"
#include "persist/TNumberFormat.h"

#include <iostream>

int main(int argc, char** argv) {
    vorelt::MaskFloatExceptions();
    std::vector<std::string> args(argv + 1, argv + argc);
    return vorelt::exporttool::RunExport(args, std::cout, std::cerr);
}
