// First-generation Smart readings, constants and adjustments.
#pragma once

#include <QWidget>

namespace kelvane {

class SmartPage : public QWidget {
    Q_OBJECT
  public:
    explicit SmartPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
