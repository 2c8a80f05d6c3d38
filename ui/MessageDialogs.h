// The window's message boxes, behind an interface so that tests answer them without a modal loop.
#pragma once

#include <QString>

class QWidget;

namespace kelvane {

class MessageDialogs {
  public:
    virtual ~MessageDialogs() = default;
    // A modal box titled "Error" with one OK button; returns once it has been dismissed.
    virtual void ShowError(const QString& text) = 0;
};

class QtMessageDialogs final : public MessageDialogs {
  public:
    explicit QtMessageDialogs(QWidget* parent) : parent_(parent) {}
    void ShowError(const QString& text) override;

  private:
    QWidget* parent_;
};

}  // namespace kelvane
