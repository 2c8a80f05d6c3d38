// The port chooser's simulated units through the real serial path: a pseudo-terminal served in process,
// opened by the system's serial backend at 2400 baud. The link keeps real time here, so these tests are
// few; the pauses the protocol prescribes still go through a virtual sleeper.
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "sim/SimUnit.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualSleeper.h"
#include "tests/ui/ConnectBench.h"
#include "ui/SimulatedPorts.h"
#include "ui/StatusBar.h"
#include "ui/TForm1.h"
#include "ups/UpsLink.h"

using namespace kelvane;
using namespace kelvane::testing;

namespace {
const QString SmartLabel = QStringLiteral("Simulated: smart");
}

class ConnectPtyTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(Scratch.isValid());
        ConnectBench::UseScratchOptions(Scratch);
    }
    void init() {
        Window = std::make_unique<TForm1>();
        Window->Ups->SetSleeper(&Sleeper);
        Window->Pauses = &Sleeper;
        auto dialogs = std::make_unique<RecordingDialogs>();
        Dialogs = dialogs.get();
        Window->Dialogs = std::move(dialogs);
    }
    void cleanup() { Window.reset(); }

    void simulatedUnitsAreOfferedAfterThePorts();
    void aSimulatedUnitShowsLiveReadingsAndGetsTheClosingCommand();
    void aStoppedServerIsALinkLoss();

  private:
    bool Choose(const QString& label) {
        const int index = Window->ComboBox1->findText(label);
        if (index < 0) return false;
        Window->ComboBox1->setCurrentIndex(index);
        Window->ComboBox1Change();
        return true;
    }
    bool RunCycles(unsigned long cycles) {
        PollWorker* worker = Window->Poller;
        if (worker == nullptr) return false;
        const unsigned long target = worker->Cycles() + cycles;
        return QTest::qWaitFor([&] { return Window->Poller != worker || worker->Cycles() >= target; },
                               60000) &&
               Window->Poller == worker;
    }

    QTemporaryDir Scratch;
    VirtualClock Clock;
    VirtualSleeper Sleeper{Clock};
    std::unique_ptr<TForm1> Window;
    RecordingDialogs* Dialogs = nullptr;
};

void ConnectPtyTest::simulatedUnitsAreOfferedAfterThePorts() {
    QStringList items;
    for (int i = 0; i < Window->ComboBox1->count(); ++i) items << Window->ComboBox1->itemText(i);
    const qsizetype first = items.indexOf(SmartLabel);
    QVERIFY(first >= 4);
    QCOMPARE(items.mid(first), SimulatedPorts::Labels());
    QCOMPARE(SimulatedPorts::Labels().size(), static_cast<qsizetype>(sim::SimUnit::PresetNames().size()));
}

void ConnectPtyTest::aSimulatedUnitShowsLiveReadingsAndGetsTheClosingCommand() {
    Window->show();
    QVERIFY(Choose(SmartLabel));
    QCOMPARE(Window->StatusBar1->PanelText(0), QStringLiteral("Connection to UPS established."));
    QVERIFY(Window->UnitIdentified.load());
    auto* input = Window->findChild<QLineEdit*>(QStringLiteral("InputVoltage"));
    input->clear();
    QVERIFY(RunCycles(2));
    QVERIFY(!input->text().isEmpty());

    QVERIFY(!Window->close());
    QVERIFY(QTest::qWaitFor([&] { return !Window->isVisible(); }, 60000));
    QVERIFY(!Window->Ups->Port.IsOpen());
    sim::SimUnit* unit = Window->Simulated().Unit(SmartLabel);
    QVERIFY(unit != nullptr);
    Window->Simulated().Stop(SmartLabel);  // the unit is read only once nothing feeds it
    QCOMPARE(unit->Received().back(), std::uint8_t{'R'});
    QVERIFY(Dialogs->Errors.isEmpty());
}

void ConnectPtyTest::aStoppedServerIsALinkLoss() {
    QVERIFY(Choose(SmartLabel));
    QVERIFY(RunCycles(1));
    Window->Simulated().Stop(SmartLabel);  // the adapter is pulled mid-session
    QVERIFY(QTest::qWaitFor([&] { return Window->LiveWorkers() == 0; }, 60000));
    QCOMPARE(Window->StatusBar1->PanelText(0), QStringLiteral("Could not establish connection to UPS."));
    QVERIFY(Window->ComboBox1->isEnabled());

    // Chosen again, the unit is served anew with the state it had.
    QVERIFY(Choose(SmartLabel));
    QCOMPARE(Window->StatusBar1->PanelText(0), QStringLiteral("Connection to UPS established."));
}

QTEST_MAIN(ConnectPtyTest)
#include "tst_connect_pty.moc"
