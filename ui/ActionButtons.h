// The step pairs, "Change" buttons and action buttons, and the EEPROM page's buffer tabs.
#pragma once

namespace kelvane {

class TForm1;

// Connects the click handlers of every adjustment and action button of the window.
void InstallActionButtons(TForm1& window);

}  // namespace kelvane
