#include "tools/sim/SimOptions.h"

#include <charconv>
#include <climits>
#include <cstdint>

namespace kelvane::simtool {

namespace {

// A bound that no test of a time-out needs to pass and that keeps every sum of delays in range.
constexpr uint64_t kMaxDelayMs = 3600000;

bool ParseCount(const std::string& text, uint64_t limit, uint64_t* value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, *value);
    return error == std::errc() && stop == end && *value <= limit;
}

}  // namespace

std::string SimUsage() {
    return R"(Usage: kelvane-sim --unit NAME [--pace] [--latency-ms N] [--late-ms N] [--mute-after K]
                   [--jump N] [--answer CMD=TEXT]... [--link PATH]
       kelvane-sim --list
       kelvane-sim --help

Serves a simulated unit on a pseudo-terminal that any serial program opens like a real port
(2400 baud, 8N1). The first line of output is the path of that device; then the unit is served
until the program is ended with SIGTERM or SIGINT (Ctrl-C), which also removes the link.

  --unit NAME         the unit to simulate; --list shows the names
  --list              prints the unit names, one a line, and ends
  --pace              sends answers at the real 2400-baud rate (one byte per 4.17 ms) instead of
                      all at once
  --latency-ms N      every answer starts N ms later than one character time (4.17 ms) after its
                      command byte
  --late-ms N         delays every answer by a further N ms, so that it arrives after the reader
                      gave up; answers stay in the order of their commands
  --mute-after K      the unit answers K received bytes, then falls silent for good
  --jump N            the N-th calibration step the unit receives makes its reading jump far
                      (40 V, 25 per cent of load, 6 V of battery) instead of one step
  --answer CMD=TEXT   the unit answers CMD with TEXT instead of its own answer (repeatable).
                      CMD: one printable character, "^X" for a control character ("^A" = 0x01,
                      "^M" = carriage return) or "0xNN". TEXT: the answer without its line end,
                      with the escapes \r \n \0 \\ and \xNN; an empty TEXT means no answer.
  --link PATH         also makes a symbolic link PATH to the device (a link left by an earlier
                      run is replaced; any other file there is refused)
  --help              shows this text

Signals: SIGUSR1 puts the alert "!" (line failure) before the next answer, SIGUSR2 the alert "$"
(line restored). Numbers are decimal milliseconds up to 3600000.
A bad command line ends with a message on standard error and exit status 1.
)";
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options, std::string* why) {
    SimOptions parsed;
    bool unitGiven = false;
    bool linkGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (auto equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        auto takeValue = [&]() {
            if (hasValue) return true;
            if (i + 1 >= args.size()) {
                *why = name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        auto takeDelay = [&](uint32_t* target) {
            uint64_t number = 0;
            if (!takeValue()) return false;
            if (!ParseCount(value, kMaxDelayMs, &number)) {
                *why = name + ": \"" + value + "\" is not a number of milliseconds from 0 to 3600000";
                return false;
            }
            *target = static_cast<uint32_t>(number);
            return true;
        };
        auto takeFlag = [&](bool* target) {
            if (hasValue) {
                *why = name + " takes no value";
                return false;
            }
            *target = true;
            return true;
        };

        bool ok = true;
        if (name == "--help" || name == "-h") {
            ok = takeFlag(&parsed.Help);
        } else if (name == "--list") {
            ok = takeFlag(&parsed.List);
        } else if (name == "--pace") {
            ok = takeFlag(&parsed.Pace);
        } else if (name == "--unit" || name == "--link") {
            bool& given = name == "--unit" ? unitGiven : linkGiven;
            ok = takeValue();
            if (ok && (given || value.empty())) {
                *why = given ? name + " is given twice" : name + " needs a value";
                ok = false;
            }
            if (ok) (name == "--unit" ? parsed.Unit : parsed.LinkPath) = value;
            given = true;
        } else if (name == "--latency-ms") {
            ok = takeDelay(&parsed.LatencyMs);
        } else if (name == "--late-ms") {
            ok = takeDelay(&parsed.LateMs);
        } else if (name == "--mute-after") {
            uint64_t number = 0;
            ok = takeValue();
            if (ok && !ParseCount(value, INT_MAX, &number)) {
                *why = name + ": \"" + value + "\" is not a count of bytes";
                ok = false;
            }
            parsed.MuteAfter = static_cast<int>(number);
        } else if (name == "--jump") {
            uint64_t number = 0;
            ok = takeValue();
            if (ok && (!ParseCount(value, INT_MAX, &number) || number == 0)) {
                *why = name + ": \"" + value + "\" is not a step number from 1";
                ok = false;
            }
            parsed.JumpAt = static_cast<int>(number);
        } else if (name == "--answer") {
            ok = takeValue();
            // "==X" overrides the answer to "=" itself; otherwise the first "=" ends CMD.
            std::size_t split = value.rfind("==", 0) == 0 ? 1 : value.find('=');
            if (ok && (split == std::string::npos || split == 0)) {
                *why = "--answer: \"" + value + "\" is not CMD=TEXT";
                ok = false;
            }
            if (ok) parsed.Answers.emplace_back(value.substr(0, split), value.substr(split + 1));
        } else {
            *why =
                name.rfind("-", 0) == 0 ? "unknown option " + name : "unexpected argument \"" + name + "\"";
            ok = false;
        }
        if (!ok) return false;
    }
    if (!parsed.Help && !parsed.List && parsed.Unit.empty()) {
        *why = "--unit NAME is needed (kelvane-sim --list shows the names)";
        return false;
    }
    *options = std::move(parsed);
    return true;
}

}  // namespace kelvane::simtool
