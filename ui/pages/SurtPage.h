// Smart RT battery-charger voltages.
#pragma once

#include <QWidget>

namespace kelvane {

class SurtPage : public QWidget {
    Q_OBJECT
  public:
    explicit SurtPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
