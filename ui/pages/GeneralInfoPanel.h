// General information about the connected unit.
#pragma once

#include <QGroupBox>

namespace kelvane {

class GeneralInfoPanel : public QGroupBox {
    Q_OBJECT
  public:
    explicit GeneralInfoPanel(QWidget* parent = nullptr);
};

}  // namespace kelvane
