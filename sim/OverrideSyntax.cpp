// The notation of kelvane-sim --answer CMD=TEXT, shared with the tests that build identification paths.
#include <string>
#include <utility>

#include "sim/SimUnit.h"

namespace kelvane::sim {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Fail(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return false;
}

}  // namespace

bool SimUnit::ParseCommand(const std::string& command, uint8_t* byte, std::string* why) {
    if (command.size() == 1) {
        const auto c = static_cast<unsigned char>(command[0]);
        if (c < 0x20 || c > 0x7E) {
            return Fail(why, "command \"" + command + "\" is not printable; write it as ^X or 0xNN");
        }
        *byte = c;
        return true;
    }
    if (command.size() == 2 && command[0] == '^') {
        char key = command[1];
        if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 'a' + 'A');
        if (key == '?') {
            *byte = 0x7F;
            return true;
        }
        if (key < '@' || key > '_') {
            return Fail(why, "\"" + command + "\" names no control character (^@ to ^_ or ^?)");
        }
        *byte = static_cast<uint8_t>(key - '@');
        return true;
    }
    if (command.size() == 4 && command[0] == '0' && (command[1] == 'x' || command[1] == 'X')) {
        const int high = HexDigit(command[2]);
        const int low = HexDigit(command[3]);
        if (high < 0 || low < 0) return Fail(why, "\"" + command + "\" is not a hexadecimal byte");
        *byte = static_cast<uint8_t>(high * 16 + low);
        return true;
    }
    if (command.empty()) return Fail(why, "the command is empty");
    return Fail(why, "\"" + command + "\" is not one character, ^X or 0xNN");
}

bool SimUnit::ParseText(const std::string& text, std::string* bytes, std::string* why) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 == text.size()) return Fail(why, "the text ends in a lone backslash");
        const char escape = text[++i];
        switch (escape) {
            case 'r':
                out.push_back('\r');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case '0':
                out.push_back('\0');
                break;
            case '\\':
                out.push_back('\\');
                break;
            case 'x': {
                const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
                if (high < 0 || low < 0) return Fail(why, "\\x needs two hexadecimal digits");
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                break;
            }
            default:
                return Fail(why, std::string("unknown escape \\") + escape + " (use \\r \\n \\0 \\\\ \\xNN)");
        }
    }
    *bytes = std::move(out);
    return true;
}

}  // namespace kelvane::sim
