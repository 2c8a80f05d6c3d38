#include "cli/Json.h"

#include <charconv>
#include <cmath>

namespace kelvane::cli {

std::string JsonString(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string JsonNumber(float value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string JsonFixed(double value, int decimals) {
    if (!std::isfinite(value)) return "null";
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return "null";
    return std::string(text, result.ptr);
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json) {
    if (body_.size() > 1) body_ += ',';
    body_ += JsonString(key);
    body_ += ':';
    body_ += json;
    return *this;
}

JsonObject& JsonObject::AddText(std::string_view key, std::string_view text) {
    return AddRaw(key, JsonString(text));
}

JsonObject& JsonObject::AddBool(std::string_view key, bool value) {
    return AddRaw(key, value ? "true" : "false");
}

JsonObject& JsonObject::AddFloat(std::string_view key, float value) {
    return AddRaw(key, JsonNumber(value));
}

JsonObject& JsonObject::AddFixed(std::string_view key, double value, int decimals) {
    return AddRaw(key, JsonFixed(value, decimals));
}

JsonObject& JsonObject::AddInteger(std::string_view key, int64_t value) {
    return AddRaw(key, std::to_string(value));
}

}  // namespace kelvane::cli
