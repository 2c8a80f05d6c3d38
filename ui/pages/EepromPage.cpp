#include "ui/pages/EepromPage.h"

namespace kelvane {

EepromPage::EepromPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet8"); }

}  // namespace kelvane
