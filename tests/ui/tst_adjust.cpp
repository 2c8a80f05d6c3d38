// The connect-time automatic adjustments of the Options menu: the battery-constant table and the next
// model code as pure functions, then the self-test switch-off, the hex-code detection and the battery-
// constant fix on windows connected to simulated units.
#include <QAction>
#include <QLineEdit>
#include <QtTest>
#include <mutex>
#include <string>
#include <vector>

#include "sim/Presets.h"
#include "tests/ui/ConnectBench.h"
#include "ui/ConnectAdjustments.h"
#include "ui/StatusBar.h"

using namespace kelvane;
using namespace kelvane::testing;

namespace {

const QString Connected = QStringLiteral("Connection to UPS established.");
const QString NotOff = QString::fromLatin1(SelfTestNotOffMessage.data());

QString FieldText(TForm1& window, const char* name) {
    auto* field = window.findChild<QLineEdit*>(QString::fromLatin1(name));
    return field != nullptr ? field->text() : QStringLiteral("<missing>");
}

// How often the bytes follow each other in what the unit received.
int CountOf(const std::vector<uint8_t>& received, const std::string& bytes) {
    int count = 0;
    for (std::size_t at = 0; at + bytes.size() <= received.size(); ++at) {
        if (std::equal(bytes.begin(), bytes.end(), received.begin() + static_cast<std::ptrdiff_t>(at)))
            ++count;
    }
    return count;
}

std::string SelfTestInterval(const sim::SimUnit& unit) {
    const sim::Item* interval = unit.Find('E');
    return interval != nullptr ? interval->Choices[interval->Choice] : std::string();
}

// The three Options items; the options file keeps them from one window to the next, so every test sets
// all three.
struct Adjustments {
    bool SelfTestOff = false;
    bool HexCode = false;
    bool BatteryConstant = false;
};

TForm1& OpenWith(ConnectBench& bench, Adjustments adjustments) {
    TForm1& window = bench.OpenWindow();
    window.SelfTestON1->setChecked(adjustments.SelfTestOff);
    window.HexCodeON->setChecked(adjustments.HexCode);
    window.AUTO1->setChecked(adjustments.BatteryConstant);
    return window;
}

// The codes the worker was handed, instead of carrying them out.
struct DispatchedCodes {
    void Attach(TForm1& window) {
        window.Dispatch = [this](char code, char) {
            const std::lock_guard<std::mutex> lock(Mutex);
            Codes += code;
        };
    }
    std::string Taken() {
        const std::lock_guard<std::mutex> lock(Mutex);
        return Codes;
    }
    std::mutex Mutex;
    std::string Codes;
};

}  // namespace

class AdjustTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(Scratch.isValid());
        ConnectBench::UseScratchOptions(Scratch);
    }

    void batteryConstantTable_data() {
        QTest::addColumn<int>("rating");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("sku");
        QTest::addColumn<int>("value");
        const struct {
            int Rating;
            const char* Flags;
            const char* Sku;
            int Value;
        } rows[] = {
            {450, "stack", "", 0x99},
            {250, "stack", "", 0xB2},
            {1000, "stack", "", 0xA0},
            {700, "stack hl", "", 0xA0},  // the stack table alone counts
            {700, "hl", "", 0x92},
            {1000, "hl", "", 0xC7},
            {1400, "hl", "", 0xA3},  // not the plain 1400 entry's 0x9A
            {1400, "", "", 0x9A},
            {450, "", "", 0x96},
            {700, "", "", 0x96},
            {1000, "", "", 0xA0},
            {1000, "xl", "", 0x9A},
            {1000, "sc", "", 0x94},
            {1000, "3g", "", 0xBC},
            {1000, "3g xl", "", 0x7F},  // later entries win
            {1000, "3g xl surt", "", 0xA8},
            {750, "3g xl", "", 0x86},
            {750, "xl", "", 0x82},
            {1500, "sc", "", 0x8F},
            {1500, "", "", 0xA1},
            {2000, "surt xl", "", 0x75},
            {2000, "surt", "", 0xA0},
            {3000, "surt", "", 0xCC},
            {3000, "3g", "", 0x70},
            {3000, "", "", 0xA0},
            {5000, "surt xl", "", 0x86},
            {5000, "surt", "", 0xA0},
            {5000, "", "", 0x91},
            {6000, "surt xl", "", 0x7E},
            {7500, "surt xl", "", 0x95},
            {10000, "surt xl", "", 0xAB},
            {2200, "3g", "665", 0x81},
            {2200, "3g", "654", 0xB3},
            {2200, "3g", "652", 0xA0},
            {2200, "", "665", 0xAF},
            {620, "sc", "", 0x99},
            {620, "", "", 0x8A},
            {280, "", "", 0x8C},
            {420, "", "", 0x8C},
            {650, "", "", 0x91},
            {0, "", "", 0xA0},
        };
        for (const auto& row : rows) {
            QTest::addRow("%d %s %s", row.Rating, row.Flags, row.Sku)
                << row.Rating << QString::fromLatin1(row.Flags) << QString::fromLatin1(row.Sku) << row.Value;
        }
    }

    void batteryConstantTable() {
        QFETCH(int, rating);
        QFETCH(QString, flags);
        QFETCH(QString, sku);
        QFETCH(int, value);
        const QStringList set = flags.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const std::string skuCode = sku.toStdString();
        BatteryConstantInputs unit;
        unit.Rating = static_cast<uint16_t>(rating);
        unit.StackModel = set.contains(QStringLiteral("stack"));
        unit.HlVariant = set.contains(QStringLiteral("hl"));
        unit.XlModel = set.contains(QStringLiteral("xl"));
        unit.ThirdGen = set.contains(QStringLiteral("3g"));
        unit.ScModel = set.contains(QStringLiteral("sc"));
        unit.SurtModel = set.contains(QStringLiteral("surt"));
        unit.SkuCode = skuCode;
        QCOMPARE(static_cast<int>(BatteryConstantFor(unit)), value);
    }

    void nextModelCode() {
        const struct {
            const char* Code;
            const char* Next;  // null: no code to step toward
        } rows[] = {{"4A", "4b"},    {"49", "4a"},  {"FF", "00"},   {"0E", "0f"},     {"0e", "0f"},
                    {"NA", nullptr}, {"", nullptr}, {"4", nullptr}, {"4AB", nullptr}, {"G1", nullptr}};
        for (const auto& row : rows) {
            const std::optional<std::string> next = NextModelCode2nd(row.Code);
            QVERIFY2(next.has_value() == (row.Next != nullptr), row.Code);
            if (next) QCOMPARE(*next, std::string(row.Next));
        }
    }

    // --- The self-test switch-off ----------------------------------------------------------------------

    void switchOffSendsNothingToAUnitAlreadyOff() {
        ConnectBench bench;
        sim::SimUnit& unit = bench.Plug("smart");
        // Into the programming mode, then the interval stepped round to "OFF".
        for (uint8_t byte : {'1', '1', 'E', '-', '-', '-'}) unit.OnByte(byte);
        QCOMPARE(SelfTestInterval(unit), std::string("OFF"));
        TForm1& window = OpenWith(bench, {.SelfTestOff = true});
        bench.Choose(QStringLiteral("COM1"));
        QCOMPARE(window.StatusBar1->PanelText(0), Connected);
        window.close();
        QVERIFY(bench.WaitForWorkersToEnd());
        QCOMPARE(CountOf(unit.Received(), "E-"), 1);  // the one stepping it by hand above
    }

    void switchOffOnASecondGenerationUnitStoresItAndSetsUpAgain() {
        ConnectBench bench;
        sim::SimUnit& unit = bench.Plug("second-gen-legacy2");  // interval 336; "H" moves the code from 49
        TForm1& window = OpenWith(bench, {.SelfTestOff = true, .HexCode = true});
        bench.Choose(QStringLiteral("COM1"));
        QCOMPARE(window.StatusBar1->PanelText(0), Connected);
        // The outer set-up showed the code the unit answered in its family set-up; the field must still
        // hold the target of the change the inner one queued.
        QCOMPARE(FieldText(window, "ModelConst"), QStringLiteral("4B"));
        QVERIFY(bench.RunCycles(2));
        window.close();
        QVERIFY(bench.WaitForWorkersToEnd());

        const std::vector<uint8_t>& received = unit.Received();
        QCOMPARE(SelfTestInterval(unit), std::string("OFF"));
        QCOMPARE(CountOf(received, "E-"), 3);  // 336, 168, ON, OFF
        QCOMPARE(CountOf(received, "ZZ"), 1);
        QVERIFY(bench.PausedFor(1500));
        // The set-up after the pair identifies the unit again: a second programming-mode entry.
        const auto pair =
            std::search(received.begin(), received.end(), std::begin("ZZ"), std::begin("ZZ") + 2);
        QVERIFY(CountOf(std::vector<uint8_t>(pair, received.end()), "11") >= 1);
        // Only the inner set-up detects the code (one "H", 4A), and the queued change takes one more step.
        QCOMPARE(CountOf(received, "H"), 2);
        QCOMPARE(static_cast<int>(unit.Eeprom()[sim::eeprom::kModelCode]), 0x4B);
    }

    void switchOffEndsOnAUnitAnsweringNA() {
        for (const char* preset : {"smart", "second-gen"}) {
            ConnectBench bench;
            sim::SimUnit& unit = bench.Plug(preset);
            QVERIFY(unit.OverrideAnswer("E", "NA"));
            TForm1& window = OpenWith(bench, {.SelfTestOff = true});
            bench.Choose(QStringLiteral("COM1"));
            QVERIFY2(window.Poller != nullptr, preset);
            QCOMPARE(window.StatusBar1->PanelText(0), NotOff);
            window.close();
            QVERIFY(bench.WaitForWorkersToEnd());
            // One step shows the list has no "OFF"; the 2nd generation stores and sets up again once.
            const bool secondGen = std::string(preset) == "second-gen";
            QCOMPARE(CountOf(unit.Received(), "E-"), secondGen ? 2 : 1);
            QCOMPARE(CountOf(unit.Received(), "ZZ"), secondGen ? 1 : 0);
        }
    }

    // Nothing to switch off is no failure: the unit is sent nothing and the status bar stays as it was.
    void switchOffSaysNothingToAUnitWithoutStoredSettings() {
        ConnectBench bench;
        sim::SimUnit& unit = bench.Plug("back-pro");
        QVERIFY(unit.OverrideAnswer("P", "NA"));  // no family recognised
        TForm1& window = OpenWith(bench, {.SelfTestOff = true});
        bench.Choose(QStringLiteral("COM1"));
        QCOMPARE(window.Ups->Family, FamilyUnidentified);
        QCOMPARE(window.StatusBar1->PanelText(0), Connected);
        window.close();
        QVERIFY(bench.WaitForWorkersToEnd());
        QCOMPARE(CountOf(unit.Received(), "E"), 0);
    }

    void switchOffNeverRunsOnABackProUnit() {
        ConnectBench bench;
        bench.Plug("back-pro");
        TForm1& window = OpenWith(bench, {.SelfTestOff = true});
        bench.Choose(QStringLiteral("COM1"));
        QCOMPARE(window.StatusBar1->PanelText(0), Connected);
    }

    // --- The hex-code detection ------------------------------------------------------------------------

    void hexCodeDetection_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("answer");  // the unit's fixed answer to "H"; empty: its own
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("queued");
        QTest::newRow("4A") << "second-gen-legacy2"
                            << "4A"
                            << "4B"
                            << "t";
        QTest::newRow("FF wraps") << "second-gen-legacy2"
                                  << "FF"
                                  << "00"
                                  << "t";
        QTest::newRow("0E, two digits") << "second-gen-legacy2"
                                        << "0E"
                                        << "0F"
                                        << "t";
        QTest::newRow("NA") << "second-gen-legacy2"
                            << "NA"
                            << ""
                            << "";
        QTest::newRow("other variant") << "second-gen"
                                       << "4A"
                                       << ""
                                       << "";
        QTest::newRow("Smart reads its code") << "smart"
                                              << ""
                                              << "84"
                                              << "";
    }

    void hexCodeDetection() {
        QFETCH(QString, preset);
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        QFETCH(QString, queued);
        ConnectBench bench;
        sim::SimUnit& unit = bench.Plug(preset.toStdString());
        if (!answer.isEmpty()) QVERIFY(unit.OverrideAnswer("H", answer.toStdString()));
        TForm1& window = OpenWith(bench, {.HexCode = true});
        DispatchedCodes dispatched;
        dispatched.Attach(window);
        bench.Choose(QStringLiteral("COM1"));
        QVERIFY(bench.RunCycles(1));
        QCOMPARE(FieldText(window, "ModelConst"), shown);
        QCOMPARE(QString::fromStdString(dispatched.Taken()), queued);
    }

    // --- The battery-constant fix ----------------------------------------------------------------------

    void batteryConstantFixDrivesConstantZeroOfASmartUnit() {
        ConnectBench bench;
        sim::SimUnit& unit = bench.Plug("smart");  // 1400 VA: 9A; constant "0" stands at 9C
        TForm1& window = OpenWith(bench, {.BatteryConstant = true});
        bench.Choose(QStringLiteral("COM1"));
        QCOMPARE(std::string(window.ConstBuffer.data()), std::string("9a"));
        QVERIFY(bench.RunCycles(2));
        QCOMPARE(FieldText(window, "Const0"), QStringLiteral("9A"));
        window.close();
        QVERIFY(bench.WaitForWorkersToEnd());
        QCOMPARE(static_cast<int>(unit.Eeprom()[sim::eeprom::kConst0]), 0x9A);
    }

  private:
    QTemporaryDir Scratch;
};

QTEST_MAIN(AdjustTest)
#include "tst_adjust.moc"
