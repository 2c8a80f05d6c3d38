// JSON output of kelvane-cli: one object a line.
//
// Texts from a unit are bytes, not UTF-8: every byte outside printable ASCII is written as \u00XX, so the
// output is valid JSON (and plain ASCII) whatever the unit sent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane::cli {

// The bytes as a quoted JSON string.
std::string JsonString(std::string_view bytes);

// The shortest decimal text that reads back as the same float; "null" for the non-finite values JSON
// has no number for.
std::string JsonNumber(float value);

// A fixed number of decimals, for measured times.
std::string JsonFixed(double value, int decimals);

class JsonObject {
  public:
    JsonObject& AddText(std::string_view key, std::string_view text);
    JsonObject& AddBool(std::string_view key, bool value);
    JsonObject& AddFloat(std::string_view key, float value);
    JsonObject& AddFixed(std::string_view key, double value, int decimals);
    JsonObject& AddInteger(std::string_view key, int64_t value);

    // The object on one line, without a line end.
    std::string Str() const { return body_ + "}"; }

  private:
    JsonObject& AddRaw(std::string_view key, std::string_view json);
    std::string body_ = "{";
};

}  // namespace kelvane::cli
