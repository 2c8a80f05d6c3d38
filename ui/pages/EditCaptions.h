// Labelled edits: a QLineEdit X and its caption, the QLabel X + "Label". On screen they are one control,
// so the caption goes with its field: hidden, shown, enabled and disabled together. Code that shapes
// the window per unit hides or disables only the field and the caption follows.
#pragma once

class QWidget;

namespace kelvane {

// Ties every labelled edit below root to its caption and brings each caption to its field's state now.
void bindEditCaptions(QWidget* root);

}  // namespace kelvane
