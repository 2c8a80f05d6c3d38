// The road of one command through the whole program: a technician types a constant into its field and
// presses Enter, the worker's dispatcher drives the simulated unit to it and the field confirms it.
#include <QLineEdit>
#include <QtTest>
#include <algorithm>

#include "tests/support/CountingTone.h"
#include "tests/ui/ConnectBench.h"

using namespace kelvane;
using namespace kelvane::testing;

class CommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(Scratch.isValid());
        ConnectBench::UseScratchOptions(Scratch);
    }

    void aConstantTypedIntoItsFieldIsDrivenIntoTheUnit() {
        ConnectBench bench;
        sim::SimUnit& unit = bench.Plug("smart");  // constant "0" starts at 9C
        TForm1& window = bench.OpenWindow();
        bench.Choose(QStringLiteral("COM1"));
        QVERIFY(window.Poller != nullptr);

        auto* field = window.findChild<QLineEdit*>(QStringLiteral("Const0"));
        QVERIFY(field != nullptr);
        QCOMPARE(field->text(), QStringLiteral("9C"));
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("a0"));
        QCOMPARE(field->text(), QStringLiteral("A0"));
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(!window.Commands.isEmpty());

        QVERIFY(bench.RunCycles(2));
        QVERIFY(window.Commands.isEmpty());
        QCOMPARE(field->text(), QStringLiteral("A0"));
        QCOMPARE(static_cast<CountingTone&>(*window.Beeper).Beeps(), 1);  // the green flash

        window.close();
        QVERIFY(bench.WaitForWorkersToEnd());

        // Read once no worker drives the unit: it was asked for constant "0", stepped up to the target,
        // and got the closing command last.
        const std::vector<uint8_t> received = unit.Received();
        QVERIFY(std::find(received.begin(), received.end(), uint8_t{'0'}) != received.end());
        QVERIFY2(std::count(received.begin(), received.end(), uint8_t{'+'}) >= 4,
                 "9C to A0 takes four steps up");
        QCOMPARE(received.back(), uint8_t{'R'});
    }

  private:
    QTemporaryDir Scratch;
};

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
