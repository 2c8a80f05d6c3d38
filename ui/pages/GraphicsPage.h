// The two strip charts and their selection.
#pragma once

#include <QWidget>

namespace kelvane {

class GraphicsPage : public QWidget {
    Q_OBJECT
public:
    explicit GraphicsPage(QWidget* parent = nullptr);
};

}  // namespace kelvane
