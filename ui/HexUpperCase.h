// Hexadecimal entry fields hold upper-case text, not merely show it: the worker compares a field's text
// byte for byte with the unit's answers, which are upper case, and the connect-time adjustments write
// lower-case digits ("a3", "4b") into some fields.
#pragma once

class QLineEdit;
class QString;

namespace kelvane {

// The text with the ASCII letters a-z raised; every other character, and so the length, stays as it is.
QString AsciiUpperCase(const QString& text);

// Keeps the field's text upper case whatever sets it (typing, pasting, the program), leaving the cursor
// and any selection where they were. The field is corrected from within its own textChanged, so a
// listener connected later hears the corrected text first and then the original one: read text() there
// rather than the signal's argument.
void KeepUpperCase(QLineEdit* field);

}  // namespace kelvane
