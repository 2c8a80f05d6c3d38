#include "ui/pages/EepromPage.h"

#include "ui/pages/PageLook.h"
#include "ui_EepromPage.h"

namespace kelvane {

EepromPage::EepromPage(QWidget* parent) : QWidget(parent) {
    Ui::EepromPage ui;
    ui.setupUi(this);
    // A dump row is 53 characters; at this size it fits the box without a horizontal scroll bar.
    for (QTextEdit* dump : {ui.RichEdit1, ui.RichEdit2, ui.RichEdit6}) dump->setFont(fixedPitchFont(7.5));
}

}  // namespace kelvane
