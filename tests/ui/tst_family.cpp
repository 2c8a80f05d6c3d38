// The window as the set-up routine leaves it for each family and model-flag path, checked right after the
// connect routine returns (before the first display refresh), one table row per simulated preset.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

#include "tests/ui/ConnectBench.h"
#include "ui/StatusBar.h"
#include "ui/pages/GeneralInfoPanel.h"

using namespace kelvane;
using namespace kelvane::testing;

namespace {

QWidget* Control(TForm1& window, const QString& name) {
    QWidget* control = window.findChild<QWidget*>(name);
    if (control == nullptr) qFatal("no control %s", qPrintable(name));
    return control;
}

// A control's own state, whatever its page or group says.
bool OwnEnabled(QWidget* control) {
    return !control->testAttribute(Qt::WA_ForceDisabled);
}
bool OwnShown(QWidget* control) {
    return !control->isHidden();
}

bool TabShown(TForm1& window, const QString& page) {
    return window.PageControl1->isTabVisible(window.PageControl1->indexOf(Control(window, page)));
}

QString TextOf(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
    return QStringLiteral("<no text>");
}

QStringList Pages(std::initializer_list<int> numbers) {
    QStringList pages;
    for (int number : numbers) pages << QStringLiteral("TabSheet%1").arg(number);
    return pages;
}

}  // namespace

class FamilyTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(Scratch.isValid());
        ConnectBench::UseScratchOptions(Scratch);
    }
    void setUpPerPreset_data();
    void setUpPerPreset();
    void monitorOnlyUnitAnnouncesItself();
    void smallerRackTowerUnitsHideTheChargerFields();
    void reconnectingToAnotherFamilyKeepsWhatItsBlockLeavesAlone();
    void anUnidentifiedFamilyGetsNoBlockButTheGate();

  private:
    QTemporaryDir Scratch;
};

void FamilyTest::setUpPerPreset_data() {
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("activePage");
    QTest::addColumn<QStringList>("tabsShown");
    QTest::addColumn<QStringList>("tabsHidden");
    QTest::addColumn<QStringList>("on");
    QTest::addColumn<QStringList>("off");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    QTest::addColumn<QStringList>("texts");  // control=text; an empty text for an emptied field

    const QStringList smartStepButtons = {"BatteryVoltageMinus", "BatteryVoltagePlus", "InputVoltagePlus",
                                          "InputVoltageMinus", "InputVoltageConstantSmart"};
    QTest::newRow("smart") << "smart"
                           << "TabSheet1" << Pages({1, 5, 7, 9}) << Pages({2, 3, 4, 8})
                           << QStringList{"Leds",         "Test",         "BatSysVolt",
                                          "Temperature",  "BatteryPacks", "ManufactureDate",
                                          "SerialNumber", "ID",           "GroupBox1",
                                          "GroupBox5",    "GroupBox21",   "GroupBox7",
                                          "Panel4",       "ResetAll",     "LineFrequency",
                                          "Graphics"}
                           << QStringList{"ByPass", "CompareEE"}
                           << QStringList{"Firmware", "ModelConst", "GroupBox1"} + smartStepButtons
                           << QStringList{"Label5",  "SU36G",   "Const_3",   "Const_4",
                                          "Const_5", "Const_6", "ConstCTRLD"}
                           << QStringList{"Model=Smart 1400", "SerialNumber=KV0527310642XB"};
    QTest::newRow("third generation")
        << "smart-3g"
        << "TabSheet1" << Pages({1, 5, 7, 8, 9}) << Pages({2, 3, 4}) << QStringList{"Leds", "Test"}
        << QStringList{"ByPass"} << QStringList{"Label5", "SU36G", "Const_4", "Const_5", "Const_6"}
        << QStringList{"Firmware", "Const_3"} << QStringList{"SU36G=652", "SU36GLabel=.12.I"};
    QTest::newRow("rack tower") << "surt"
                                << "TabSheet1" << Pages({1, 4, 5, 7, 8, 9}) << Pages({2, 3})
                                << QStringList{"ByPass", "GroupBox28", "TabSheet4"} << QStringList{}
                                << QStringList{"RTplusBatVoltage", "RTminusBatVoltage",
                                               "FirstRTplusBatVoltageButton", "SecondRTminusBatVoltageButton",
                                               "Const_5"}
                                << QStringList{"Const_4", "Const_6"} << QStringList{"Label19=", "Label22="};
    QTest::newRow("SC") << "smart-sc"
                        << "TabSheet1" << Pages({1, 5, 7, 9}) << Pages({2, 3, 4, 8}) << QStringList{}
                        << QStringList{"BatteryPacks"} << QStringList{"Const_3"}
                        << QStringList{"BatteryPacksMinus", "BatteryPacksPlus"} + smartStepButtons
                        << QStringList{"BatteryPacks="};
    QTest::newRow("small") << "smart-small"
                           << "TabSheet1" << Pages({1, 5, 7, 8, 9}) << Pages({2, 3, 4}) << QStringList{}
                           << QStringList{"Temperature", "Label4", "BatteryPacks", "BatteryPacksMinus",
                                          "BatteryPacksPlus"}
                           << QStringList{} << QStringList{} << QStringList{"Temperature=", "BatteryPacks="};
    QTest::newRow("no serial number")
        << "no-serial"
        << "TabSheet1" << Pages({1, 7, 9}) << Pages({2, 3, 4, 5, 8}) << QStringList{"LineFrequency", "Label1"}
        << QStringList{"Graphics",   "SerialNumber", "ManufactureDate",     "ID",       "Temperature",
                       "BatSysVolt", "BatteryPacks", "ShutDownDelayChange", "ResetAll", "SelfTest"}
        << QStringList{"Firmware", "ModelConst"}
        << QStringList{"GroupBox1", "GroupBox4", "GroupBox8", "GroupBox14", "Label5", "SU36G"}
        << QStringList{"Graphics=Input & Output", "Model=Smart 700", "BatSysVolt=", "Temperature="};
    QTest::newRow("Back-PRO") << "back-pro"
                              << "TabSheet2" << Pages({2, 7, 9}) << Pages({1, 3, 4, 5, 8})
                              << QStringList{"Leds",  "ModelMinus", "ModelPlus",    "SerialNumber",
                                             "Ratio", "RatioMinus", "DCOffsetPlus", "GroupBox22"}
                              << QStringList{"Test", "ByPass",      "Graphics",      "ManufactureDate",
                                             "ID",   "Temperature", "LineFrequency", "BatSysVolt"}
                              << QStringList{"Firmware"} << QStringList{"Label5", "SU36G"}
                              << QStringList{"Model=Back-PRO 650", "SerialNumber=BP0812004511",
                                             "Graphics=Input & Output"};
    QTest::newRow("Back-PRO, four digits")
        << "back-pro-1500"
        << "TabSheet2" << Pages({2, 7, 9}) << Pages({1, 3, 4, 5, 8}) << QStringList{"Leds"}
        << QStringList{"Ratio",    "EUTVoltage", "FloatBackPro", "CapasitorLoad",
                       "DCOffset", "RatioMinus", "DCOffsetPlus"}
        << QStringList{} << QStringList{} << QStringList{"Ratio=", "EUTVoltage=", "DCOffset="};
    QTest::newRow("2nd generation, variant 0")
        << "second-gen"
        << "TabSheet3" << Pages({3, 5, 7, 9}) << Pages({1, 2, 4, 8})
        << QStringList{"Temperature", "Leds", "Test"} << QStringList{"Const02nd",
                                                                     "SerialNumber",
                                                                     "ManufactureDate",
                                                                     "BatteriesReplaseDate",
                                                                     "ID",
                                                                     "UpVoltageChange2nd",
                                                                     "ResetAll",
                                                                     "ModelMinus",
                                                                     "BatSysVolt",
                                                                     "ByPass",
                                                                     "Load2ndMinus"}
        << QStringList{"Firmware"}
        << QStringList{"BatSmart2nd", "LoadSmart2nd", "InputVoltageConstantSmart2nd"}
        << QStringList{"SerialNumber=GS043122", "ID=UPS_IDEN"};
    QTest::newRow("2nd generation, variant 1")
        << "second-gen-legacy1"
        << "TabSheet3" << Pages({3, 5, 7, 9}) << Pages({1, 2, 4, 8})
        << QStringList{"BatteriesReplaseDate", "ID", "UpVoltageChange2nd", "ResetAll", "LowBatWarning"}
        << QStringList{"Const02nd", "SerialNumber", "ManufactureDate", "ModelConst"} << QStringList{}
        << QStringList{"BatSmart2nd"} << QStringList{};
    QTest::newRow("2nd generation, variant 2")
        << "second-gen-legacy2"
        << "TabSheet3" << Pages({3, 5, 7, 9}) << Pages({1, 2, 4, 8})
        << QStringList{"Const02nd", "ModelConst", "SerialNumber", "ManufactureDate", "BatteriesReplaseDate",
                       "ID",        "ResetAll",   "Bat2ndMinus"}
        << QStringList{} << QStringList{"BatSmart2nd", "LoadSmart2nd", "InputVoltageConstantSmart2nd"}
        << QStringList{} << QStringList{};
    QTest::newRow("monitor only") << "monitor-only"
                                  << "TabSheet1" << Pages({1, 5, 7}) << Pages({2, 3, 4, 8, 9})
                                  << QStringList{"GroupBox21", "Panel4"}
                                  << QStringList{"GroupBox1", "GroupBox4", "GroupBox5", "GroupBox7"}
                                  << QStringList{} << QStringList{"BatteryVoltageMinus", "BatteryVoltagePlus"}
                                  << QStringList{};
}

void FamilyTest::setUpPerPreset() {
    QFETCH(QString, preset);
    QFETCH(QString, activePage);
    QFETCH(QStringList, tabsShown);
    QFETCH(QStringList, tabsHidden);
    QFETCH(QStringList, on);
    QFETCH(QStringList, off);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    QFETCH(QStringList, texts);

    ConnectBench bench;
    bench.Plug(preset.toStdString());
    TForm1& window = bench.OpenWindow();
    bench.Choose(QStringLiteral("COM1"));
    QVERIFY(window.UnitIdentified.load());

    QVERIFY(!window.PageControl1->isHidden());
    QVERIFY(OwnEnabled(window.PageControl1));
    QVERIFY(!window.GroupBox7->isHidden());
    QCOMPARE(window.PageControl1->currentWidget()->objectName(), activePage);
    for (const QString& page : tabsShown) QVERIFY2(TabShown(window, page), qPrintable(page));
    for (const QString& page : tabsHidden) QVERIFY2(!TabShown(window, page), qPrintable(page));
    QVERIFY(TabShown(window, QStringLiteral("TabSheet6")));  // never touched
    for (const QString& name : on) QVERIFY2(OwnEnabled(Control(window, name)), qPrintable(name + " on"));
    for (const QString& name : off) QVERIFY2(!OwnEnabled(Control(window, name)), qPrintable(name + " off"));
    for (const QString& name : shown) QVERIFY2(OwnShown(Control(window, name)), qPrintable(name + " shown"));
    for (const QString& name : hidden)
        QVERIFY2(!OwnShown(Control(window, name)), qPrintable(name + " hidden"));
    for (const QString& entry : texts) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        QCOMPARE(TextOf(Control(window, name)), entry.section(QLatin1Char('='), 1));
    }
}

void FamilyTest::monitorOnlyUnitAnnouncesItself() {
    ConnectBench bench;
    bench.Plug("monitor-only");
    TForm1& window = bench.OpenWindow();
    bench.Choose(QStringLiteral("COM1"));
    const QString notice = QStringLiteral("Option Slot NOT Empty! Monitor Mode ONLY!");
    QCOMPARE(window.StatusBar1->PanelText(0), notice);
    QCOMPARE(window.findChild<QTextEdit*>(QStringLiteral("UPSMessage"))->toPlainText(),
             notice + QLatin1Char('\n'));
}

void FamilyTest::smallerRackTowerUnitsHideTheChargerFields() {
    ConnectBench bench;
    sim::SimUnit& unit = bench.Plug("surt");
    QVERIFY(unit.OverrideAnswer("^A", "Smart RT 2000 XL"));
    TForm1& window = bench.OpenWindow();
    bench.Choose(QStringLiteral("COM1"));
    QVERIFY(TabShown(window, QStringLiteral("TabSheet4")));
    for (const char* name :
         {"RTminusBatVoltage", "RTplusBatVoltage", "FirstRTminusBatVoltageButton",
          "FirstRTplusBatVoltageButton", "SecondRTminusBatVoltageButton", "SecondRTplusBatVoltageButton"})
        QVERIFY2(!OwnShown(Control(window, QString::fromLatin1(name))), name);
    QVERIFY(OwnShown(Control(window, QStringLiteral("RTplus400BatVoltage"))));  // not the set-up's business
}

void FamilyTest::reconnectingToAnotherFamilyKeepsWhatItsBlockLeavesAlone() {
    ConnectBench bench;
    sim::SimUnit& smart = bench.Plug("smart", "COM1");
    bench.Plug("back-pro", "COM2");
    TForm1& window = bench.OpenWindow();
    bench.Choose(QStringLiteral("COM1"));
    const QString const0 = TextOf(Control(window, QStringLiteral("Const0")));
    QVERIFY(!const0.isEmpty());
    smart.SetMuteAfter(0);
    QVERIFY(bench.WaitForWorkersToEnd());

    bench.Choose(QStringLiteral("COM2"));
    QCOMPARE(window.PageControl1->currentWidget()->objectName(), QStringLiteral("TabSheet2"));
    QVERIFY(!TabShown(window, QStringLiteral("TabSheet1")));
    QVERIFY(!TabShown(window, QStringLiteral("TabSheet5")));
    QCOMPARE(TextOf(Control(window, QStringLiteral("Const0"))), const0);
}

void FamilyTest::anUnidentifiedFamilyGetsNoBlockButTheGate() {
    ConnectBench bench;
    sim::SimUnit& unit = bench.Plug("back-pro");
    QVERIFY(unit.OverrideAnswer("P", "NA"));
    TForm1& window = bench.OpenWindow();
    bench.Choose(QStringLiteral("COM1"));
    QCOMPARE(window.Ups->Family, FamilyUnidentified);
    QVERIFY(window.UnitIdentified.load());
    QVERIFY(!OwnShown(Control(window, QStringLiteral("ModelConst"))));
    QVERIFY(!TabShown(window, QStringLiteral("TabSheet9")));
    QVERIFY(OwnEnabled(Control(window, QStringLiteral("GroupBox5"))));
    QVERIFY(window.PageControl1->isHidden());  // as it was
}

QTEST_MAIN(FamilyTest)
#include "tst_family.moc"
