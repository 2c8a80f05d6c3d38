// What a key press types into an entry field, in the terms the fields' character filters use: Enter, Esc
// and Backspace as their control codes (13, 27, 8), Ctrl+letter as that letter's control code (Ctrl+C is 3,
// Ctrl+V 22), and every key the platform uses for pasting as Ctrl+V, so a filter that refuses Ctrl+V
// refuses Shift+Insert too. Keys that type nothing (arrows, Delete, Home, Tab, the modifiers) give an
// empty text: they move the cursor or focus and no filter looks at them.
#pragma once

#include <string>

class QKeyEvent;

namespace kelvane {

inline constexpr char32_t KeyBackspace = 8;
inline constexpr char32_t KeyEnter = 13;
inline constexpr char32_t KeyEscape = 27;
inline constexpr char32_t KeyCopy = 3;
inline constexpr char32_t KeyPaste = 22;

// Whole code points, never truncated to a byte: a filter must see U+0141 as itself, not as 'A'.
std::u32string TypedCharacters(const QKeyEvent& event);

}  // namespace kelvane
