#include "ui/pages/SettingsPage.h"

#include "ui/pages/EditCaptions.h"
#include "ui_SettingsPage.h"

namespace kelvane {

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent) {
    Ui::SettingsPage ui;
    ui.setupUi(this);
    bindEditCaptions(this);
}

}  // namespace kelvane
