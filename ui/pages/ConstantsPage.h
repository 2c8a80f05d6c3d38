// Reference table of model constants.
#pragma once

#include <QWidget>

namespace kelvane {

class ConstantsPage : public QWidget {
    Q_OBJECT
public:
    explicit ConstantsPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
