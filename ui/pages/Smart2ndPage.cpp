#include "ui/pages/Smart2ndPage.h"

#include "ui/pages/EditCaptions.h"
#include "ui_Smart2ndPage.h"

namespace kelvane {

Smart2ndPage::Smart2ndPage(QWidget* parent) : QWidget(parent) {
    Ui::Smart2ndPage ui;
    ui.setupUi(this);
    bindEditCaptions(this);
}

}  // namespace kelvane
