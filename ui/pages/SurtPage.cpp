#include "ui/pages/SurtPage.h"

#include "ui/pages/EditCaptions.h"
#include "ui_SurtPage.h"

namespace kelvane {

SurtPage::SurtPage(QWidget* parent) : QWidget(parent) {
    Ui::SurtPage ui;
    ui.setupUi(this);
    bindEditCaptions(this);
}

}  // namespace kelvane
