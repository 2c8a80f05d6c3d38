#include "ui/pages/GeneralInfoPanel.h"

#include "ui/pages/EditCaptions.h"
#include "ui_GeneralInfoPanel.h"

namespace kelvane {

GeneralInfoPanel::GeneralInfoPanel(QWidget* parent) : QGroupBox(parent) {
    Ui::GeneralInfoPanel ui;
    ui.setupUi(this);
    bindEditCaptions(this);
}

}  // namespace kelvane
