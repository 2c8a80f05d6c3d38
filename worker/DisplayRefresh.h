// The display refresh: what the window shows of one completed read-out. It runs on the window thread,
// inside one hand-over, while the worker waits; so it may read every member of the link and, for the
// few values the poll list leaves out, ask the unit itself.
#pragma once

#include <string_view>

namespace kelvane {

class PollWindow;
class UpsLink;
class WindowControls;

// The page whose showing switches the read-out to the status registers.
inline constexpr std::string_view StatusPageName = "TabSheet6";

// Status check boxes, least significant bit first, for StateRegister1, StateRegister2, StateRegister3 and
// StatusFlags in that order.
extern const std::string_view StatusCheckBoxes[4][8];

// What a cycle read from the unit: the four status registers (while the Status page showed) or the
// family's poll list (any other page).
enum class ReadOut { StatusRegisters, PollList };

// Shows what the cycle read: the registers, or the family's readings and chart samples; then the unit's
// alerts and the link lamp. The read-out is the one the cycle chose at its start, not the page showing
// now: a tab change in between would otherwise show stale readings as fresh (and feed the charts a
// stale point) or ticks of registers that were never read. While no unit has been identified it runs
// the window's set-up routine again.
void RefreshDisplay(UpsLink& ups, WindowControls& controls, PollWindow& window, ReadOut readOut);

// The chart samples for a chart selection (the tag of GroupBox26): false when the selection feeds
// nothing.
struct ChartSamples {
    int Upper = 0;
    int Lower = 0;
};
bool SamplesForSelection(const UpsLink& ups, int selection, ChartSamples& samples);

}  // namespace kelvane
