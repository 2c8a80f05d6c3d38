// The connect-time automatic adjustments of the Options menu, made by the set-up routine. Each is a hook
// that does nothing yet.
#include "ui/TForm1.h"

namespace kelvane {

void TForm1::SelfTestSwitchOff(bool& intervalChanged) {
    intervalChanged = false;
}

void TForm1::HexCodeDetection(bool intervalChanged) {
    static_cast<void>(intervalChanged);
}

void TForm1::BatteryConstantFix() {}

}  // namespace kelvane
