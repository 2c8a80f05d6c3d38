// The value entry fields: character filters, Esc restore, range checks and the commands Enter pushes.
#pragma once

namespace kelvane {

class TForm1;

// Connects the key handlers of every entry field of the window.
void InstallEntryFields(TForm1& window);

}  // namespace kelvane
