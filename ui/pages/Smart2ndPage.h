// Second-generation Smart readings, constants and adjustments.
#pragma once

#include <QWidget>

namespace kelvane {

class Smart2ndPage : public QWidget {
    Q_OBJECT
  public:
    explicit Smart2ndPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
