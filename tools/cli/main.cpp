#include "cli/TCliCommands.h"
#include "persist/TNumberFormat.h"
#include "project/RegisterCoreClasses.h"

#include <iostream>

int main(int argc, char** argv) {
    vorelt::MaskFloatExceptions();
    vorelt::RegisterCoreClasses();
    std::vector<std::string> args(argv + 1, argv + argc);
    return vorelt::cli::RunCli(args, std::cout, std::cerr);
}
