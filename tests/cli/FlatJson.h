// A strict reader for the one-line JSON objects kelvane-cli prints: a flat object of strings, numbers,
// true, false and null. It refuses anything a JSON parser would refuse (and nesting, which the tool never
// writes), so a test that reads the output also proves it is valid JSON.
#pragma once

#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::cli::testing {

struct JsonValue {
    enum class Kind { String, Number, Bool, Null } Type = Kind::Null;
    std::string Text;  // String: the decoded bytes; Number: the literal as written
    bool Flag = false;
    double Number() const { return std::strtod(Text.c_str(), nullptr); }
};

struct FlatObject {
    std::vector<std::string> Keys;  // in the order written
    std::map<std::string, JsonValue> Values;

    bool Has(const std::string& key) const { return Values.count(key) != 0; }
    std::string Text(const std::string& key) const {
        auto it = Values.find(key);
        return it == Values.end() ? "<missing " + key + ">" : it->second.Text;
    }
    bool Flag(const std::string& key) const {
        auto it = Values.find(key);
        return it != Values.end() && it->second.Flag;
    }
    double Number(const std::string& key) const {
        auto it = Values.find(key);
        return it == Values.end() ? -1e300 : it->second.Number();
    }
};

class FlatJsonReader {
  public:
    explicit FlatJsonReader(std::string_view text) : text_(text) {}

    std::optional<FlatObject> Read() {
        FlatObject object;
        if (!Take('{')) return std::nullopt;
        if (Peek() == '}') {
            ++at_;
            return AtEnd() ? std::optional(object) : std::nullopt;
        }
        for (;;) {
            std::string key;
            JsonValue value;
            if (!String(&key) || !Take(':') || !Value(&value)) return std::nullopt;
            if (object.Values.count(key)) return std::nullopt;  // the tool never repeats a key
            object.Keys.push_back(key);
            object.Values[key] = value;
            if (Take(',')) continue;
            if (Take('}')) break;
            return std::nullopt;
        }
        return AtEnd() ? std::optional(object) : std::nullopt;
    }

  private:
    char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    bool AtEnd() const { return at_ == text_.size(); }
    bool Take(char c) {
        if (Peek() != c) return false;
        ++at_;
        return true;
    }
    bool Literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    static int Hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    bool String(std::string* out) {
        if (!Take('"')) return false;
        for (;;) {
            if (AtEnd()) return false;
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"') return true;
            if (c < 0x20 || c >= 0x80) return false;  // raw control bytes are invalid; the tool writes ASCII
            if (c != '\\') {
                out->push_back(static_cast<char>(c));
                continue;
            }
            if (AtEnd()) return false;
            const char escape = text_[at_++];
            switch (escape) {
                case '"':
                case '\\':
                case '/':
                    out->push_back(escape);
                    break;
                case 'b':
                    out->push_back('\b');
                    break;
                case 'f':
                    out->push_back('\f');
                    break;
                case 'n':
                    out->push_back('\n');
                    break;
                case 'r':
                    out->push_back('\r');
                    break;
                case 't':
                    out->push_back('\t');
                    break;
                case 'u': {
                    int code = 0;
                    for (int i = 0; i < 4; ++i) {
                        const int digit = Hex(Peek());
                        if (digit < 0) return false;
                        code = code * 16 + digit;
                        ++at_;
                    }
                    if (code > 0xFF) return false;  // only bytes are ever escaped
                    out->push_back(static_cast<char>(code));
                    break;
                }
                default:
                    return false;
            }
        }
    }

    bool Number(std::string* out) {
        const std::size_t begin = at_;
        Take('-');
        if (Take('0')) {
        } else if (std::isdigit(static_cast<unsigned char>(Peek()))) {
            while (std::isdigit(static_cast<unsigned char>(Peek()))) ++at_;
        } else {
            return false;
        }
        if (Take('.')) {
            if (!std::isdigit(static_cast<unsigned char>(Peek()))) return false;
            while (std::isdigit(static_cast<unsigned char>(Peek()))) ++at_;
        }
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (!std::isdigit(static_cast<unsigned char>(Peek()))) return false;
            while (std::isdigit(static_cast<unsigned char>(Peek()))) ++at_;
        }
        *out = std::string(text_.substr(begin, at_ - begin));
        return true;
    }

    bool Value(JsonValue* value) {
        const char c = Peek();
        if (c == '"') {
            value->Type = JsonValue::Kind::String;
            return String(&value->Text);
        }
        if (Literal("true")) {
            value->Type = JsonValue::Kind::Bool;
            value->Flag = true;
            return true;
        }
        if (Literal("false")) {
            value->Type = JsonValue::Kind::Bool;
            return true;
        }
        if (Literal("null")) return true;
        value->Type = JsonValue::Kind::Number;
        return Number(&value->Text);
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// Each line of the output as an object; an empty optional for a line that is not one.
inline std::vector<std::optional<FlatObject>> ReadJsonLines(const std::string& output) {
    std::vector<std::optional<FlatObject>> lines;
    std::size_t begin = 0;
    while (begin < output.size()) {
        std::size_t end = output.find('\n', begin);
        if (end == std::string::npos) end = output.size();
        lines.push_back(FlatJsonReader(std::string_view(output).substr(begin, end - begin)).Read());
        begin = end + 1;
    }
    return lines;
}

}  // namespace kelvane::cli::testing
