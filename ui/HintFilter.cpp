#include "ui/HintFilter.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

namespace kelvane {

bool HintFilter::HintsShownFor(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (w->property("ShowHint").toBool()) return true;
        if (w->isWindow()) break;
    }
    return false;
}

bool HintFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
        return !HintsShownFor(static_cast<QWidget*>(watched));
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kelvane
