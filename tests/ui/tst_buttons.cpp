// The adjustment and action buttons on the real window: what each click queues, the B.B.D. direction by
// the unit's rating, and the EEPROM page's buffer tabs.
#include <QAbstractButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "ui/TForm1.h"

using namespace kelvane;

namespace {

// The queue's entries as code and argument pairs ("2+2-"), emptying it.
QString Drain(Queue& queue) {
    QString entries;
    while (const auto command = queue.front()) {
        entries += QLatin1Char(command->Code);
        entries += QLatin1Char(command->Argument);
        queue.pop();
    }
    return entries;
}

}  // namespace

class ButtonsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void clickQueuesItsCommand_data();
    void clickQueuesItsCommand();
    void everyClickQueuesOneMoreInClickOrder();
    void bbdDirectionFollowsTheRating_data();
    void bbdDirectionFollowsTheRating();
    void bufferTabsSetTheOffsetAndTheOfferedAction();

  private:
    void Click(const QString& name) {
        auto* button = Window->findChild<QAbstractButton*>(name);
        QVERIFY2(button, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void ChooseTab(QTabWidget* tabs, int index) {
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }

    QTemporaryDir Scratch;
    std::unique_ptr<TForm1> Window;
};

void ButtonsTest::initTestCase() {
    QVERIFY(Scratch.isValid());
    qputenv("KELVANE_CONFIG", Scratch.filePath("Kelvane.conf").toLocal8Bit());
}

void ButtonsTest::init() {
    Window = std::make_unique<TForm1>();
    // The window starts disconnected with every unit control disabled.
    for (QWidget* control : Window->findChildren<QWidget*>()) control->setEnabled(true);
    Window->Snapshot.RatedPower = 1400.0f;
    Window->Snapshot.RatedDigits = 4;
}

void ButtonsTest::cleanup() {
    Window.reset();
}

void ButtonsTest::clickQueuesItsCommand_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("queued");
    const struct {
        const char* Button;
        const char* Queued;
    } rows[] = {
        {"ModelMinus", "1-"},
        {"ModelPlus", "1+"},
        {"LoadMinus", "2-"},
        {"LoadPlus", "2+"},
        {"InputVoltageMinus", "3-"},
        {"InputVoltagePlus", "3+"},
        {"BatteryVoltageMinus", "4-"},
        {"BatteryVoltagePlus", "4+"},
        {"BatteryPacksMinus", "5-"},
        {"BatteryPacksPlus", "5+"},
        {"Load2ndMinus", "6-"},
        {"InputVoltage2ndMinus", "7-"},
        {"Bat2ndMinus", "R-"},
        {"LoadBackProMinus", "f-"},
        {"LoadBackProPlus", "f+"},
        {"InputVoltageBackProMinus", "g-"},
        {"InputVoltageBackProPlus", "g+"},
        {"RatioMinus", "A-"},
        {"RatioPlus", "A+"},
        {"EUTVoltageMinus", "C-"},
        {"EUTVoltagePlus", "C+"},
        {"BatteryVoltageBackProMinus", "D-"},
        {"BatteryVoltageBackProPlus", "D+"},
        {"FloatBackProMinus", "E+"},
        {"FloatBackProPlus", "E-"},
        {"DCOffsetMinus", "F-"},
        {"DCOffsetPlus", "F+"},
        {"CapasitorLoadMinus", "G-"},
        {"CapasitorLoadPlus", "G+"},
        {"FirstRTminusBatVoltageButton", "#-"},
        {"FirstRTplusBatVoltageButton", "#+"},
        {"SecondRTminusBatVoltageButton", "$-"},
        {"SecondRTplusBatVoltageButton", "$+"},
        {"FirstRTminusBat400VoltageButton", "%-"},
        {"FirstRTplusBat400VoltageButton", "%+"},
        {"SecondRTminusBat400VoltageButton", "^-"},
        {"SecondRTplusBat400VoltageButton", "^+"},
        {"UpVoltageConstChange", "8-"},
        {"LowVoltageConstChange", "9-"},
        {"OutVoltageConstChange", "a-"},
        {"UpVoltageChange2nd", "b-"},
        {"LowVoltageChange2nd", "c-"},
        {"OutVoltageChange2nd", "d-"},
        {"LowBatWarningChange", "S-"},
        {"ShutDownDelayChange", "u-"},
        {"WakeUpDelayChange", "v-"},
        {"SelfTestChange", "w-"},
        {"ThresholdChange", "M-"},
        {"SensitivityChange", "x-"},
        {"AlarmDelayChange", "y-"},
        {"ResetAll", "Nz"},
        {"Leds", "z-"},
        {"Test", "P-"},
        {"ByPass", "~-"},
        {"Button1", "T-"},
        {"ReadEE", "W-"},
        {"SaveEE", "X-"},
        {"CompareEE", "Y-"},
        {"Button3", ""},
    };
    for (const auto& row : rows) QTest::newRow(row.Button) << row.Button << row.Queued;
}

void ButtonsTest::clickQueuesItsCommand() {
    QFETCH(QString, button);
    QFETCH(QString, queued);
    Click(button);
    QCOMPARE(Drain(Window->Commands), queued);
}

void ButtonsTest::everyClickQueuesOneMoreInClickOrder() {
    Click("LoadPlus");
    Click("LoadPlus");
    Click("LoadPlus");
    QCOMPARE(Drain(Window->Commands), QStringLiteral("2+2+2+"));

    Click("LoadPlus");
    Click("LoadMinus");
    Click("ReadEE");
    Click("LoadPlus");
    QCOMPARE(Drain(Window->Commands), QStringLiteral("2+2-W-2+"));
}

void ButtonsTest::bbdDirectionFollowsTheRating_data() {
    QTest::addColumn<float>("rating");
    QTest::addColumn<short>("digits");
    QTest::addColumn<QString>("minusThenPlus");
    QTest::newRow("1400 VA") << 1400.0f << short(4) << "B-B+";
    QTest::newRow("650 VA") << 650.0f << short(3) << "B+B-";
    QTest::newRow("rating unknown") << 0.0f << short(0) << "B+B-";
    QTest::newRow("10000 VA") << 10000.0f << short(5) << "B+B-";
}

void ButtonsTest::bbdDirectionFollowsTheRating() {
    QFETCH(float, rating);
    QFETCH(short, digits);
    QFETCH(QString, minusThenPlus);
    Window->Snapshot.RatedPower = rating;
    Window->Snapshot.RatedDigits = digits;
    Click("BBDVoltageMinus");
    Click("BBDVoltagePlus");
    QCOMPARE(Drain(Window->Commands), minusThenPlus);
}

void ButtonsTest::bufferTabsSetTheOffsetAndTheOfferedAction() {
    auto* tabs = Window->findChild<QTabWidget*>(QStringLiteral("PageControl2"));
    auto* read = Window->findChild<QAbstractButton*>(QStringLiteral("ReadEE"));
    auto* compare = Window->findChild<QAbstractButton*>(QStringLiteral("CompareEE"));
    QVERIFY(tabs && read && compare);
    Window->PageControl1->setCurrentWidget(Window->findChild<QWidget*>(QStringLiteral("TabSheet8")));

    const struct {
        int Tab;
        int Tag;
        bool Reading;
    } steps[] = {{1, 256, true}, {2, 256, false}, {0, 0, true}, {2, 0, false}, {1, 256, true}};
    for (const auto& step : steps) {
        ChooseTab(tabs, step.Tab);
        QCOMPARE(tabs->currentIndex(), step.Tab);
        QCOMPARE(tabs->property("Tag").toInt(), step.Tag);
        QCOMPARE(read->isEnabled(), step.Reading);
        QCOMPARE(compare->isEnabled(), !step.Reading);
    }

    // Saving from "Compare" leaves the last buffer's offset in place for the worker.
    ChooseTab(tabs, 2);
    Click("SaveEE");
    QCOMPARE(Drain(Window->Commands), QStringLiteral("X-"));
    QCOMPARE(tabs->property("Tag").toInt(), 256);
    QVERIFY(!read->isEnabled());
}

QTEST_MAIN(ButtonsTest)
#include "tst_buttons.moc"
