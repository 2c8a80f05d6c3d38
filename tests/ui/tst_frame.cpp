// The window frame: its controls and their places, the pages, the disclaimer, the status bar with the
// link lamp and support link, the hint rule, and the styles and colours.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include "ui/Colours.h"
#include "ui/HintFilter.h"
#include "ui/StatusBar.h"
#include "ui/StyleManager.h"
#include "ui/TForm1.h"
#include "ui/pages/GeneralInfoPanel.h"

using namespace kelvane;

namespace {

// Receives the URLs the window asks the desktop to open, instead of a mail client.
class UrlCatcher final : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> Opened;
  public slots:
    void Open(const QUrl& url) { Opened << url; }
};

double Luminance(const QColor& colour) {
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void windowHasItsCaptionAndFixedClientArea();
    void frameControls_data();
    void frameControls();
    void menusCarryTheirItems();
    void portChooserStartsWithNothingSelected();
    void pagesAreInTabOrderWithTheUnitPagesHidden();
    void disclaimerKeepsItsRowsAndScripts();
    void statusBarPanels();
    void linkLampShowsTheLinkState();
    void supportLinkSitsOnItsPanelAndOpensMail();
    void hintsShowOnlyInsideMarkedContainers();
    void stylesAreDistinctAndReadable();
    void fontColoursSurviveAStyleChange();
    void closingWithoutAWorkerClosesAtOnce();

  private:
    QTemporaryDir Scratch;
    std::unique_ptr<TForm1> Window;
};

void FrameTest::initTestCase() {
    QVERIFY(Scratch.isValid());
    qputenv("KELVANE_CONFIG", Scratch.filePath("Kelvane.conf").toLocal8Bit());
}

void FrameTest::init() {
    QFile::remove(Scratch.filePath("Kelvane.conf"));
    Window = std::make_unique<TForm1>();
    QCOMPARE(Form1, Window.get());
}

void FrameTest::cleanup() {
    Window.reset();
    QCOMPARE(Form1, nullptr);
}

void FrameTest::windowHasItsCaptionAndFixedClientArea() {
    QCOMPARE(Window->windowTitle(), QStringLiteral(" Kelvane   Rev 2.8.1.196"));
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    QCOMPARE(Window->centralWidget()->size(), QSize(642, 504));
    QCOMPARE(Window->width(), 642);
    QCOMPARE(Window->height(), 504 + Window->menuBar()->height());
    QCOMPARE(Window->minimumSize(), Window->maximumSize());
}

void FrameTest::frameControls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("place");  // a height of -1: the style decides
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("GroupBox7") << "GroupBox7"
                               << "QGroupBox" << QRect(8, 8, 249, 316) << "General UPS Information" << false
                               << false;
    QTest::newRow("Memo1") << "Memo1"
                           << "QPlainTextEdit" << QRect(8, 328, 249, 49) << "" << true << true;
    QTest::newRow("GroupBox2") << "GroupBox2"
                               << "QGroupBox" << QRect(8, 383, 89, 65) << "Choose Port" << true << true;
    QTest::newRow("ComboBox1") << "ComboBox1"
                               << "QComboBox" << QRect(12, 22, 65, -1) << "" << true << true;
    QTest::newRow("Reconnect") << "Reconnect"
                               << "QPushButton" << QRect(104, 383, 153, 21) << "Reconnect to UPS" << true
                               << false;
    QTest::newRow("Leds") << "Leds"
                          << "QPushButton" << QRect(104, 410, 153, 21) << "Leds and Alarm Test" << true
                          << false;
    QTest::newRow("Test") << "Test"
                          << "QPushButton" << QRect(105, 439, 73, 21) << "Self Test" << true << false;
    QTest::newRow("ByPass") << "ByPass"
                            << "QPushButton" << QRect(184, 439, 73, 21) << "BYPASS" << true << false;
    QTest::newRow("PageControl1") << "PageControl1"
                                  << "QTabWidget" << QRect(263, 16, 371, 432) << "" << false << false;
    QTest::newRow("StatusBar1") << "StatusBar1"
                                << "QFrame" << QRect(0, 481, 642, 23) << "" << true << false;
    QTest::newRow("LinkLabel1") << "LinkLabel1"
                                << "QLabel" << QRect(330, 476, 117, 17) << "" << true << true;
}

void FrameTest::frameControls() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QFETCH(bool, shown);
    QFETCH(bool, enabled);

    const auto found = Window->findChildren<QWidget*>(name);
    QCOMPARE(found.size(), 1);
    QWidget* control = found.first();
    QVERIFY2(control->inherits(kind.toLatin1()), control->metaObject()->className());
    QCOMPARE(control->pos(), place.topLeft());
    QCOMPARE(control->width(), place.width());
    if (place.height() >= 0) QCOMPARE(control->height(), place.height());
    if (auto* group = qobject_cast<QGroupBox*>(control)) QCOMPARE(group->title(), caption);
    if (auto* button = qobject_cast<QPushButton*>(control)) QCOMPARE(button->text(), caption);
    QCOMPARE(!control->isHidden(), shown);
    QCOMPARE(control->isEnabled(), enabled);
}

void FrameTest::menusCarryTheirItems() {
    const QList<QAction*> tops = Window->menuBar()->actions();
    QCOMPARE(tops.size(), 2);
    QCOMPARE(tops[0]->text(), QStringLiteral("Options"));
    QCOMPARE(tops[1]->text(), QStringLiteral("Style"));

    const QList<QPair<QString, QString>> options{{"SelfTestON1", "Smart Self Test OFF"},
                                                 {"AUTO1", "Smart 3Gen. Battery Const. AUTO Fix"},
                                                 {"HexCodeON", "UPS Model Hex Code Detection ON"}};
    const QList<QAction*> optionItems = tops[0]->menu()->actions();
    QCOMPARE(optionItems.size(), options.size());
    for (int i = 0; i < options.size(); ++i) {
        QCOMPARE(optionItems[i]->objectName(), options[i].first);
        QCOMPARE(optionItems[i]->text(), options[i].second);
        QVERIFY(optionItems[i]->isCheckable());
    }
    // Each Options item toggles its own mark and no other.
    Window->AUTO1->trigger();
    QVERIFY(Window->AUTO1->isChecked());
    QVERIFY(!Window->SelfTestON1->isChecked());
    QVERIFY(!Window->HexCodeON->isChecked());
    Window->AUTO1->trigger();
    QVERIFY(!Window->AUTO1->isChecked());

    const QStringList styleItems{"Windows1", "Emerald1", "Iceberg1", "Classico1",
                                 "Ametist1", "Cobalt1",  "Golden1",  "Ruby1"};
    const QList<QAction*> styles = tops[1]->menu()->actions();
    QCOMPARE(styles.size(), styleItems.size());
    for (int i = 0; i < styles.size(); ++i) QCOMPARE(styles[i]->objectName(), styleItems[i]);
}

void FrameTest::portChooserStartsWithNothingSelected() {
    QComboBox* ports = Window->ComboBox1;
    QVERIFY(ports->isEditable());
    QStringList items;
    for (int i = 0; i < ports->count(); ++i) items << ports->itemText(i);
    // The four fixed names come first; the adapters present and the simulated units follow them.
    QCOMPARE(items.mid(0, 4), (QStringList{"COM1", "COM2", "COM3", "COM4"}));
    QCOMPARE(ports->currentIndex(), -1);
    QVERIFY(ports->currentText().isEmpty());
    QCOMPARE(ports->toolTip(),
             QStringLiteral("Before any action, set the PORT to which an UPS has been connected."));
}

void FrameTest::pagesAreInTabOrderWithTheUnitPagesHidden() {
    QTabWidget* pages = Window->PageControl1;
    QCOMPARE(pages->tabPosition(), QTabWidget::South);
    const QStringList captions{"Smart",  "Back-PRO", "Smart 2-nd Gen.", "SURT",     "Settings",
                               "Status", "Graphics", "EEPROM",          "Constants"};
    QCOMPARE(pages->count(), captions.size());
    for (int i = 0; i < pages->count(); ++i) {
        QCOMPARE(pages->widget(i)->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
        QCOMPARE(pages->tabText(i), captions[i]);
        const bool unitPage = i < 5;
        QCOMPARE(pages->isTabVisible(i), !unitPage);
        QCOMPARE(pages->widget(i)->isEnabledTo(pages), !unitPage);
    }
    QVERIFY(qobject_cast<GeneralInfoPanel*>(Window->findChild<QWidget*>("GroupBox7")) != nullptr);
}

void FrameTest::disclaimerKeepsItsRowsAndScripts() {
    QPlainTextEdit* memo = Window->Memo1;
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->palette().color(QPalette::Base), QColor(Qt::white));
    const QStringList rows = memo->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(rows.size(), 31);
    QCOMPARE(rows[0], QStringLiteral("                     PLEASE ATTENTION!"));
    QCOMPARE(rows[5], QString(39, QLatin1Char('_')));
    QCOMPARE(rows[18], QString(39, QLatin1Char('_')));
    // Row 8 begins with the Cyrillic capital A, not the Latin one; the Russian rows must survive as UTF-8.
    QCOMPARE(rows[7].at(0).unicode(), char16_t(0x0410));
    QCOMPARE(rows[7].mid(1), QStringLiteral("uthor will NOT be responsible for Your acts of "));
    QCOMPARE(rows[19], QString::fromUtf8("\xD0\x90\xD0\xB2\xD1\x82\xD0\xBE\xD1\x80 \xD0\x9D\xD0\x95 "
                                         "\xD0\xBD\xD0\xB5\xD1\x81\xD1\x91\xD1\x82 "
                                         "\xD0\xBE\xD1\x82\xD0\xB2\xD0\xB5\xD1\x82\xD1\x81\xD1\x82\xD0\xB2"
                                         "\xD0\xB5\xD0\xBD\xD0\xBD\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8 "
                                         "\xD0\xB7\xD0\xB0 "));
    QCOMPARE(rows[11], QStringLiteral("https://service.example.com/en"));
    QCOMPARE(rows[26], QStringLiteral("https://service.example.com/ru"));
    QCOMPARE(rows[30],
             QString::fromUtf8("\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB1\xD1\x80\xD0\xB0\xD0\xB6\xD0\xB5\xD0\xBD"
                               "\xD0\xB8\xD1\x8F \xD1\x81\xD0\xBE\xD1\x81\xD1\x82\xD0\xBE\xD1\x8F\xD0\xBD"
                               "\xD0\xB8\xD1\x8F UPS \xD0\xBF\xD1\x80\xD0\xB8 \xD0\xBD\xD0\xB0\xD1\x81"
                               "\xD1\x82\xD1\x80\xD0\xBE\xD0\xB9\xD0\xBA\xD0\xB5."));
    for (int row : {3, 12, 16, 27}) QVERIFY2(rows[row].isEmpty(), qPrintable(QString::number(row + 1)));
    QCOMPARE(memo->toolTip(), QStringLiteral("Please READ EVERYTHING !"));
}

void FrameTest::statusBarPanels() {
    StatusBar* bar = Window->StatusBar1;
    QCOMPARE(bar->PanelCount(), 5);
    const QList<int> widths{220, 25, 75, 105, 60};
    const QList<bool> lowered{true, false, false, true, false};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(bar->Panel(i).Width, widths[i]);
        QCOMPARE(bar->Panel(i).Lowered, lowered[i]);
    }
    QVERIFY(bar->Panel(1).OwnerDrawn);
    QVERIFY(bar->PanelText(0).isEmpty());
    QCOMPARE(bar->PanelText(2), QStringLiteral("  Support -->"));
    QVERIFY(bar->PanelText(3).isEmpty());
    QVERIFY(!bar->PanelText(4).isEmpty());

    // Messages replace the panel's text; the panel texts must fit their panels at the window font.
    bar->SetPanelText(0, Window->MsgConnected);
    bar->SetPanelText(0, Window->MsgNoConnection);
    QCOMPARE(bar->PanelText(0), QStringLiteral("Could not establish connection to UPS."));
    for (int i : {0, 2, 4}) {
        QVERIFY2(bar->fontMetrics().horizontalAdvance(bar->PanelText(i)) <= bar->PanelRect(i).width() - 4,
                 qPrintable(bar->PanelText(i)));
    }
}

void FrameTest::linkLampShowsTheLinkState() {
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    StatusBar* bar = Window->StatusBar1;
    const QPoint centre = bar->PanelRect(1).center();
    auto lampColour = [&] { return bar->grab().toImage().pixelColor(centre); };

    QVERIFY(!Window->LinkLampOnline());
    QColor lamp = lampColour();
    QVERIFY2(lamp.red() > 2 * lamp.green(), qPrintable(lamp.name()));

    Window->SetLinkLampOnline(true);
    lamp = lampColour();
    QVERIFY2(lamp.green() > 2 * lamp.red(), qPrintable(lamp.name()));

    Window->SetLinkLampOnline(false);
    lamp = lampColour();
    QVERIFY2(lamp.red() > 2 * lamp.green(), qPrintable(lamp.name()));
}

void FrameTest::supportLinkSitsOnItsPanelAndOpensMail() {
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    QLabel* link = Window->LinkLabel1;
    StatusBar* bar = Window->StatusBar1;
    QCOMPARE(link->y(), bar->y() + 5);

    // The address must stay within panel 3, which the label covers.
    const int textRight =
        link->x() + link->fontMetrics().horizontalAdvance(QString::fromLatin1(TForm1::SupportAddress));
    QVERIFY2(textRight <= bar->PanelRect(3).right(), qPrintable(QString::number(textRight)));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "Open");
    emit link->linkActivated(QStringLiteral("mailto:%1").arg(QLatin1String(TForm1::SupportAddress)));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(catcher.Opened.size(), 1);
    QCOMPARE(catcher.Opened[0].scheme(), QStringLiteral("mailto"));
    QVERIFY(catcher.Opened[0].path().endsWith(QLatin1String("@example.com")));
    QVERIFY(link->text().contains(catcher.Opened[0].path()));
}

void FrameTest::hintsShowOnlyInsideMarkedContainers() {
    // A control inside a marked container, as the pages put their fields into GroupBox7.
    auto* model = new QLineEdit(Window->GroupBox7);
    model->setToolTip(QStringLiteral("Model"));
    Window->GroupBox7->setEnabled(true);
    Window->GroupBox7->show();
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));

    struct Case {
        QWidget* Control;
        bool Shown;
    };
    for (const Case& c : {Case{Window->ComboBox1, false}, Case{Window->GroupBox2, false},
                          Case{Window->Memo1->viewport(), true}, Case{model, true}}) {
        QToolTip::hideText();
        QHelpEvent request(QEvent::ToolTip, QPoint(2, 2), c.Control->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(c.Control, &request);
        QVERIFY2(QToolTip::isVisible() == c.Shown, qPrintable(c.Control->objectName()));
        if (c.Shown)
            QCOMPARE(QToolTip::text(),
                     c.Control == model ? QStringLiteral("Model") : Window->Memo1->toolTip());
    }
    QToolTip::hideText();
    QVERIFY(!HintFilter::HintsShownFor(nullptr));
}

void FrameTest::stylesAreDistinctAndReadable() {
    const QStringList names = StyleManager::StyleNames();
    QCOMPARE(names, (QStringList{"Windows", "Emerald Light Slate", "Iceberg Classico", "Slate Classico",
                                 "Amethyst Kamri", "Cobalt XEMedia", "Golden Graphite", "Ruby Graphite"}));
    QList<QPalette> palettes;
    for (const QString& name : names) palettes << StyleManager::PaletteFor(name);
    for (int i = 0; i < palettes.size(); ++i) {
        const QPalette& p = palettes[i];
        const QString& name = names[i];
        QVERIFY2(Contrast(p.color(QPalette::Text), p.color(QPalette::Base)) >= 7.0, qPrintable(name));
        QVERIFY2(Contrast(p.color(QPalette::WindowText), p.color(QPalette::Window)) >= 4.5, qPrintable(name));
        QVERIFY2(Contrast(p.color(QPalette::ButtonText), p.color(QPalette::Button)) >= 4.5, qPrintable(name));
        QVERIFY2(Contrast(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight)) >= 4.5,
                 qPrintable(name));
        // Fields turn black after a flash, whatever the style.
        QVERIFY2(Contrast(Qt::black, p.color(QPalette::Base)) >= 7.0, qPrintable(name));
        for (int j = 0; j < i; ++j) {
            const bool sameLook = palettes[j].color(QPalette::Window) == p.color(QPalette::Window) &&
                                  palettes[j].color(QPalette::Highlight) == p.color(QPalette::Highlight);
            QVERIFY2(!sameLook, qPrintable(name + " / " + names[j]));
        }
    }
}

void FrameTest::fontColoursSurviveAStyleChange() {
    QCOMPARE(ToQColor(ColourRed), QColor(255, 0, 0));
    QCOMPARE(ToQColor(ColourBrightGreen), QColor(0, 255, 0));
    QCOMPARE(ToQColor(0xFF0000), QColor(0, 0, 255));

    auto* field = new QLineEdit(Window->GroupBox7);
    auto* caption = new QLabel(Window->GroupBox7);
    auto* white = new QLineEdit(Window->GroupBox7);
    SetFontColour(field, ColourRed);
    SetFontColour(caption, ColourBrightGreen);
    SetEditBackground(field, EditBackground::Grey);
    SetEditBackground(white, EditBackground::White);

    for (const char* style : {"Ruby Graphite", "Iceberg Classico", "Windows"}) {
        Window->StyleManager->SetStyle(QString::fromLatin1(style));
        QCOMPARE(FontColour(field), QColor(255, 0, 0));
        QCOMPARE(FontColour(caption), QColor(0, 255, 0));
        QCOMPARE(field->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));
        QCOMPARE(white->palette().color(QPalette::Base), QColor(Qt::white));
    }
    SetFontColour(field, ColourBlack);
    QCOMPARE(FontColour(field), QColor(Qt::black));
}

void FrameTest::closingWithoutAWorkerClosesAtOnce() {
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    Window->HexCodeON->trigger();
    QVERIFY(Window->close());
    QVERIFY(!Window->isVisible());
    QCOMPARE(Window->Tag(), 0);
    QSettings stored(Scratch.filePath("Kelvane.conf"), QSettings::IniFormat);
    QCOMPARE(stored.value("HexCode").toString(), QStringLiteral("1"));
}

QTEST_MAIN(FrameTest)
#include "tst_frame.moc"
