// The chart selection of the Graphics page: which chart gets a fresh grid, how the page reads for each
// selection, the two tags, and that only the user's own changes of the selection box lay the page out.
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "controls/Performancegraph.h"
#include "ui/pages/GraphicsPage.h"

using kelvane::GraphicsPage;
using kelvane::KPerformanceGraph;

namespace {

const QString kInputVoltage = QStringLiteral("253v@27 220v@43 188v@58 160v@73 | 32 47 62 78");
const QString kRunTime = QStringLiteral("45m@19 25m@77 10m@126  3m@145 | 24 81 130 150");
const QString kBatteryCharge = QStringLiteral("75%@34 50%@76 35%@98 25%@114 | 40 79 104 119");
const QString kOutputVoltage = QStringLiteral("253v@27 220v@42 188v@57 160v@72 | 31 45 61 77");

struct Page {
    GraphicsPage page;
    QComboBox* box = page.findChild<QComboBox*>(QStringLiteral("Graphics"));
    QGroupBox* upperGroup = page.findChild<QGroupBox*>(QStringLiteral("GroupBox26"));
    QGroupBox* lowerGroup = page.findChild<QGroupBox*>(QStringLiteral("GroupBox27"));
    KPerformanceGraph* upper = page.findChild<KPerformanceGraph*>(QStringLiteral("KPerformanceGraph1"));
    KPerformanceGraph* lower = page.findChild<KPerformanceGraph*>(QStringLiteral("KPerformanceGraph2"));

    // As start-up leaves it: the index and both tags set, nothing laid out; then both charts running.
    void startAt(int selection) {
        box->setCurrentIndex(selection >= 0 && selection < box->count() ? selection : -1);
        box->setProperty("Tag", selection);
        upperGroup->setProperty("Tag", selection);
        feedBoth();
    }
    void feedBoth() {
        upper->UpdateData(60);
        lower->UpdateData(60);
    }
    // A chart that was given a fresh grid waits for its first point again.
    bool upperRedrawn() const { return upper->firstPoint(); }
    bool lowerRedrawn() const { return lower->firstPoint(); }
    int plotted() const { return upperGroup->property("Tag").toInt(); }
    int laidOutFor() const { return box->property("Tag").toInt(); }

    QString legend(const char* const (&labels)[4], const char* const (&ticks)[4]) const {
        QStringList marks, tops;
        for (const char* name : labels) {
            const auto* label = page.findChild<QLabel*>(QString::fromLatin1(name));
            marks << QStringLiteral("%1@%2").arg(label->text()).arg(label->y());
        }
        for (const char* name : ticks)
            tops << QString::number(page.findChild<QFrame*>(QString::fromLatin1(name))->y());
        return marks.join(QLatin1Char(' ')) + QStringLiteral(" | ") + tops.join(QLatin1Char(' '));
    }
    QString upperLegend() const {
        return legend({"Label7", "Label3", "Label8", "Label12"}, {"Bevel2", "Bevel3", "Bevel4", "Bevel8"});
    }
    QString lowerLegend() const {
        return legend({"Label9", "Label10", "Label11", "Label13"}, {"Bevel5", "Bevel6", "Bevel7", "Bevel9"});
    }
};

}  // namespace

class TestGraphics : public QObject {
    Q_OBJECT

  private slots:
    void redrawRules_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("upperRedrawn");
        QTest::addColumn<bool>("lowerRedrawn");
        QTest::newRow("input&battery -> run time&battery") << 0 << 1 << true << false;
        QTest::newRow("input&battery -> run time&load") << 0 << 2 << true << true;
        QTest::newRow("run time&load -> run time&battery") << 2 << 1 << false << true;
        QTest::newRow("run time&battery -> run time&load") << 1 << 2 << false << true;
        QTest::newRow("input&battery -> input&output") << 0 << 3 << false << true;
        QTest::newRow("input&output -> input&battery") << 3 << 0 << false << true;
        QTest::newRow("run time&load -> input&output") << 2 << 3 << true << true;
        QTest::newRow("same selection") << 1 << 1 << false << false;
        QTest::newRow("none -> input&battery") << -1 << 0 << true << true;
        QTest::newRow("none -> input&output") << -1 << 3 << true << true;
        QTest::newRow("unknown layout -> run time&battery") << 7 << 1 << true << true;
        QTest::newRow("input&battery -> none") << 0 << -1 << false << false;
        QTest::newRow("none -> none") << -1 << -1 << false << false;
    }
    void redrawRules() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, upperRedrawn);
        QFETCH(bool, lowerRedrawn);
        Page page;
        page.startAt(from);
        page.box->setCurrentIndex(to);
        page.page.GraphicsChange();
        QCOMPARE(page.upperRedrawn(), upperRedrawn);
        QCOMPARE(page.lowerRedrawn(), lowerRedrawn);
        QCOMPARE(page.plotted(), to);
        QCOMPARE(page.laidOutFor(), to);
    }

    void layoutPerSelection_data() {
        QTest::addColumn<int>("selection");
        QTest::addColumn<QString>("upperCaption");
        QTest::addColumn<QString>("upperLegend");
        QTest::addColumn<QString>("lowerCaption");
        QTest::addColumn<QString>("lowerLegend");
        QTest::newRow("input&battery")
            << 0 << " Input Voltage " << kInputVoltage << " Battery Charged " << kBatteryCharge;
        QTest::newRow("run time&battery")
            << 1 << " Run Time " << kRunTime << " Battery Charged " << kBatteryCharge;
        QTest::newRow("run time&load") << 2 << " Run Time " << kRunTime << " Load " << kBatteryCharge;
        QTest::newRow("input&output")
            << 3 << " Input Voltage " << kInputVoltage << " Output Voltage " << kOutputVoltage;
    }
    void layoutPerSelection() {
        QFETCH(int, selection);
        QFETCH(QString, upperCaption);
        QFETCH(QString, upperLegend);
        QFETCH(QString, lowerCaption);
        QFETCH(QString, lowerLegend);
        // Arrive from each of the other layouts in turn.
        for (int previous = 0; previous < 4; ++previous) {
            if (previous == selection) continue;
            Page page;
            page.startAt(-1);
            page.box->setCurrentIndex(previous);
            page.page.GraphicsChange();
            page.box->setCurrentIndex(selection);
            page.page.GraphicsChange();
            QCOMPARE(page.upperGroup->title(), upperCaption);
            QCOMPARE(page.upperLegend(), upperLegend);
            QCOMPARE(page.lowerGroup->title(), lowerCaption);
            QCOMPARE(page.lowerLegend(), lowerLegend);
        }
    }

    void designedForSelectionZero() {
        Page page;
        QCOMPARE(page.upperGroup->title(), QStringLiteral("Input Voltage"));
        QCOMPARE(page.upperLegend(), kInputVoltage);
        QCOMPARE(page.lowerGroup->title(), QStringLiteral("Battery Charged"));
        QCOMPARE(page.lowerLegend(), kBatteryCharge);
        QCOMPARE(page.box->currentIndex(), 0);
    }

    void noSelectionChangesNothingOnScreen() {
        Page page;
        page.startAt(1);
        page.page.GraphicsChange();
        const QString upperBefore = page.upperLegend(), lowerBefore = page.lowerLegend();
        page.box->setCurrentIndex(-1);
        page.page.GraphicsChange();
        QCOMPARE(page.upperGroup->title(), QStringLiteral(" Run Time "));
        QCOMPARE(page.upperLegend(), upperBefore);
        QCOMPARE(page.lowerLegend(), lowerBefore);
    }

    void codeSettingTheIndexLaysNothingOut() {
        Page page;
        page.startAt(0);
        page.box->setCurrentIndex(2);
        QCOMPARE(page.laidOutFor(), 0);
        QCOMPARE(page.plotted(), 0);
        QVERIFY(!page.upperRedrawn());
        QVERIFY(!page.lowerRedrawn());
        QCOMPARE(page.upperGroup->title(), QStringLiteral("Input Voltage"));
    }

    void choiceFromTheList() {
        Page page;
        page.startAt(0);
        QTest::keyClick(page.box, Qt::Key_Down);
        QCOMPARE(page.box->currentIndex(), 1);
        QCOMPARE(page.plotted(), 1);
        QVERIFY(page.upperRedrawn());
        QVERIFY(!page.lowerRedrawn());
        QCOMPARE(page.upperGroup->title(), QStringLiteral(" Run Time "));
    }

    void typedText() {
        Page page;
        page.startAt(0);
        QLineEdit* field = page.box->lineEdit();

        // Text that is none of the items: no selection, nothing plotted, the text stays as typed.
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("zz"));
        QCOMPARE(field->text(), QStringLiteral("zz"));
        QCOMPARE(page.box->currentIndex(), -1);
        QCOMPARE(page.plotted(), -1);
        QCOMPARE(page.laidOutFor(), -1);
        QVERIFY(!page.upperRedrawn());
        QVERIFY(!page.lowerRedrawn());
        QCOMPARE(page.upperGroup->title(), QStringLiteral("Input Voltage"));

        // Enter neither adds the text as an item nor picks one.
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(page.box->count(), 4);
        QCOMPARE(page.box->currentIndex(), -1);

        // Typing an item's exact text selects it; after "none" both charts start afresh.
        page.feedBoth();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Run Time & Load"));
        QCOMPARE(page.box->currentIndex(), 2);
        QCOMPARE(field->text(), QStringLiteral("Run Time & Load"));
        QCOMPARE(page.plotted(), 2);
        QVERIFY(page.upperRedrawn());
        QVERIFY(page.lowerRedrawn());

        // Likewise a list choice after typed text that matched nothing.
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("?"));
        page.feedBoth();
        QTest::keyClick(page.box, Qt::Key_Down);
        QCOMPARE(page.box->currentIndex(), 0);
        QCOMPARE(page.plotted(), 0);
        QVERIFY(page.upperRedrawn());
        QVERIFY(page.lowerRedrawn());
    }

    void notATabStop() {
        Page page;
        QVERIFY(!(page.box->focusPolicy() & Qt::TabFocus));
        QVERIFY(!(page.box->lineEdit()->focusPolicy() & Qt::TabFocus));
    }
};

QTEST_MAIN(TestGraphics)
#include "tst_graphics.moc"
