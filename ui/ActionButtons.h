// The step pairs, "Change" buttons and action buttons, and the EEPROM page's buffer tabs.
//
// A click only queues one command for the worker and returns: it never waits for the unit, so every
// click, however quick, queues one more command, carried out in click order.
#pragma once

class QTabWidget;
class QWidget;

namespace kelvane {

class TForm1;

// Connects the click handlers of every adjustment and action button of the window, and the EEPROM
// page's tab change.
void InstallActionButtons(TForm1& window);

// The EEPROM page's tab change: the tab control's "Tag" becomes the offset of the chosen buffer in the
// unit's EEPROM image (0 for "Buffer1", 256 for "Buffer2"; "Compare" keeps the last one), and reading is
// offered on the buffer tabs, comparing on the "Compare" tab.
void PageControl2Change(QTabWidget* buffers, QWidget* readButton, QWidget* compareButton);

}  // namespace kelvane
