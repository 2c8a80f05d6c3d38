// The load fields of a page turn red at full load, so an overload stands out from across the bench. The
// display refresh and the load step commands colour the same four controls by the same rule.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvane {

class WindowControls;

// A load of this many per cent or more is shown in red.
inline constexpr double LoadAlarmPercent = 100.0;

// Red at or above LoadAlarmPercent, black below.
uint32_t LoadColour(double loadPercent);

// Colours the per-cent field, the watts field and both their captions ("<field>Label"). Runs on the
// window thread.
void ColourLoadFields(WindowControls& controls, std::string_view percentField, std::string_view wattsField,
                      double loadPercent);

}  // namespace kelvane
