// The entry fields on the real window: what each field takes, what Enter queues, what Esc puts back, the
// red flash of an out-of-range target, upper-case hexadecimal text and the date double click.
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "tests/support/CountingTone.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/VirtualSleeper.h"
#include "ui/Colours.h"
#include "ui/EntryFields.h"
#include "ui/TForm1.h"

using namespace kelvane;

namespace {

// Remembers how the watched field looked each time the tone sounded.
class WatchingTone final : public Tone {
  public:
    explicit WatchingTone(QLineEdit* watched) : Watched(watched) {}
    void Beep() override {
        Colours << FontColour(Watched);
        Texts << Watched->text();
    }
    QLineEdit* Watched;
    QList<QColor> Colours;
    QStringList Texts;
};

// Types keys into a field: '\r' is Enter, '\x1b' Esc, '\b' Backspace, any other character itself.
void Type(QWidget* field, const QString& keys) {
    for (const QChar key : keys) {
        switch (key.unicode()) {
            case u'\r':
                QTest::keyClick(field, Qt::Key_Return);
                break;
            case u'\x1b':
                QTest::keyClick(field, Qt::Key_Escape);
                break;
            case u'\b':
                QTest::keyClick(field, Qt::Key_Backspace);
                break;
            default:
                QTest::keyClick(field, key.toLatin1());
                break;
        }
    }
}

// A key that types the given text and is no key of the keyboard layout Qt knows.
void TypeText(QWidget* field, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(field, &press);
    QApplication::sendEvent(field, &release);
}

// The queue's entries as code and argument pairs ("l-H-"), emptying it.
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

class EntryFieldsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keysQueueCommands_data();
    void keysQueueCommands();
    void refusedKeyLastsUntilItsRelease();
    void filtersClassifyTheWholeCharacter_data();
    void filtersClassifyTheWholeCharacter();
    void pasteKeys();
    void outOfRangeTargetFlashesRedAndIsCleared_data();
    void outOfRangeTargetFlashesRedAndIsCleared();
    void loadAboveTheLimitIsNeverCommitted();
    void skuCodeEscFlashesGreen();
    void hexFieldsHoldUpperCaseText_data();
    void hexFieldsHoldUpperCaseText();
    void typedLetterIsRaisedWhereTheCursorIs();
    void dateDoubleClick_data();
    void dateDoubleClick();

  private:
    QLineEdit* Field(const QString& name) const { return Window->findChild<QLineEdit*>(name); }

    QTemporaryDir Scratch;
    VirtualClock Clock;
    std::unique_ptr<VirtualSleeper> Pauses;
    std::unique_ptr<TForm1> Window;
    CountingTone* Beeps = nullptr;
};

void EntryFieldsTest::initTestCase() {
    QVERIFY(Scratch.isValid());
    qputenv("KELVANE_CONFIG", Scratch.filePath("Kelvane.conf").toLocal8Bit());
}

void EntryFieldsTest::init() {
    Window = std::make_unique<TForm1>();
    auto tone = std::make_unique<CountingTone>();
    Beeps = tone.get();
    Window->Beeper = std::move(tone);
    Pauses = std::make_unique<VirtualSleeper>(Clock);
    Window->Pauses = Pauses.get();
    // The window starts disconnected with every unit control disabled.
    for (QWidget* control : Window->findChildren<QWidget*>()) control->setEnabled(true);

    UnitSnapshot& unit = Window->Snapshot;
    unit.Const0Text = "C0";
    unit.Const4Text = "C4";
    unit.Const5Text = "C5";
    unit.Const6Text = "C6";
    unit.ConstHashText = "D3";
    unit.ConstDollarText = "D4";
    unit.ConstPercentText = "D5";
    unit.ConstCaretText = "D6";
    unit.ConstCtrlDText = "de";
    unit.ModelCodeText = "4b";
    unit.ManufactureDateText = "01/15/19";
    unit.BatteryReplaceDateText = "02/20/21";
    unit.UpsIdText = "ROOM_12";
    unit.SerialNumberText = "AS1234567890";
    unit.SkuCodeText = "123";
    unit.RatedPower = 1000.0f;
    unit.RatedDigits = 4;
}

void EntryFieldsTest::cleanup() {
    Window.reset();
}

void EntryFieldsTest::keysQueueCommands_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("start");  // put in the field and selected whole before the keys
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("queued");
    QTest::addColumn<int>("beeps");

    const struct {
        const char* Field;
        const char* Code;
        const char* Typed;
        const char* Old;
    } hexFields[] = {
        {"Const4", "m-", "A0", "C4"},     {"Const5", "n-", "A0", "C5"},    {"Const6", "o-", "A0", "C6"},
        {"Const0", "l-", "A0", "C0"},     {"Const_3", "@-", "A0", "D3"},   {"Const_4", "U-", "A0", "D4"},
        {"Const_5", "Z-", "A0", "D5"},    {"Const_6", "V-", "A0", "D6"},   {"ConstCTRLD", "!-", "a0", "de"},
        {"Const52nd", "q-", "A0", "C5"},  {"Const62nd", "r-", "A0", "C6"}, {"Const02nd", "p-", "A0", "C0"},
        {"ModelConst", "Q-", "A0", "4B"},
    };
    for (const auto& hex : hexFields) {
        QTest::addRow("%s: two digits commit", hex.Field)
            << QString(hex.Field) << QString() << QStringLiteral("a0\r") << QString(hex.Typed)
            << QString(hex.Code) << 0;
        QTest::addRow("%s: Esc puts the unit's value back", hex.Field)
            << QString(hex.Field) << QStringLiteral("12") << QStringLiteral("\x1b") << QString(hex.Old)
            << QString() << 0;
    }

    const struct {
        const char* Name;
        const char* Field;
        const char* Start;
        const char* Keys;
        const char* Text;
        const char* Queued;
        int Beeps;
    } rows[] = {
        {"Const0: one digit commits nothing", "Const0", "", "7\r", "7", "", 0},
        {"Const0: 7F commits", "Const0", "", "7F\r", "7F", "l-", 0},
        {"Const0: Backspace edits", "Const0", "", "AB\bc\r", "AC", "l-", 0},
        {"Const4: G and punctuation are refused", "Const4", "", "G-. 5", "5", "", 0},
        {"Const4: b shows as B", "Const4", "", "b", "B", "", 0},
        {"ConstCTRLD: b stays b", "ConstCTRLD", "", "b", "b", "", 0},

        {"ID: Enter on nothing commits", "ID", "", "\r", "", "j-", 0},
        {"ManufactureDate: any text", "ManufactureDate", "", "01/02/03\r", "01/02/03", "h-", 0},
        {"BatteriesReplaseDate: any text", "BatteriesReplaseDate", "", "x y-z\r", "x y-z", "i-", 0},
        {"ManufactureDate: Esc beeps", "ManufactureDate", "5", "\x1b", "01/15/19", "", 1},
        {"BatteriesReplaseDate: Esc beeps", "BatteriesReplaseDate", "5", "\x1b", "02/20/21", "", 1},
        {"ID: Esc beeps", "ID", "5", "\x1b", "ROOM_12", "", 1},
        {"SerialNumber: letters and digits", "SerialNumber", "", "AB12cd\r", "AB12cd", "k-", 0},
        {"SerialNumber: hyphen, space, slash refused", "SerialNumber", "", "A-B C/1\r", "ABC1", "k-", 0},
        {"SerialNumber: Esc beeps", "SerialNumber", "5", "\x1b", "AS1234567890", "", 1},

        {"SU36G: digits only", "SU36G", "", "1x2.\r", "12", "O-", 0},
        {"SU36G: Enter on nothing commits", "SU36G", "", "\r", "", "O-", 0},
        {"SU36G: Esc puts the code back", "SU36G", "9", "\x1b", "123", "", 1},

        {"LoadSmartConst: 650 of 1000 VA", "LoadSmartConst", "", "650\r", "650", "H-", 0},
        {"LoadSmartConst: nothing typed", "LoadSmartConst", "", "\r", "", "", 0},
        {"LoadSmartConst: digits only", "LoadSmartConst", "", "6a.5\x1b\r", "65", "H-", 0},
        {"LoadSmart2nd", "LoadSmart2nd", "", "400\r", "400", "I-", 0},

        {"InputVoltageConstantSmart: 230", "InputVoltageConstantSmart", "", "230\r", "230", "J-", 0},
        {"InputVoltageConstantSmart: 23 is short", "InputVoltageConstantSmart", "", "23\r", "23", "", 0},
        {"InputVoltageConstantSmart: 098", "InputVoltageConstantSmart", "", "098\r", "098", "J-", 0},
        {"InputVoltageConstantSmart2nd", "InputVoltageConstantSmart2nd", "", "230\r", "230", "K-", 0},
        {"InputVoltageConstantBP", "InputVoltageConstantBP", "", "230\r", "230", "L-", 0},
        {"full input field: a digit beeps", "InputVoltageConstantSmart", "", "2301", "230", "", 1},
        {"full input field: a letter beeps", "InputVoltageConstantSmart", "", "230x", "230", "", 1},
        {"230 selected: a digit beeps", "InputVoltageConstantSmart", "230", "1", "230", "", 1},
        {"230 selected: Backspace empties", "InputVoltageConstantSmart", "230", "\b", "", "", 0},
        {"full input field: Backspace", "InputVoltageConstantSmart", "", "230\b4\r", "234", "J-", 0},

        {"BatSmart2nd: 27.6 is short", "BatSmart2nd", "", "27.6\r", "27.6", "", 0},
        {"BatSmart2nd: 27.60", "BatSmart2nd", "", "27.60\r", "27.60", "s-", 0},
        {"BatSmart2nd: comma refused", "BatSmart2nd", "", "27,6\r", "276", "", 0},
        {"BatSmart2nd: Esc does nothing", "BatSmart2nd", "27.6", "\x1b", "27.6", "", 0},
    };
    for (const auto& row : rows) {
        QTest::newRow(row.Name) << QString(row.Field) << QString(row.Start) << QString(row.Keys)
                                << QString(row.Text) << QString(row.Queued) << row.Beeps;
    }
}

void EntryFieldsTest::keysQueueCommands() {
    QFETCH(QString, field);
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(QString, queued);
    QFETCH(int, beeps);

    QLineEdit* edit = Field(field);
    QVERIFY(edit);
    if (!start.isEmpty()) {
        edit->setText(start);
        edit->selectAll();
    }
    Type(edit, keys);

    QCOMPARE(edit->text(), text);
    QCOMPARE(Drain(Window->Commands), queued);
    QCOMPARE(Beeps->Beeps(), beeps);
    QVERIFY(!edit->isReadOnly());
}

void EntryFieldsTest::refusedKeyLastsUntilItsRelease() {
    QLineEdit* edit = Field("Const4");
    QTest::keyPress(edit, 'G');
    QVERIFY(edit->isReadOnly());
    QVERIFY(edit->text().isEmpty());
    QTest::keyRelease(edit, 'G');
    QVERIFY(!edit->isReadOnly());

    // A release that never comes because the focus went elsewhere first.
    QTest::keyPress(edit, 'G');
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &focusOut);
    QVERIFY(!edit->isReadOnly());

    // Keys that type nothing are left to the field, and do not unlock what the program locked.
    edit->setText("AB");
    edit->setReadOnly(true);
    QTest::keyClick(edit, 'G');
    QVERIFY(edit->isReadOnly());
    edit->setReadOnly(false);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), QStringLiteral("A"));
}

void EntryFieldsTest::filtersClassifyTheWholeCharacter_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    // Each low byte is a character the field takes: 0x41 'A', 0x61 'a', 0x30 '0', 0x31 '1', 0x2E '.'.
    QTest::newRow("Const4, U+0141") << "Const4" << QString(QChar(0x0141));
    QTest::newRow("Const4, U+0661") << "Const4" << QString(QChar(0x0661));
    QTest::newRow("SerialNumber, U+0130") << "SerialNumber" << QString(QChar(0x0130));
    QTest::newRow("SerialNumber, a letter beside one") << "SerialNumber" << QStringLiteral("A\u00e9");
    QTest::newRow("SerialNumber, beyond the first plane") << "SerialNumber" << QStringLiteral("\U0001F130");
    QTest::newRow("SU36G, U+0131") << "SU36G" << QString(QChar(0x0131));
    QTest::newRow("LoadSmartConst, U+0131") << "LoadSmartConst" << QString(QChar(0x0131));
    QTest::newRow("InputVoltageConstantBP, U+0131") << "InputVoltageConstantBP" << QString(QChar(0x0131));
    QTest::newRow("BatSmart2nd, U+012E") << "BatSmart2nd" << QString(QChar(0x012E));
}

void EntryFieldsTest::filtersClassifyTheWholeCharacter() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QLineEdit* edit = Field(field);
    TypeText(edit, typed);
    QCOMPARE(edit->text(), QString());
    QVERIFY(!edit->isReadOnly());
}

void EntryFieldsTest::pasteKeys() {
    QApplication::clipboard()->setText(QStringLiteral("A-B"));

    QLineEdit* serial = Field("SerialNumber");
    QTest::keyClick(serial, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(serial->text(), QStringLiteral("A-B"));

    QLineEdit* constant = Field("Const0");
    QTest::keyClick(constant, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(constant, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(constant->text(), QString());

    QApplication::clipboard()->setText(QStringLiteral("900"));
    QLineEdit* load = Field("LoadSmartConst");
    QTest::keyClick(load, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(load->text(), QString());
    QVERIFY(!load->isReadOnly());
    QCOMPARE(Drain(Window->Commands), QString());
}

void EntryFieldsTest::outOfRangeTargetFlashesRedAndIsCleared_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<float>("rating");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<char>("last");
    QTest::addColumn<bool>("flashed");

    QTest::newRow("input 236") << "InputVoltageConstantSmart" << 1000.0f << "23" << '6' << true;
    QTest::newRow("input 235") << "InputVoltageConstantSmart" << 1000.0f << "23" << '5' << false;
    QTest::newRow("input 300, Back-PRO") << "InputVoltageConstantBP" << 1000.0f << "30" << '0' << true;
    QTest::newRow("load 651 of 1000 VA") << "LoadSmartConst" << 1000.0f << "65" << '1' << true;
    QTest::newRow("load 650 of 1000 VA") << "LoadSmartConst" << 1000.0f << "65" << '0' << false;
    QTest::newRow("2nd load 700 of 1000 VA") << "LoadSmart2nd" << 1000.0f << "70" << '0' << true;
    // The rating is cut to whole VA before taking 65 %: 1001 x 0.65 = 650.65, where 1001.9 x 0.65 would
    // let 651 through.
    QTest::newRow("load 651 of 1001.9 VA") << "LoadSmartConst" << 1001.9f << "65" << '1' << true;
    QTest::newRow("load 1 of an unknown rating") << "LoadSmartConst" << 0.0f << "" << '1' << true;
    QTest::newRow("load 0 of an unknown rating") << "LoadSmartConst" << 0.0f << "" << '0' << false;
}

void EntryFieldsTest::outOfRangeTargetFlashesRedAndIsCleared() {
    QFETCH(QString, field);
    QFETCH(float, rating);
    QFETCH(QString, typed);
    QFETCH(char, last);
    QFETCH(bool, flashed);

    Window->Snapshot.RatedPower = rating;
    QLineEdit* edit = Field(field);
    auto tone = std::make_unique<WatchingTone>(edit);
    WatchingTone* watching = tone.get();
    Window->Beeper = std::move(tone);

    Type(edit, typed);
    QTest::keyPress(edit, last);
    const QString full = typed + QLatin1Char(last);
    QCOMPARE(edit->text(), full);
    QVERIFY(watching->Texts.isEmpty());

    QTest::keyRelease(edit, last);
    if (!flashed) {
        QCOMPARE(edit->text(), full);
        QVERIFY(watching->Texts.isEmpty());
        QVERIFY(Pauses->Pauses().empty());
        return;
    }
    QCOMPARE(watching->Texts, QStringList{full});
    QCOMPARE(watching->Colours, QList<QColor>{ToQColor(ColourRed)});
    QCOMPARE(Pauses->Pauses(), std::vector<uint32_t>{500});
    QCOMPARE(FontColour(edit), ToQColor(ColourBlack));
    QCOMPARE(edit->text(), QString());
    QCOMPARE(Drain(Window->Commands), QString());
}

void EntryFieldsTest::loadAboveTheLimitIsNeverCommitted() {
    // Text that did not come through the keys, as a drop or the field's context menu could leave it.
    QLineEdit* edit = Field("LoadSmartConst");
    edit->setText("900");
    QTest::keyPress(edit, Qt::Key_Return);
    QCOMPARE(Drain(Window->Commands), QString());
    QTest::keyRelease(edit, Qt::Key_Return);
    QCOMPARE(edit->text(), QString());
    QCOMPARE(Beeps->Beeps(), 1);
}

void EntryFieldsTest::skuCodeEscFlashesGreen() {
    QLineEdit* edit = Field("SU36G");
    auto tone = std::make_unique<WatchingTone>(edit);
    WatchingTone* watching = tone.get();
    Window->Beeper = std::move(tone);
    edit->setText("9");

    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(watching->Texts, QStringList{"123"});
    QCOMPARE(watching->Colours, QList<QColor>{ToQColor(ColourBrightGreen)});
    QCOMPARE(FontColour(edit), ToQColor(ColourBlack));
    QCOMPARE(edit->text(), QStringLiteral("123"));
    QVERIFY(Pauses->Pauses().empty());
    QCOMPARE(Drain(Window->Commands), QString());
}

void EntryFieldsTest::hexFieldsHoldUpperCaseText_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    for (const char* name : {"Const4", "Const5", "Const6", "Const0", "Const_3", "Const_4", "Const_5",
                             "Const_6", "Const52nd", "Const62nd", "Const02nd", "ModelConst"}) {
        QTest::newRow(name) << name << "A3";
    }
    QTest::newRow("ConstCTRLD") << "ConstCTRLD"
                                << "a3";
}

void EntryFieldsTest::hexFieldsHoldUpperCaseText() {
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QLineEdit* edit = Field(field);
    edit->setText("a3");
    QCOMPARE(edit->text(), expected);
}

void EntryFieldsTest::typedLetterIsRaisedWhereTheCursorIs() {
    QLineEdit* edit = Field("Const0");
    Type(edit, "a");
    QTest::keyClick(edit, Qt::Key_Home);
    Type(edit, "b");
    QCOMPARE(edit->text(), QStringLiteral("BA"));
    QCOMPARE(edit->cursorPosition(), 1);
}

void EntryFieldsTest::dateDoubleClick_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("shown");
    QTest::newRow("7 May 2023") << QDate(2023, 5, 7) << "05/07/23";
    QTest::newRow("31 December 2005") << QDate(2005, 12, 31) << "12/31/05";
}

void EntryFieldsTest::dateDoubleClick() {
    QFETCH(QDate, today);
    QFETCH(QString, shown);
    auto* fields = Window->findChild<EntryFields*>(QStringLiteral("EntryFields"));
    QVERIFY(fields);
    fields->Today = [today] { return today; };
    QLineEdit* edit = Field("BatteriesReplaseDate");
    edit->setText("old");

    QTest::mouseDClick(edit, Qt::LeftButton);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(Drain(Window->Commands), QString());
}

QTEST_MAIN(EntryFieldsTest)
#include "tst_entryfields.moc"
