// Small look helpers shared by the pages.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPalette>
#include <QWidget>

namespace kelvane {

// A fixed-pitch font at the given size, for text that must line up in columns. The system's choice comes
// first; where font matching lands on a face that is not fixed pitch after all (it depends on the fonts a
// machine has), the first installed fixed-pitch family takes its place.
inline QFont fixedPitchFont(qreal points) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(points);
    if (QFontInfo(font).fixedPitch()) return font;
    for (const QString& family : {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")}) {
        if (QFontDatabase::isFixedPitch(family)) {
            font.setFamily(family);
            return font;
        }
    }
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) {
            font.setFamily(family);
            if (QFontInfo(font).fixedPitch()) return font;
        }
    }
    return font;
}

// Paints a text box on the button face instead of the white edit background. Set by role, so the colour
// follows the active style.
inline void useButtonFaceBackground(QAbstractScrollArea* box) {
    box->viewport()->setBackgroundRole(QPalette::Button);
}

}  // namespace kelvane
