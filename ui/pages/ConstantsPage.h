// Reference table of calibration constants per unit model.
#pragma once

#include <QString>
#include <QWidget>

namespace kelvane {

class ConstantsPage : public QWidget {
    Q_OBJECT
  public:
    explicit ConstantsPage(QWidget* parent = nullptr);

    // The text of the table as the page shows it, one line per row.
    static QString referenceTable();
};

}  // namespace kelvane
