#include "ui/TypedCharacter.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace kelvane {

std::u32string TypedCharacters(const QKeyEvent& event) {
    if (event.matches(QKeySequence::Paste)) return {KeyPaste};
    const int key = event.key();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return {KeyEnter};
        case Qt::Key_Escape:
            return {KeyEscape};
        case Qt::Key_Backspace:
            return {KeyBackspace};
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return {};
        default:
            break;
    }
    // Ctrl+Alt is AltGr on some keyboards and types an ordinary character.
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier) && key >= Qt::Key_A &&
        key <= Qt::Key_Z) {
        return {static_cast<char32_t>(key - Qt::Key_A + 1)};
    }
    std::u32string typed;
    for (const char32_t character : event.text().toUcs4()) typed.push_back(character);
    return typed;
}

}  // namespace kelvane
