#include "ui/pages/SettingsPage.h"

namespace kelvane {

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent) { setObjectName("TabSheet5"); }

}  // namespace kelvane
