#include "ui/pages/SurtPage.h"

namespace kelvane {

SurtPage::SurtPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet4"); }

}  // namespace kelvane
