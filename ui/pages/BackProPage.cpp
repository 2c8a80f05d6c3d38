#include "ui/pages/BackProPage.h"

#include "ui/pages/EditCaptions.h"
#include "ui_BackProPage.h"

namespace kelvane {

BackProPage::BackProPage(QWidget* parent) : QWidget(parent) {
    Ui::BackProPage ui;
    ui.setupUi(this);
    bindEditCaptions(this);
}

}  // namespace kelvane
