// EEPROM buffers, dump and comparison.
#pragma once

#include <QWidget>

namespace kelvane {

class EepromPage : public QWidget {
    Q_OBJECT
  public:
    explicit EepromPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
