// The command table of kelvane-cli and its driver. Each command is one function that connects through
// the shared Session, does its work and finishes the connection.
#include "cli/Cli.h"

#include <chrono>
#include <ostream>
#include <string_view>

#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/Json.h"
#include "cli/ProgrammingCommands.h"
#include "cli/Session.h"
#include "cli/UnitFields.h"

namespace kelvane::cli {
namespace {

using CommandFunction = int (*)(Session&);

struct Command {
    CommandSyntax Syntax;
    std::string_view Summary;  // one line of --help
    CommandFunction Run;
};

int Identify(Session& session) {
    if (const int status = session.Connect(); status != kExitSuccess) return status;
    JsonObject json;
    AddIdentification(json, session.Link);
    session.Out << json.Str() << "\n" << std::flush;
    return session.Finish();
}

int Poll(Session& session) {
    const long long cycles = session.Line.Count("--cycles", 1);
    if (const int status = session.Connect(); status != kExitSuccess) return status;
    UpsLink& link = session.Link;
    for (long long cycle = 1; cycle <= cycles; ++cycle) {
        const double startMs = session.NowMs();
        const uint64_t sentBefore = link.BytesSent;
        const uint64_t receivedBefore = link.BytesReceived;
        link.RefreshPoll();
        const bool online = link.CheckSmartMode();
        const double cycleMs = session.NowMs() - startMs;

        JsonObject json;
        json.AddInteger("cycle", cycle);
        AddPollReadings(json, link);
        json.AddBool("Online", link.Online)
            .AddBool("LineFailAlert", link.LineFailAlert)
            .AddBool("LineRestoredAlert", link.LineRestoredAlert)
            .AddFixed("cycle_ms", cycleMs, 1)
            .AddInteger("bytes_tx", static_cast<int64_t>(link.BytesSent - sentBefore))
            .AddInteger("bytes_rx", static_cast<int64_t>(link.BytesReceived - receivedBefore));
        session.Out << json.Str() << "\n" << std::flush;
        // The latches report the alerts of one cycle each, as the window's display clears them.
        link.LineFailAlert = false;
        link.LineRestoredAlert = false;

        if (!online || link.LinkFailed()) return session.LinkLost("in poll cycle " + std::to_string(cycle));
    }
    return session.Finish();
}

// The programming-mode commands follow the two of this file.
std::vector<Command> WithProgrammingCommands(std::vector<Command> table) {
    for (const ProgrammingCommand& command : ProgrammingCommands()) {
        table.push_back({command.Syntax, command.Summary, command.Run});
    }
    return table;
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = WithProgrammingCommands({
        {{"identify", {}, 0},
         "connect, identify the unit and print what it is and every value read, as one JSON object",
         Identify},
        {{"poll", {{"--cycles", "N", "poll cycles to run (1 to 1000000; default 1)", 1, 1000000}}, 0},
         "identify, then run N poll cycles and print one JSON object per cycle",
         Poll},
    });
    return commands;
}

std::vector<CommandSyntax> Syntaxes() {
    std::vector<CommandSyntax> syntaxes;
    for (const Command& command : Commands()) syntaxes.push_back(command.Syntax);
    return syntaxes;
}

double SteadyNowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string CliUsage() {
    std::string usage = R"(Usage: kelvane-cli [--timeouts-only] --port PORT COMMAND [OPTIONS]
       kelvane-cli --help

Talks to a UPS on a serial port (2400 baud, 8N1) without the window: connects as the window does
(opens the port, checks smart mode, puts the unit into its programming mode and identifies it),
runs the command and ends by sending "R" before it closes the port, as the window does at exit.

Commands:
)";
    for (const Command& command : Commands()) {
        usage += "  " + std::string(command.Syntax.Name);
        for (const CommandOption& option : command.Syntax.Options) {
            usage += " [" + std::string(option.Name) + " " + std::string(option.ValueName) + "]";
        }
        usage += "\n      " + std::string(command.Summary) + "\n";
        for (const CommandOption& option : command.Syntax.Options) {
            usage += "      " + std::string(option.Name) + " " + std::string(option.ValueName) + ": " +
                     std::string(option.Help) + "\n";
        }
    }
    usage += R"(
Options:
  --port PORT       the serial port: COM1 to COM4, or a device path such as /dev/ttyUSB0 or the
                    path kelvane-sim prints
  --timeouts-only   end every read by the port's time-outs alone, never early at the end of an
                    answer (slower; the answers are the same)
  --help            shows this text

Output (standard output, one JSON object a line; keys are the members' own names):
  identify  "Family" (the family's name, such as "FamilySmart"), the model flags "ThirdGen",
            "SurtModel", "ScModel", "ScRackModel", "SmallModel", "XlModel", "StackModel",
            "ModelCodeViaCtrlB", "HlVariant", "AprogMode", then "RatedPower", "RatedDigits",
            "LegacyVariant" and every text and value the identification read for this family
            ("ModelNameText", "SerialNumberText", "FirmwareText", "InputVoltageValue", ...).
  poll      per cycle: "cycle", every text and value the poll read, "Online" (the smart-mode check
            at the cycle's end), the alert latches "LineFailAlert" and "LineRestoredAlert",
            "cycle_ms" (the cycle's time), "bytes_tx" and "bytes_rx" (bytes sent and received).
  A value the unit was not asked for is left out; one it did not answer is an empty text.
  Texts are the unit's bytes: anything outside printable ASCII is written as \u00XX.
)";
    usage += ProgrammingOutputHelp();
    usage += R"(
Exit status:
  0  success
  1  usage error (the reason goes to standard error)
  2  the port cannot be opened: "Unable to open COM Port to communicate with UPS" on standard
     error, then the system's reason on the next line
  3  the smart-mode check fails: "Could not establish connection to UPS."
  4  identification failed, or the unit stopped answering during a command (a poll cycle whose
     smart-mode check fails); no "R" is sent then
  5  a programming-mode loop ended without reaching its target ("ended" tells how), or the unit has
     nothing the command could act on (nothing is sent then but "R")
  6  a file could not be written (the reason goes to standard error); an existing file is left as
     it was
)";
    return usage;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
    CommandLine line;
    std::string why;
    if (!ParseCommandLine(args, Syntaxes(), &line, &why)) {
        err << "kelvane-cli: " << why << " (kelvane-cli --help explains the command line)\n";
        return kExitUsage;
    }
    if (line.Help) {
        out << CliUsage();
        return kExitSuccess;
    }

    UpsLink link(environment.Opener, environment.Pauses);
    link.EarlyCompletion = !line.TimeoutsOnly;
    Session session{link, line, out, err, environment.NowMs ? environment.NowMs : SteadyNowMs};
    for (const Command& command : Commands()) {
        if (command.Syntax.Name == line.Command) return command.Run(session);
    }
    return kExitUsage;  // the parser knows only the commands of the table
}

}  // namespace kelvane::cli
