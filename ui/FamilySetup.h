// How the set-up routine shapes the window for the connected unit, in the four places where it does so:
// the starting state before identification, the block of the unit's family, the extras its model flags
// call for, and the gate of the monitor-only dialect. Controls a place does not name keep their state.
#pragma once

namespace kelvane {

class QtWindowControls;
class UpsLink;

void ApplyStartingState(QtWindowControls& controls);
// Nothing for FamilyUnidentified.
void ApplyFamilyBlock(const UpsLink& ups, QtWindowControls& controls);
// Not for FamilyUnidentified.
void ApplyModelFlagExtras(const UpsLink& ups, QtWindowControls& controls);
void ApplyMonitorModeGate(const UpsLink& ups, QtWindowControls& controls);

}  // namespace kelvane
