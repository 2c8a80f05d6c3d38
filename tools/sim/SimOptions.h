// The command line of kelvane-sim.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kelvane::simtool {

struct SimOptions {
    bool Help = false;
    bool List = false;
    std::string Unit;
    bool Pace = false;
    uint32_t LatencyMs = 0;
    uint32_t LateMs = 0;
    int MuteAfter = -1;                                        // -1: never falls silent
    int JumpAt = 0;                                            // 0: no calibration step jumps
    std::vector<std::pair<std::string, std::string>> Answers;  // CMD, TEXT as given; the unit checks them
    std::string LinkPath;
};

// Parses the arguments after the program name; false with the reason in *why on a bad command line.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options, std::string* why);

std::string SimUsage();

}  // namespace kelvane::simtool
