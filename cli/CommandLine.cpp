#include "cli/CommandLine.h"

#include <charconv>

namespace kelvane::cli {
namespace {

bool ParseNumber(const std::string& text, long long* value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

const CommandOption* FindOption(const CommandSyntax* command, std::string_view name) {
    if (command == nullptr) return nullptr;
    for (const CommandOption& option : command->Options) {
        if (option.Name == name) return &option;
    }
    return nullptr;
}

}  // namespace

long long CommandLine::Count(std::string_view option, long long fallback) const {
    const auto it = Options.find(option);
    long long value = fallback;
    if (it != Options.end() && !ParseNumber(it->second, &value)) value = fallback;
    return value;
}

bool ParseCommandLine(const std::vector<std::string>& args, const std::vector<CommandSyntax>& commands,
                      CommandLine* parsed, std::string* why) {
    CommandLine line;
    const CommandSyntax* command = nullptr;
    // Options of a command may come before its name, so they are checked once the command is known.
    std::vector<std::pair<std::string, std::string>> pending;
    bool portGiven = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            hasValue = true;
        }
        const bool isOption = name.size() > 1 && name[0] == '-';

        if (name == "--help" || name == "-h") {
            line.Help = true;
        } else if (name == "--timeouts-only") {
            if (hasValue) {
                *why = "--timeouts-only takes no value";
                return false;
            }
            line.TimeoutsOnly = true;
        } else if (name == "--port") {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    *why = "--port needs a port name";
                    return false;
                }
                value = args[++i];
            }
            if (portGiven) {
                *why = "--port is given twice";
                return false;
            }
            if (value.empty()) {
                *why = "--port needs a port name";
                return false;
            }
            line.Port = value;
            portGiven = true;
        } else if (isOption) {
            // Options may come before the command, so look for the name among every command's.
            const CommandOption* known = FindOption(command, name);
            for (std::size_t c = 0; known == nullptr && c < commands.size(); ++c) {
                known = FindOption(&commands[c], name);
            }
            if (known == nullptr) {
                *why = "unknown option " + name;
                return false;
            }
            if (known->ValueName.empty() && hasValue) {
                *why = name + " takes no value";
                return false;
            }
            if (!known->ValueName.empty() && !hasValue) {
                if (i + 1 >= args.size()) {
                    *why = name + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            pending.emplace_back(name, value);
        } else if (command == nullptr) {
            for (const CommandSyntax& known : commands) {
                if (known.Name == name) command = &known;
            }
            if (command == nullptr) {
                *why = "unknown command \"" + name + "\"";
                return false;
            }
            line.Command = name;
        } else {
            line.Arguments.push_back(name);
        }
    }

    if (line.Help) {
        *parsed = std::move(line);
        return true;
    }
    if (command == nullptr) {
        *why = "no command given";
        return false;
    }

    for (auto& [name, value] : pending) {
        const CommandOption* option = FindOption(command, name);
        if (option == nullptr) {
            *why = "unknown option " + name + " for " + line.Command;
            return false;
        }
        if (line.Has(name)) {
            *why = name + " is given twice";
            return false;
        }
        if (option->Min != 0 || option->Max != 0) {
            long long number = 0;
            if (!ParseNumber(value, &number) || number < option->Min || number > option->Max) {
                *why = name + ": \"" + value + "\" is not a number from " + std::to_string(option->Min) +
                       " to " + std::to_string(option->Max);
                return false;
            }
        }
        line.Options[name] = value;
    }
    if (line.Arguments.size() > command->Arguments) {
        *why = "unexpected argument \"" + line.Arguments[command->Arguments] + "\" for " + line.Command;
        return false;
    }
    if (line.Arguments.size() < command->Arguments) {
        *why = line.Command + " needs " + std::to_string(command->Arguments) + " argument(s)";
        return false;
    }
    if (!portGiven) {
        *why = "--port PORT is needed";
        return false;
    }
    *parsed = std::move(line);
    return true;
}

}  // namespace kelvane::cli
