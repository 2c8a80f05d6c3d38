// The members of UpsLink as JSON, under their own names: what identification decided and filled, and what
// one poll cycle read. A member the unit was not asked for is left out; one it was asked for and did not
// answer is an empty text.
#pragma once

#include <string_view>

#include "cli/Json.h"
#include "ups/UpsLink.h"

namespace kelvane::cli {

// "FamilySmart" and so on; empty for a value that is no family.
std::string_view FamilyName(int16_t family);

// Family, every model flag, the rating, the legacy variant, and every text and value member that
// Identify and its full refresh filled.
void AddIdentification(JsonObject& json, const UpsLink& link);

// Every text and value member that RefreshPoll fills for this unit.
void AddPollReadings(JsonObject& json, const UpsLink& link);

}  // namespace kelvane::cli
