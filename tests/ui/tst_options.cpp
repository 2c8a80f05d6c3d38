// The options kept between runs: defaults on first start, values that cannot be read, positions, and the
// rule that options are read at start and written only at close.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>
#include <map>
#include <memory>

#include "ui/OptionsStore.h"
#include "ui/StyleManager.h"
#include "ui/TForm1.h"

using namespace kelvane;

namespace {

// Keeps the values in memory and records every write, in order.
struct RecordedOptions {
    std::map<QString, QVariant> Values;
    QStringList Writes;
    int Flushes = 0;
};

class RecordingBackend final : public OptionsBackend {
  public:
    explicit RecordingBackend(std::shared_ptr<RecordedOptions> state) : State(std::move(state)) {}
    std::optional<QVariant> Read(const QString& name) const override {
        const auto found = State->Values.find(name);
        if (found == State->Values.end()) return std::nullopt;
        return found->second;
    }
    void Write(const QString& name, const QVariant& value) override {
        State->Values[name] = value;
        State->Writes << name;
    }
    void Flush() override { ++State->Flushes; }

  private:
    std::shared_ptr<RecordedOptions> State;
};

const QStringList StartOrder{"HexCode", "Left", "Top", "AUTOSU3Gen", "SelfTest", "Graphics", "Style"};
const QStringList CloseOrder{"Left", "Top", "AUTOSU3Gen", "SelfTest", "HexCode", "Graphics", "Style"};
const QStringList StyleItems{"Windows1", "Emerald1", "Iceberg1", "Classico1",
                             "Ametist1", "Cobalt1",  "Golden1",  "Ruby1"};

std::unique_ptr<TForm1> OpenWindow(const std::shared_ptr<RecordedOptions>& state) {
    return std::make_unique<TForm1>(std::make_unique<RecordingBackend>(state));
}

QStringList CheckedStyleItems(const TForm1& window) {
    QStringList checked;
    for (const QString& name : StyleItems) {
        if (window.findChild<QAction*>(name)->isChecked()) checked << name;
    }
    return checked;
}

QRect WorkArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

}  // namespace

class OptionsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void firstStartWritesTheDefaultsInOrder();
    void firstStartCreatesTheOptionsFile();
    void presentValuesAreNeverRewrittenAtStart();
    void storedValuesAreRestored();
    void unreadableValuesTakeTheirDefaults();
    void chartChoiceOutsideTheListSelectsNothing();
    void unknownStyleLooksPlainAndIsKeptAsStored();
    void positionFollowsTheWorkArea_data();
    void positionFollowsTheWorkArea();
    void optionsAreWrittenAtCloseOnly();
    void styleNameIsStoredNotTheCaption_data();
    void styleNameIsStoredNotTheCaption();

  private:
    QTemporaryDir Scratch;
};

void OptionsTest::initTestCase() {
    QVERIFY(Scratch.isValid());
    // Nothing here may touch the options of the user running the tests.
    qputenv("KELVANE_CONFIG", Scratch.filePath("unused.conf").toLocal8Bit());
}

void OptionsTest::firstStartWritesTheDefaultsInOrder() {
    auto state = std::make_shared<RecordedOptions>();
    auto window = OpenWindow(state);

    QCOMPARE(state->Writes, StartOrder);
    QVERIFY(state->Flushes >= 1);
    const std::map<QString, QVariant> defaults{{"HexCode", 0},
                                               {"Left", 183},
                                               {"Top", 131},
                                               {"AUTOSU3Gen", 0},
                                               {"SelfTest", 0},
                                               {"Graphics", 0},
                                               {"Style", QStringLiteral("Windows")}};
    for (const auto& [name, value] : defaults) {
        QCOMPARE(state->Values[name].typeId(), value.typeId());
        QCOMPARE(state->Values[name], value);
    }

    QCOMPARE(window->pos(), QPoint(183, 131));
    QCOMPARE(CheckedStyleItems(*window), QStringList{"Windows1"});
    QCOMPARE(QApplication::style()->name(), QStringLiteral("windows"));
    QVERIFY(!window->SelfTestON1->isChecked());
    QVERIFY(!window->AUTO1->isChecked());
    QVERIFY(!window->HexCodeON->isChecked());
}

void OptionsTest::firstStartCreatesTheOptionsFile() {
    // The folder does not exist yet either, as on a first start.
    const QString path = Scratch.filePath("first/Brellmark/Kelvane.conf");
    qputenv("KELVANE_CONFIG", path.toLocal8Bit());
    QCOMPARE(OptionsStore::DefaultPath(), path);
    { TForm1 window; }
    qputenv("KELVANE_CONFIG", Scratch.filePath("unused.conf").toLocal8Bit());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    for (const char* line :
         {"HexCode=0", "Left=183", "Top=131", "AUTOSU3Gen=0", "SelfTest=0", "Graphics=0", "Style=Windows"}) {
        QVERIFY2(text.contains(QLatin1String(line)), line);
    }
}

void OptionsTest::presentValuesAreNeverRewrittenAtStart() {
    auto state = std::make_shared<RecordedOptions>();
    state->Values = {{"Left", 300}, {"SelfTest", 1}, {"Style", QStringLiteral("Ruby Graphite")}};
    auto window = OpenWindow(state);
    QCOMPARE(state->Writes, (QStringList{"HexCode", "Top", "AUTOSU3Gen", "Graphics"}));
    QCOMPARE(state->Values["Left"], QVariant(300));
}

void OptionsTest::storedValuesAreRestored() {
    auto state = std::make_shared<RecordedOptions>();
    // As read back from the file: every value is text.
    state->Values = {{"HexCode", "1"},           {"Left", "40"},    {"Top", "50"},
                     {"AUTOSU3Gen", "1"},        {"SelfTest", "0"}, {"Graphics", "2"},
                     {"Style", "Cobalt XEMedia"}};
    auto window = OpenWindow(state);
    QVERIFY(state->Writes.isEmpty());
    QVERIFY(window->HexCodeON->isChecked());
    QVERIFY(window->AUTO1->isChecked());
    QVERIFY(!window->SelfTestON1->isChecked());
    QCOMPARE(window->pos(), QPoint(40, 50));
    QCOMPARE(CheckedStyleItems(*window), QStringList{"Cobalt1"});
    QCOMPARE(QApplication::style()->name(), QStringLiteral("fusion"));
    QCOMPARE(QApplication::palette().color(QPalette::Highlight),
             StyleManager::PaletteFor("Cobalt XEMedia").color(QPalette::Highlight));

    auto* graphics = window->findChild<QComboBox*>("Graphics");
    if (graphics == nullptr) QSKIP("the Graphics page has no chart chooser yet");
    QCOMPARE(graphics->currentIndex(), 2);
    QCOMPARE(graphics->currentText(), graphics->itemText(2));
    QCOMPARE(graphics->property("Tag").toInt(), 2);
    QCOMPARE(window->findChild<QWidget*>("GroupBox26")->property("Tag").toInt(), 2);
}

void OptionsTest::unreadableValuesTakeTheirDefaults() {
    auto state = std::make_shared<RecordedOptions>();
    state->Values = {{"HexCode", "yes"},
                     {"Left", "abc"},
                     {"Top", "99999999999"},
                     {"AUTOSU3Gen", "1"},
                     {"SelfTest", "1"},
                     {"Graphics", "1"},
                     {"Style", QStringList{"Ruby Graphite", "Golden Graphite"}}};
    auto window = OpenWindow(state);

    // Unreadable values count as missing: their defaults are written and used; the readable ones stay.
    QCOMPARE(state->Writes, (QStringList{"HexCode", "Left", "Top", "Style"}));
    QCOMPARE(state->Values["HexCode"], QVariant(0));
    QCOMPARE(state->Values["Style"], QVariant(QStringLiteral("Windows")));
    QVERIFY(!window->HexCodeON->isChecked());
    QVERIFY(window->AUTO1->isChecked());
    QCOMPARE(window->pos(), QPoint(183, 131));
    QCOMPARE(CheckedStyleItems(*window), QStringList{"Windows1"});
}

void OptionsTest::chartChoiceOutsideTheListSelectsNothing() {
    for (const char* stored : {"7", "-3"}) {
        auto state = std::make_shared<RecordedOptions>();
        state->Values = {{"Graphics", stored}};
        auto window = OpenWindow(state);
        auto* graphics = window->findChild<QComboBox*>("Graphics");
        if (graphics == nullptr) QSKIP("the Graphics page has no chart chooser yet");
        QCOMPARE(graphics->currentIndex(), -1);
        QCOMPARE(graphics->property("Tag").toInt(), -1);
        QCOMPARE(window->findChild<QWidget*>("GroupBox26")->property("Tag").toInt(), -1);
        QVERIFY(window->close());
        QCOMPARE(state->Values["Graphics"], QVariant(-1));
    }
}

void OptionsTest::unknownStyleLooksPlainAndIsKeptAsStored() {
    auto state = std::make_shared<RecordedOptions>();
    state->Values = {{"Style", QStringLiteral("Neon Night")}};
    auto window = OpenWindow(state);
    QVERIFY(CheckedStyleItems(*window).isEmpty());
    QCOMPARE(QApplication::style()->name(), QStringLiteral("windows"));
    QVERIFY(window->close());
    QCOMPARE(state->Values["Style"], QVariant(QStringLiteral("Neon Night")));
}

void OptionsTest::positionFollowsTheWorkArea_data() {
    QTest::addColumn<int>("storedLeft");
    QTest::addColumn<int>("storedTop");
    QTest::addColumn<QPoint>("expected");
    const QRect area = WorkArea();
    QTest::newRow("inside") << 183 << 131 << QPoint(183, 131);
    QTest::newRow("at the work area's size")
        << area.width() << area.height() << QPoint(area.width(), area.height());
    QTest::newRow("beyond it") << area.width() + 1 << area.height() + 1 << QPoint(area.width() - 650, 0);
    QTest::newRow("far beyond") << 5000 << 4000 << QPoint(area.width() - 650, 0);
}

void OptionsTest::positionFollowsTheWorkArea() {
    QFETCH(int, storedLeft);
    QFETCH(int, storedTop);
    QFETCH(QPoint, expected);
    auto state = std::make_shared<RecordedOptions>();
    state->Values = {{"Left", storedLeft}, {"Top", storedTop}};
    auto window = OpenWindow(state);
    QCOMPARE(window->pos(), expected);
}

void OptionsTest::optionsAreWrittenAtCloseOnly() {
    auto state = std::make_shared<RecordedOptions>();
    auto window = OpenWindow(state);
    state->Writes.clear();
    const int flushes = state->Flushes;

    window->SelfTestON1->trigger();
    window->HexCodeON->trigger();
    window->findChild<QAction*>("Golden1")->trigger();
    window->move(210, 170);
    QVERIFY(window->SelfTestON1->isChecked());
    QVERIFY(state->Writes.isEmpty());
    QCOMPARE(state->Flushes, flushes);

    QVERIFY(window->close());
    QCOMPARE(state->Writes, CloseOrder);
    QCOMPARE(state->Flushes, flushes + 1);
    QCOMPARE(state->Values["Left"], QVariant(210));
    QCOMPARE(state->Values["Top"], QVariant(170));
    QCOMPARE(state->Values["SelfTest"], QVariant(1));
    QCOMPARE(state->Values["HexCode"], QVariant(1));
    QCOMPARE(state->Values["AUTOSU3Gen"], QVariant(0));
    QCOMPARE(state->Values["Style"], QVariant(QStringLiteral("Golden Graphite")));
}

void OptionsTest::styleNameIsStoredNotTheCaption_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("styleName");
    QTest::newRow("Windows") << "Windows1"
                             << "Windows"
                             << "Windows";
    QTest::newRow("Emerald") << "Emerald1"
                             << "Emerald"
                             << "Emerald Light Slate";
    QTest::newRow("Iceberg") << "Iceberg1"
                             << "Iceberg"
                             << "Iceberg Classico";
    QTest::newRow("Classico") << "Classico1"
                              << "Classico"
                              << "Slate Classico";
    QTest::newRow("Amethyst") << "Ametist1"
                              << "Amethyst"
                              << "Amethyst Kamri";
    QTest::newRow("Cobalt") << "Cobalt1"
                            << "Cobalt"
                            << "Cobalt XEMedia";
    QTest::newRow("Golden") << "Golden1"
                            << "Golden"
                            << "Golden Graphite";
    QTest::newRow("Ruby") << "Ruby1"
                          << "Ruby"
                          << "Ruby Graphite";
}

void OptionsTest::styleNameIsStoredNotTheCaption() {
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(QString, styleName);
    // Start from a different style, so that a click that fails to change anything shows.
    auto state = std::make_shared<RecordedOptions>();
    state->Values = {
        {"Style", item == "Ruby1" ? QStringLiteral("Windows") : QStringLiteral("Ruby Graphite")}};
    auto window = OpenWindow(state);
    auto* action = window->findChild<QAction*>(item);
    QCOMPARE(action->text(), caption);

    action->trigger();
    action->trigger();  // a second click on the checked item keeps its mark
    QCOMPARE(CheckedStyleItems(*window), QStringList{item});
    QCOMPARE(window->StyleManager->ActiveStyleName(), styleName);
    QCOMPARE(QApplication::style()->name(),
             styleName == "Windows" ? QStringLiteral("windows") : QStringLiteral("fusion"));

    QVERIFY(window->close());
    QCOMPARE(state->Values["Style"], QVariant(styleName));
}

QTEST_MAIN(OptionsTest)
#include "tst_options.moc"
