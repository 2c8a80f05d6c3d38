#include "ui/pages/EditCaptions.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace kelvane {

namespace {

class CaptionFollower : public QObject {
  public:
    CaptionFollower(QLineEdit* field, QLabel* caption) : QObject(field), field_(field), caption_(caption) {
        field->installEventFilter(this);
        caption->installEventFilter(this);
        follow();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched == field_ &&
            (type == QEvent::ShowToParent || type == QEvent::HideToParent || type == QEvent::EnabledChange)) {
            follow();
        }
        // Disabling a field inside a disabled group sends it no event; the caption catches up when the
        // group is enabled again, which does send one to the caption.
        if (watched == caption_ && type == QEvent::EnabledChange) follow();
        return false;
    }

  private:
    void follow() {
        if (!caption_) return;
        // Only an explicit show or hide is copied: a field that is merely not on screen yet (its window
        // not shown) must not hide its caption for good.
        if (field_->testAttribute(Qt::WA_WState_ExplicitShowHide)) caption_->setHidden(field_->isHidden());
        // Only the field's own state is copied; a disabled parent greys both anyway.
        caption_->setEnabled(!field_->testAttribute(Qt::WA_ForceDisabled));
    }

    QLineEdit* field_;
    QPointer<QLabel> caption_;
};

}  // namespace

void bindEditCaptions(QWidget* root) {
    for (QLineEdit* field : root->findChildren<QLineEdit*>()) {
        if (field->objectName().isEmpty()) continue;
        if (auto* caption = root->findChild<QLabel*>(field->objectName() + QStringLiteral("Label"))) {
            new CaptionFollower(field, caption);
        }
    }
}

}  // namespace kelvane
