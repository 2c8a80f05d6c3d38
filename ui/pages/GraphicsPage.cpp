#include "ui/pages/GraphicsPage.h"

namespace kelvane {

GraphicsPage::GraphicsPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet7"); }

}  // namespace kelvane
