// The exit statuses of kelvane-cli; --help lists them for the user.
#pragma once

namespace kelvane::cli {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitUsage = 1,        // the command line is wrong
    kExitOpenFailed = 2,   // the port cannot be opened
    kExitNoSmartMode = 3,  // nothing on the port answers the smart-mode check
    kExitLinkLost = 4,     // identification failed, or the unit stopped answering during a command
    kExitNotReached = 5,   // a programming-mode loop ended without its target, or the unit has no such value
    kExitFileFailed = 6,   // an output file could not be written
};

}  // namespace kelvane::cli
