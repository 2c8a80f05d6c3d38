#include "ui/pages/Smart2ndPage.h"

namespace kelvane {

Smart2ndPage::Smart2ndPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet3"); }

}  // namespace kelvane
