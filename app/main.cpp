// Program entry: one application, one main window, the event loop. An exception that escapes anywhere,
// including from an event handler, is shown in a message box and ends the program.
#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <memory>

#include "ui/TForm1.h"

namespace {

QString DescribeException(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QString();
    }
}

void ShowException(const std::exception_ptr& error) {
    QMessageBox::critical(nullptr, QApplication::applicationName(), DescribeException(error));
}

// Qt cannot carry an exception out of an event handler through its event loop, so it is caught here,
// where every event passes.
class KelvaneApplication final : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            if (!Failed) {
                Failed = true;
                ShowException(std::current_exception());
                exit(1);
            }
            return false;
        }
    }

  private:
    bool Failed = false;
};

}  // namespace

int main(int argc, char** argv) {
    KelvaneApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setOrganizationName(QStringLiteral("Brellmark"));
    try {
        auto window = std::make_unique<kelvane::TForm1>();
        window->show();
        return QApplication::exec();
    } catch (...) {
        ShowException(std::current_exception());
        return 1;
    }
}
