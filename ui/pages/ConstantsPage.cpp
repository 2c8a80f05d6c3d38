#include "ui/pages/ConstantsPage.h"

namespace kelvane {

ConstantsPage::ConstantsPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet9"); }

}  // namespace kelvane
