#include "ui/Colours.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace kelvane {
namespace {

constexpr const char* FontColourProperty = "KelvaneFontColour";
constexpr const char* EditBackgroundProperty = "KelvaneEditBackground";

// Edits and text boxes draw their text in Text; labels, check boxes and group titles in WindowText.
QPalette::ColorRole FontRole(const QWidget* control) {
    if (qobject_cast<const QLabel*>(control) || qobject_cast<const QCheckBox*>(control) ||
        qobject_cast<const QGroupBox*>(control)) {
        return QPalette::WindowText;
    }
    return QPalette::Text;
}

void PaintFont(QWidget* control, BgrColour colour) {
    QPalette palette = control->palette();
    const QColor qcolour = ToQColor(colour);
    // Disabled controls keep the style's greyed text, so a disabled field still looks disabled.
    palette.setColor(QPalette::Active, FontRole(control), qcolour);
    palette.setColor(QPalette::Inactive, FontRole(control), qcolour);
    control->setPalette(palette);
}

void PaintBackground(QWidget* edit, EditBackground background) {
    QPalette palette = edit->palette();
    const QColor colour = background == EditBackground::White
                              ? QColor(Qt::white)
                              : QApplication::palette().color(QPalette::Button);
    palette.setColor(QPalette::Base, colour);
    edit->setPalette(palette);
}

}  // namespace

QColor ToQColor(BgrColour colour) {
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

void SetFontColour(QWidget* control, BgrColour colour) {
    if (control == nullptr) return;
    control->setProperty(FontColourProperty, QVariant::fromValue<quint32>(colour));
    PaintFont(control, colour);
}

QColor FontColour(const QWidget* control) {
    if (control == nullptr) return {};
    return control->palette().color(QPalette::Active, FontRole(control));
}

void SetEditBackground(QWidget* edit, EditBackground background) {
    if (edit == nullptr) return;
    edit->setProperty(EditBackgroundProperty, static_cast<int>(background));
    PaintBackground(edit, background);
}

void ReapplyColours() {
    const auto widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        const QVariant background = widget->property(EditBackgroundProperty);
        if (background.isValid()) PaintBackground(widget, static_cast<EditBackground>(background.toInt()));
        const QVariant font = widget->property(FontColourProperty);
        if (font.isValid()) PaintFont(widget, font.value<quint32>());
    }
}

}  // namespace kelvane
