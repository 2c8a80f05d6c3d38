#include "ui/pages/SmartPage.h"

#include "ui/pages/EditCaptions.h"
#include "ui_SmartPage.h"

namespace kelvane {

SmartPage::SmartPage(QWidget* parent) : QWidget(parent) {
    Ui::SmartPage ui;
    ui.setupUi(this);
    bindEditCaptions(this);
}

}  // namespace kelvane
