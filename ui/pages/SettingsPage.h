// Stored settings of the unit.
#pragma once

#include <QWidget>

namespace kelvane {

class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    explicit SettingsPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
