#include "ui/MessageDialogs.h"

#include <QMessageBox>

namespace kelvane {

void QtMessageDialogs::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), text, QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace kelvane
