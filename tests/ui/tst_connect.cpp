// Connecting a window to simulated units on virtual time: the window state after each kind of outcome,
// the live poll with its read-out switch and alerts, link loss and reconnect, the closing handshake, and
// the worker lifecycle's open points (a late termination handler, a close while any worker runs).
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>
#include <atomic>
#include <thread>

#include "controls/Performancegraph.h"
#include "tests/ui/ConnectBench.h"
#include "ui/Colours.h"
#include "ui/QtHandOver.h"
#include "ui/QtWindowControls.h"
#include "ui/StatusBar.h"
#include "ui/pages/GeneralInfoPanel.h"

using namespace kelvane;
using namespace kelvane::testing;

namespace {

const QString Connected = QStringLiteral("Connection to UPS established.");
const QString NoConnection = QStringLiteral("Could not establish connection to UPS.");
const QString OpenFailed = QStringLiteral("Unable to open COM Port to communicate with UPS");

template <typename T = QWidget>
T* Control(TForm1& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("no control %s", name);
    return control;
}

bool TabShown(TForm1& window, const char* page) {
    return window.PageControl1->isTabVisible(window.PageControl1->indexOf(Control(window, page)));
}

QString Panel0(TForm1& window) {
    return window.StatusBar1->PanelText(0);
}

// Swallows the posted termination notices of the window while on, so a test can deliver one late.
class HoldTermination final : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (On && event->type() == QEvent::MetaCall) {
            ++Held;
            return true;
        }
        return false;
    }
    bool On = false;
    int Held = 0;
};

}  // namespace

class ConnectTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(Scratch.isValid());
        ConnectBench::UseScratchOptions(Scratch);
    }

    void connectedUnitIsPolledWithLiveValuesAndCharts();
    void theStatusPageSwitchesTheReadOutToTheRegisters();
    void alertsAreShownOnce();
    void aUnitWithoutSmartAnswerLeavesTheChooserUsable();
    void portsThatCannotBeOpenedGiveTheMessageWithItsReason();
    void aTypedPathIsTriedWhenEditingEnds();
    void anUnidentifiedUnitIsSetUpOnceItAnswersAndItsEarlyCommandsAreDropped();
    void linkLossThenReconnect();
    void anUnpluggedAdapterIsALinkLoss();
    void closingWhileConnectedSendsTheClosingCommandFirst();
    void closingAfterLinkLossSendsNothing();
    void aLateTerminationHandlerLeavesTheNewWorkerAlone();
    void destroyingTheWindowWithAWorkerRunningJoinsIt();
    void controlsByNameClampBarsAndCarryLatin1();
    void aClosedHandOverReleasesItsWaiterWithoutRunningTheWork();

  private:
    QTemporaryDir Scratch;
};

void ConnectTest::connectedUnitIsPolledWithLiveValuesAndCharts() {
    ConnectBench bench;
    bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    std::atomic<int> dispatched{0};
    window.Dispatch = [&](char, char) { ++dispatched; };
    bench.Choose("COM1");

    QCOMPARE(Panel0(window), Connected);
    QVERIFY(!window.ComboBox1->isEnabled());
    QVERIFY(!window.Reconnect->isEnabled());
    QVERIFY(window.Poller != nullptr);
    QCOMPARE(window.PollerFinished, std::uint8_t{0});
    QVERIFY(window.UnitIdentified.load());
    QVERIFY(!window.PageControl1->isHidden());
    QVERIFY(!window.GroupBox7->isHidden());
    QCOMPARE(window.PageControl1->currentWidget()->objectName(), QStringLiteral("TabSheet1"));

    auto* upper = Control<KPerformanceGraph>(window, "KPerformanceGraph1");
    QVERIFY(upper->firstPoint());
    Control<QLineEdit>(window, "InputVoltage")->clear();
    window.Commands.push('x', '-');
    QVERIFY(bench.RunCycles(3));

    QVERIFY(!Control<QLineEdit>(window, "InputVoltage")->text().isEmpty());
    QVERIFY(Control<QProgressBar>(window, "InputVoltageBar")->value() > 0);
    QVERIFY(!upper->firstPoint());  // samples have arrived
    QVERIFY(window.LinkLampOnline());
    QCOMPARE(dispatched.load(), 1);
    QVERIFY(window.Commands.isEmpty());
}

void ConnectTest::theStatusPageSwitchesTheReadOutToTheRegisters() {
    ConnectBench bench;
    bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    bench.Choose("COM1");
    auto* input = Control<QLineEdit>(window, "InputVoltage");
    auto* onLine = Control<QCheckBox>(window, "CheckBox28");
    QVERIFY(!onLine->isChecked());

    window.PageControl1->setCurrentWidget(Control(window, "TabSheet6"));
    QVERIFY(window.StatusPageShowing());
    QVERIFY(bench.RunCycles(2));
    input->setText(QStringLiteral("stale"));
    QVERIFY(bench.RunCycles(2));

    QCOMPARE(input->text(), QStringLiteral("stale"));  // readings pages are left alone
    QVERIFY(onLine->isChecked());                      // "Q" answers 08: on line
    QVERIFY(onLine->isEnabled());
    QVERIFY(!Control<QCheckBox>(window, "CheckBox29")->isEnabled());

    window.PageControl1->setCurrentWidget(Control(window, "TabSheet1"));
    QVERIFY(bench.RunCycles(2));
    QVERIFY(input->text() != QStringLiteral("stale"));
}

void ConnectTest::alertsAreShownOnce() {
    ConnectBench bench;
    sim::SimUnit& unit = bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    bench.Choose("COM1");
    auto* messages = Control<QTextEdit>(window, "UPSMessage");
    QVERIFY(bench.RunCycles(1));

    unit.InjectAlert('!');
    QVERIFY(
        QTest::qWaitFor([&] { return messages->toPlainText().contains(QStringLiteral("Line Failure")); }));
    unit.InjectAlert('$');
    QVERIFY(QTest::qWaitFor([&] { return messages->toPlainText().contains(QStringLiteral("Returning")); }));
    QVERIFY(bench.RunCycles(3));

    QCOMPARE(messages->toPlainText(),
             QStringLiteral("  Line Failure ! \n  Returning from Line Failure ! \n"));
    QTextCursor cursor(messages->document());
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 3);
    QCOMPARE(cursor.charFormat().foreground().color(), ToQColor(0xD02F70));
}

void ConnectTest::aUnitWithoutSmartAnswerLeavesTheChooserUsable() {
    ConnectBench bench;
    bench.Plug("silent");
    TForm1& window = bench.OpenWindow();
    bench.Choose("COM1");

    QCOMPARE(Panel0(window), NoConnection);
    QVERIFY(window.Poller == nullptr);
    QVERIFY(window.ComboBox1->isEnabled());
    QVERIFY(window.PageControl1->isHidden());
    QVERIFY(window.Ups->Port.IsOpen());
    QVERIFY(!window.LinkLampOnline());
    QVERIFY(!bench.PausedFor(500));

    bench.Choose("COM1");  // the port is open: it is closed first, then a pause
    QVERIFY(bench.PausedFor(500));
    QCOMPARE(bench.Port().Opens(), 2);
    QVERIFY(bench.Dialogs->Errors.isEmpty());
}

void ConnectTest::portsThatCannotBeOpenedGiveTheMessageWithItsReason() {
    ConnectBench bench;
    bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    window.StatusBar1->SetPanelText(0, QStringLiteral("before"));

    bench.Choose("COM2");  // nothing there
    QCOMPARE(bench.Dialogs->Errors.size(), 1);
    QCOMPARE(bench.Dialogs->Errors.at(0), OpenFailed + QStringLiteral("\nNo such file or directory"));

    bench.Port().Unplug();  // listed, then gone before it was chosen
    bench.Choose("COM1");
    QCOMPARE(bench.Dialogs->Errors.size(), 2);
    QVERIFY(bench.Dialogs->Errors.at(1).startsWith(OpenFailed + QLatin1Char('\n')));

    QCOMPARE(Panel0(window), QStringLiteral("before"));
    QVERIFY(window.Poller == nullptr);
    QVERIFY(window.ComboBox1->isEnabled());
}

void ConnectTest::aTypedPathIsTriedWhenEditingEnds() {
    ConnectBench bench;
    bench.Plug("smart", "/dev/ttyUSB7");
    TForm1& window = bench.OpenWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QLineEdit* edit = window.ComboBox1->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("/dev/ttyUSB7"));
    QCOMPARE(bench.Port("/dev/ttyUSB7").Opens(), 0);  // no attempt per keystroke
    QVERIFY(bench.Dialogs->Errors.isEmpty());

    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(bench.Port("/dev/ttyUSB7").Opens(), 1);
    QCOMPARE(Panel0(window), Connected);
    emit edit->editingFinished();  // leaving the field with the same text is no new choice
    QCOMPARE(bench.Port("/dev/ttyUSB7").Opens(), 1);
}

void ConnectTest::anUnidentifiedUnitIsSetUpOnceItAnswersAndItsEarlyCommandsAreDropped() {
    ConnectBench bench;
    sim::SimUnit& unit = bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    std::atomic<int> dispatched{0};
    window.Dispatch = [&](char, char) { ++dispatched; };
    window.Commands.push('l', '-');
    unit.SetMuteAfter(1);  // the smart-mode check passes, identification hears nothing

    bench.Choose("COM1");
    QVERIFY(!window.UnitIdentified.load());
    QVERIFY(window.Poller != nullptr);  // started all the same
    QVERIFY(window.PageControl1->isHidden());

    unit.SetMuteAfter(-1);
    QVERIFY(QTest::qWaitFor([&] { return window.UnitIdentified.load(); }));
    QVERIFY(bench.RunCycles(2));
    QVERIFY(!window.PageControl1->isHidden());
    QVERIFY(TabShown(window, "TabSheet1"));
    QCOMPARE(dispatched.load(), 0);
}

void ConnectTest::linkLossThenReconnect() {
    ConnectBench bench;
    sim::SimUnit& unit = bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    bench.Choose("COM1");
    QVERIFY(bench.RunCycles(1));

    unit.SetMuteAfter(0);
    QVERIFY(bench.WaitForWorkersToEnd());
    QCOMPARE(window.PollerFinished, std::uint8_t{1});
    QVERIFY(window.Poller == nullptr);
    QCOMPARE(Panel0(window), NoConnection);
    QVERIFY(window.ComboBox1->isEnabled());
    QVERIFY(window.Reconnect->isEnabled());
    QCOMPARE(FontColour(window.Memo1), ToQColor(ColourRed));
    QVERIFY(window.PageControl1->isHidden());
    QVERIFY(window.GroupBox7->isHidden());
    QVERIFY(!window.GroupBox7->isEnabled());
    for (const char* page : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet7"})
        QVERIFY2(!TabShown(window, page), page);
    QVERIFY(!window.Leds->isEnabled());
    QVERIFY(!window.Test->isEnabled());
    QVERIFY(!window.LinkLampOnline());
    QVERIFY(window.Ups->Port.IsOpen());  // left open until the next choice

    unit.SetMuteAfter(-1);
    const std::size_t pausesBefore = bench.PauseCount();
    window.Reconnect->click();
    QVERIFY(bench.PauseCount() > pausesBefore && bench.PausedFor(500));
    QCOMPARE(bench.Port().Opens(), 2);
    QCOMPARE(Panel0(window), Connected);
    QVERIFY(window.Poller != nullptr);
    QCOMPARE(FontColour(window.Memo1), ToQColor(ColourBlack));
    QVERIFY(bench.RunCycles(2));
    QVERIFY(!window.PageControl1->isHidden());
    QVERIFY(window.LinkLampOnline());
}

void ConnectTest::anUnpluggedAdapterIsALinkLoss() {
    ConnectBench bench;
    bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    bench.Choose("COM1");
    QVERIFY(bench.RunCycles(1));
    bench.Port().Unplug();
    QVERIFY(bench.WaitForWorkersToEnd());
    QCOMPARE(Panel0(window), NoConnection);
    QVERIFY(window.ComboBox1->isEnabled());

    bench.Choose("COM1");  // still unplugged
    QCOMPARE(bench.Dialogs->Errors.size(), 1);
    QVERIFY(bench.Dialogs->Errors.at(0).startsWith(OpenFailed));
}

void ConnectTest::closingWhileConnectedSendsTheClosingCommandFirst() {
    ConnectBench bench;
    sim::SimUnit& unit = bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    window.show();
    bench.Choose("COM1");
    QVERIFY(bench.RunCycles(1));
    window.Commands.push('x', '-');  // may still wait when the close comes; the handler clears it

    QVERIFY(!window.close());  // refused while the worker runs
    QCOMPARE(window.Tag(), 1);
    QVERIFY(window.isVisible());
    QVERIFY(QTest::qWaitFor([&] { return !window.isVisible(); }, 60000));

    QCOMPARE(window.LiveWorkers(), std::size_t{0});
    QCOMPARE(window.PollerFinished, std::uint8_t{1});
    QVERIFY(window.Commands.isEmpty());
    QVERIFY(!window.Ups->Port.IsOpen());
    QCOMPARE(bench.Port().Line(), nullptr);  // the line was closed after the last byte below
    QCOMPARE(unit.Received().back(), std::uint8_t{'R'});
}

void ConnectTest::closingAfterLinkLossSendsNothing() {
    ConnectBench bench;
    sim::SimUnit& unit = bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    window.show();
    bench.Choose("COM1");
    QVERIFY(bench.RunCycles(1));
    unit.SetMuteAfter(0);
    QVERIFY(bench.WaitForWorkersToEnd());
    const std::size_t received = unit.Received().size();

    QVERIFY(window.close());
    QCOMPARE(unit.Received().size(), received);
}

void ConnectTest::aLateTerminationHandlerLeavesTheNewWorkerAlone() {
    ConnectBench bench;
    sim::SimUnit& unit = bench.Plug("smart");
    TForm1& window = bench.OpenWindow();
    window.show();
    bench.Choose("COM1");
    QVERIFY(bench.RunCycles(1));
    PollWorker* first = window.Poller;

    HoldTermination hold;
    window.installEventFilter(&hold);
    hold.On = true;
    unit.SetMuteAfter(0);
    QVERIFY(QTest::qWaitFor([&] { return hold.Held == 1; }, 60000));
    hold.On = false;
    QVERIFY(window.ComboBox1->isEnabled());

    // The chooser is usable again before the first worker's handler has run: a new connection begins.
    unit.SetMuteAfter(-1);
    bench.Choose("COM1");
    PollWorker* second = window.Poller;
    QVERIFY(second != nullptr && second != first);
    QCOMPARE(window.LiveWorkers(), std::size_t{2});

    window.PollerTerminated(first);  // the late handler
    QCOMPARE(window.LiveWorkers(), std::size_t{1});
    QCOMPARE(window.PollerFinished, std::uint8_t{0});
    QCOMPARE(window.Poller, second);
    QVERIFY(bench.RunCycles(1));

    QVERIFY(!window.close());
    QVERIFY(QTest::qWaitFor([&] { return !window.isVisible(); }, 60000));
    QCOMPARE(unit.Received().back(), std::uint8_t{'R'});
    window.removeEventFilter(&hold);
}

void ConnectTest::destroyingTheWindowWithAWorkerRunningJoinsIt() {
    ConnectBench bench;
    bench.Plug("smart");
    bench.OpenWindow();
    bench.Choose("COM1");
    QVERIFY(bench.RunCycles(1));
    bench.Window.reset();  // must neither hang nor leave the worker on a freed link
    QVERIFY(Form1 == nullptr);
}

void ConnectTest::controlsByNameClampBarsAndCarryLatin1() {
    ConnectBench bench;
    TForm1& window = bench.OpenWindow();
    QtWindowControls& controls = window.Controls();
    auto* bar = Control<QProgressBar>(window, "LoadBar");
    for (const auto& [position, shown] : {std::pair{150, 100}, {-5, 0}, {41, 41}}) {
        controls.SetBar("LoadBar", position);
        QCOMPARE(bar->value(), shown);
    }

    const std::string degrees =
        "36\xB0"
        "C";  // the unit's 8-bit text
    controls.SetText("Temperature", degrees);
    QCOMPARE(Control<QLineEdit>(window, "Temperature")->text(), QStringLiteral("36\u00B0C"));
    QCOMPARE(controls.Text("Temperature"), degrees);

    // Pages are withdrawn at start: no page counts as showing, whatever the current page.
    QVERIFY(window.PageControl1->isHidden());
    QVERIFY(!controls.IsPageShowing("TabSheet6"));
    QVERIFY(!window.StatusPageShowing());
    // A name missing from the layout changes nothing and is reported once, not at every call.
    QTest::ignoreMessage(QtWarningMsg,
                         "Control NoSuchControl is missing from the window; changes to it do nothing.");
    QTest::failOnWarning(QRegularExpression(QStringLiteral("NoSuchControl")));
    QCOMPARE(controls.Find("NoSuchControl"), nullptr);
    controls.SetText("NoSuchControl", "ignored");
    controls.SetEnabled("NoSuchControl", false);
}

void ConnectTest::aClosedHandOverReleasesItsWaiterWithoutRunningTheWork() {
    QtHandOver handOver({});
    std::atomic<bool> ran{false};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        handOver.Run([&] { ran = true; });
        returned = true;
    });
    // The window thread processes no events here, so the work waits (or, if the worker comes late, finds
    // the hand-over closed); either way closing lets the worker go and the work never runs.
    handOver.Close();
    worker.join();
    QVERIFY(returned.load());
    QCoreApplication::processEvents();
    QVERIFY(!ran.load());

    bool ranHere = false;
    handOver.Run([&] { ranHere = true; });  // on the window thread itself it runs at once
    QVERIFY(ranHere);
}

QTEST_MAIN(ConnectTest)
#include "tst_connect.moc"
