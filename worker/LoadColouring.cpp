#include "worker/LoadColouring.h"

#include <string>

#include "worker/WindowControls.h"

namespace kelvane {

uint32_t LoadColour(double loadPercent) {
    return loadPercent >= LoadAlarmPercent ? Colour::Red : Colour::Black;
}

void ColourLoadFields(WindowControls& controls, std::string_view percentField, std::string_view wattsField,
                      double loadPercent) {
    const uint32_t colour = LoadColour(loadPercent);
    controls.SetFontColour(percentField, colour);
    controls.SetFontColour(std::string(percentField) + "Label", colour);
    controls.SetFontColour(wattsField, colour);
    controls.SetFontColour(std::string(wattsField) + "Label", colour);
}

}  // namespace kelvane
