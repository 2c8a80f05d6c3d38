// Small look helpers shared by the pages.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace kelvane {

// The system's fixed-pitch font at the given size, for text that must line up in columns.
inline QFont fixedPitchFont(qreal points) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(points);
    return font;
}

// Paints a text box on the button face instead of the white edit background. Set by role, so the colour
// follows the active style.
inline void useButtonFaceBackground(QAbstractScrollArea* box) {
    box->viewport()->setBackgroundRole(QPalette::Button);
}

}  // namespace kelvane
