// Status registers and messages from the unit.
#pragma once

#include <QWidget>

namespace kelvane {

class StatusPage : public QWidget {
    Q_OBJECT
  public:
    explicit StatusPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
