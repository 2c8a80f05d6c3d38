#include "cli/Session.h"

#include <ostream>

#include "cli/ExitStatus.h"

namespace kelvane::cli {
namespace {

constexpr const char* kOpenFailed = "Unable to open COM Port to communicate with UPS";
constexpr const char* kNoConnection = "Could not establish connection to UPS.";

}  // namespace

int Session::Connect() {
    if (!Link.OpenPort(Line.Port)) {
        Err << kOpenFailed << "\n" << Link.LastOpenError() << "\n";
        return kExitOpenFailed;
    }
    if (!Link.CheckSmartMode()) {
        Err << kNoConnection << "\n";
        if (Link.LinkFailed()) Err << Link.LinkFailure() << "\n";
        Link.ClosePort();
        return kExitNoSmartMode;
    }
    if (!Link.Identify()) {
        Err << "UPS identification failed: the unit did not answer \"Y\" with \"SM\".\n";
        Link.ClosePort();
        return kExitLinkLost;
    }
    // Identification goes on through missing answers, so a unit that fell silent half-way would pass for
    // an oddly empty one; the worker's own check after its first cycle is made here at once.
    if (Link.LinkFailed() || !Link.CheckSmartMode()) return LinkLost("during identification");
    return kExitSuccess;
}

int Session::Finish() {
    Link.SendCloseCommand();
    Link.ClosePort();
    return kExitSuccess;
}

int Session::LinkLost(const std::string& where) {
    Err << kNoConnection << "\n";
    if (Link.LinkFailed()) {
        Err << Link.LinkFailure() << " " << where << "\n";
    } else {
        Err << "The UPS stopped answering " << where << ".\n";
    }
    // The window sends no closing command after a lost link either: nothing would take it.
    Link.ClosePort();
    return kExitLinkLost;
}

}  // namespace kelvane::cli
