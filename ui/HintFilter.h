// Every control may carry a hint (its toolTip), but hints are shown only inside the containers that are
// marked to show them: a widget with the dynamic property "ShowHint" set to true, and everything in it.
// One instance is installed on the application; it swallows every other tool-tip request.
#pragma once

#include <QObject>

class QWidget;

namespace kelvane {

class HintFilter final : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // True when the widget or one of its ancestors is marked to show hints.
    static bool HintsShownFor(const QWidget* widget);

    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kelvane
