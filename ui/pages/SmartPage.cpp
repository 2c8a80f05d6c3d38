#include "ui/pages/SmartPage.h"

namespace kelvane {

SmartPage::SmartPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet1"); }

}  // namespace kelvane
