#include "ui/HexUpperCase.h"

#include <QLineEdit>
#include <QString>

namespace kelvane {

QString AsciiUpperCase(const QString& text) {
    QString upper = text;
    for (QChar& character : upper) {
        if (character >= QLatin1Char('a') && character <= QLatin1Char('z')) {
            character = QChar(character.unicode() - u'a' + u'A');
        }
    }
    return upper;
}

void KeepUpperCase(QLineEdit* field) {
    if (field == nullptr) return;
    QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
        const QString upper = AsciiUpperCase(text);
        if (upper == text) return;
        const int cursor = field->cursorPosition();
        const int selectionStart = field->selectionStart();
        const int selectionLength = static_cast<int>(field->selectedText().size());
        // Emits textChanged once more, with the upper-case text, so every other listener ends up seeing it.
        field->setText(upper);
        if (selectionStart >= 0 && selectionLength > 0) {
            // Keep the end the cursor was on, so a Shift+arrow selection can go on growing.
            if (cursor == selectionStart) {
                field->setSelection(selectionStart + selectionLength, -selectionLength);
            } else {
                field->setSelection(selectionStart, selectionLength);
            }
        } else {
            field->setCursorPosition(cursor);
        }
    });
}

}  // namespace kelvane
