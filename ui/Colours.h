// Colours are kept as 0x00BBGGRR values throughout the window code, the order in which the unit's
// feedback colours were first written down. These helpers turn them into Qt colours and colour a control
// in a way that outlives a change of the visual style.
#pragma once

#include <QColor>
#include <cstdint>

#include "worker/WindowControls.h"

class QWidget;

namespace kelvane {

using BgrColour = std::uint32_t;

// The feedback colours are the worker's own, so a flash looks the same whichever side draws it.
inline constexpr BgrColour ColourBlack = Colour::Black;
inline constexpr BgrColour ColourBrightGreen = Colour::Green;
inline constexpr BgrColour ColourRed = Colour::Red;
inline constexpr BgrColour ColourWhite = 0xFFFFFF;

constexpr int RedOf(BgrColour colour) {
    return static_cast<int>(colour & 0xFF);
}
constexpr int GreenOf(BgrColour colour) {
    return static_cast<int>((colour >> 8) & 0xFF);
}
constexpr int BlueOf(BgrColour colour) {
    return static_cast<int>((colour >> 16) & 0xFF);
}

QColor ToQColor(BgrColour colour);

// Font colour of a QLineEdit, QLabel, QTextEdit, QPlainTextEdit, QCheckBox or QGroupBox title. The colour
// is remembered on the control, so a later style change puts it back.
void SetFontColour(QWidget* control, BgrColour colour);

// The font colour the control shows now.
QColor FontColour(const QWidget* control);

// Background of an edit field: Grey follows the active style's button colour, White stays white.
enum class EditBackground { Grey, White };
void SetEditBackground(QWidget* edit, EditBackground background);

// Puts the remembered font colours and edit backgrounds back on every control of the application; the
// style manager calls it after each style change.
void ReapplyColours();

}  // namespace kelvane
