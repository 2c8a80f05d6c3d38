// Start-up of the window: from entry to the first painted main window, then the cost of building further
// windows, and the peak resident memory. Runs offscreen unless a platform is chosen; the options go to a
// scratch file so the user's own are never touched.
//
//   bench_ui_startup [--grab picture.png] [--theme "Style Name"] [--windows N] [--show-pages 1]
//
// --grab saves the first painted window as a picture, for looking at the layout; --show-pages 1 shows the
// pages and the information panel that start hidden, with every tab, as a connection would.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "ui/TForm1.h"
#include "ui/pages/GeneralInfoPanel.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Peak resident set size in kB, from the kernel's own accounting.
long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

class FirstPaint final : public QObject {
  public:
    bool Seen = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) Seen = true;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point entry = Clock::now();
    QString grabPath;
    QString style;
    int windows = 20;
    bool showPages = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--grab") == 0) grabPath = QString::fromLocal8Bit(argv[i + 1]);
        if (std::strcmp(argv[i], "--theme") == 0) style = QString::fromLocal8Bit(argv[i + 1]);
        if (std::strcmp(argv[i], "--windows") == 0) windows = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--show-pages") == 0) showPages = std::atoi(argv[i + 1]) != 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString optionsPath = scratch.filePath(QStringLiteral("Kelvane.conf"));
    qputenv("KELVANE_CONFIG", optionsPath.toLocal8Bit());
    if (!style.isEmpty()) {
        QFile options(optionsPath);
        if (options.open(QIODevice::WriteOnly | QIODevice::Text)) {
            options.write(QStringLiteral("[General]\nStyle=%1\n").arg(style).toUtf8());
        }
    }
    const double appMs = MsSince(entry);

    auto window = std::make_unique<kelvane::TForm1>();
    const double constructedMs = MsSince(entry);
    FirstPaint painted;
    window->installEventFilter(&painted);
    if (showPages) {
        for (int page = 0; page < window->PageControl1->count(); ++page) {
            window->PageControl1->setTabVisible(page, true);
            window->PageControl1->widget(page)->setEnabled(true);
        }
        window->PageControl1->setEnabled(true);
        window->PageControl1->show();
        window->GroupBox7->setEnabled(true);
        window->GroupBox7->show();
        window->SetLinkLampOnline(true);
    }
    window->show();
    // A window that never paints would keep us here; 10 000 rounds of the loop is far beyond any start.
    for (int round = 0; round < 10'000 && !painted.Seen; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const double paintedMs = MsSince(entry);
    if (!painted.Seen) std::printf("warning: no paint event seen\n");
    if (!grabPath.isEmpty()) {
        window->grab().save(grabPath);
        std::printf("window %dx%d (frame %dx%d) saved to %s\n", window->width(), window->height(),
                    window->frameGeometry().width(), window->frameGeometry().height(), qPrintable(grabPath));
    }
    window->close();
    window.reset();

    const Clock::time_point again = Clock::now();
    for (int i = 0; i < windows; ++i) {
        kelvane::TForm1 another;
        another.show();
        QCoreApplication::processEvents();
        another.close();
    }
    const double perWindowMs = windows > 0 ? MsSince(again) / windows : 0.0;

    std::printf("platform                      %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("application object           %8.1f ms\n", appMs);
    std::printf("window constructed           %8.1f ms\n", constructedMs);
    std::printf("first window painted         %8.1f ms\n", paintedMs);
    std::printf("further window, build+show   %8.1f ms (mean of %d)\n", perWindowMs, windows);
    std::printf("peak resident memory (VmHWM) %8ld kB\n", PeakResidentKb());
    return 0;
}
