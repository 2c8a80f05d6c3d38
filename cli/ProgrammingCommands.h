// The programming-mode commands of kelvane-cli: stepping a constant or the model code, a calibration,
// one setting cycle, an identity write, the EEPROM read into a file and the factory reset. Each checks
// its arguments before it talks to the unit, connects as every command does, runs the same loops as the
// window (ups/Drivers.h) and ends with the closing "R".
#pragma once

#include <string_view>
#include <vector>

#include "cli/CommandLine.h"

namespace kelvane::cli {

struct Session;

struct ProgrammingCommand {
    CommandSyntax Syntax;
    std::string_view Summary;  // for --help
    int (*Run)(Session&);
};

const std::vector<ProgrammingCommand>& ProgrammingCommands();

// What these commands print, for the output part of --help.
std::string_view ProgrammingOutputHelp();

}  // namespace kelvane::cli
