#include "ui/pages/StatusPage.h"

namespace kelvane {

StatusPage::StatusPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet6"); }

}  // namespace kelvane
