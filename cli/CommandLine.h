// The command line of kelvane-cli: global options, a command name, the command's own options and
// arguments. Options may stand before or after the command.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::cli {

// An option a command takes, beyond the global ones.
struct CommandOption {
    std::string_view Name;       // "--cycles"
    std::string_view ValueName;  // "N"; empty for a switch
    std::string_view Help;
    // For a count: the accepted range. Zero in both: any text.
    long long Min = 0;
    long long Max = 0;
};

struct CommandLine {
    bool Help = false;
    bool TimeoutsOnly = false;
    std::string Port;
    std::string Command;
    std::map<std::string, std::string, std::less<>> Options;  // by name, with their values
    std::vector<std::string> Arguments;

    bool Has(std::string_view option) const { return Options.find(option) != Options.end(); }
    // The option's value as a number; `fallback` when it was not given. The parser has checked it.
    long long Count(std::string_view option, long long fallback) const;
};

// What a command declares about its command line; the parser checks the rest against it.
struct CommandSyntax {
    std::string_view Name;
    std::vector<CommandOption> Options;
    std::size_t Arguments = 0;
};

// Parses the arguments after the program name. On a mistake returns false with the reason in *why.
bool ParseCommandLine(const std::vector<std::string>& args, const std::vector<CommandSyntax>& commands,
                      CommandLine* parsed, std::string* why);

}  // namespace kelvane::cli
