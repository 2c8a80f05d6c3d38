#include "worker/LinkLost.h"

#include <string_view>

#include "worker/Queue.h"
#include "worker/WindowControls.h"

namespace kelvane {

namespace {
constexpr std::string_view UnitPages[] = {"TabSheet1", "TabSheet2", "TabSheet3",
                                          "TabSheet4", "TabSheet5", "TabSheet7"};
}

void ShowLinkLost(WindowControls& controls, Queue& commands) {
    controls.SetStatusText(0, "Could not establish connection to UPS.");
    controls.Repaint("StatusBar1");
    commands.clear();
    controls.SetEnabled("ComboBox1", true);
    controls.SetEnabled("Reconnect", true);
    controls.SetFontColour("Memo1", Colour::Red);
    controls.Repaint("Memo1");
    controls.SetVisible("PageControl1", false);
    controls.SetVisible("GroupBox7", false);
    controls.SetEnabled("GroupBox7", false);
    for (std::string_view page : UnitPages) {
        controls.SetEnabled(page, false);
        controls.SetTabVisible(page, false);
    }
    controls.SetEnabled("Leds", false);
    controls.SetEnabled("Test", false);
    controls.SetEnabled("ByPass", false);
    // The unit no longer answers, so the lamp must not stay green until the next connection.
    controls.SetLinkLampOnline(false);
}

}  // namespace kelvane
