#include "ui/pages/BackProPage.h"

namespace kelvane {

BackProPage::BackProPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet2"); }

}  // namespace kelvane
