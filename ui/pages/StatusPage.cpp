#include "ui/pages/StatusPage.h"

#include <QCheckBox>
#include <QGroupBox>

#include "ui/pages/PageLook.h"
#include "ui_StatusPage.h"

namespace kelvane {

StatusPage::StatusPage(QWidget* parent) : QWidget(parent) {
    Ui::StatusPage ui;
    ui.setupUi(this);

    for (QGroupBox* group : {ui.Register1Group, ui.Register2Group, ui.Register3Group, ui.StatusFlagsGroup}) {
        for (QCheckBox* box : group->findChildren<QCheckBox*>()) {
            // The boxes mirror the unit's status bits; a click must not make them say something else.
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            // The longest captions only fit the narrow groups in a condensed face.
            QFont font = box->font();
            font.setStretch(QFont::Condensed);
            box->setFont(font);
        }
    }
    useButtonFaceBackground(ui.UPSMessage);
}

}  // namespace kelvane
