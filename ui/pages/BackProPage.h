// Back-PRO readings and settings.
#pragma once

#include <QWidget>

namespace kelvane {

class BackProPage : public QWidget {
    Q_OBJECT
  public:
    explicit BackProPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
