#include "ui/pages/GeneralInfoPanel.h"

namespace kelvane {

GeneralInfoPanel::GeneralInfoPanel(QWidget* parent) : QGroupBox(parent) { setObjectName("GroupBox7"); }

}  // namespace kelvane
