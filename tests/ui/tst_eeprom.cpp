// The EEPROM page through the whole window: its buttons queue the commands, the worker reads the
// simulated unit, and the dump, the comparison and the saved file come back through the hand-over; and
// the real save dialog as the page's commands set it up.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "tests/support/AnsweringDialogs.h"
#include "tests/support/ScratchFolder.h"
#include "tests/ui/ConnectBench.h"
#include "ui/QtWindowDialogs.h"
#include "ui/StatusBar.h"
#include "worker/Dispatcher.h"

using namespace kelvane;
using namespace kelvane::testing;

namespace {

template <typename T = QWidget>
T* Control(TForm1& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("no control %s", name);
    return control;
}

// A window on the unit with none of the connect-time adjustments, its file dialogs answered by the test.
TForm1& Connect(ConnectBench& bench, AnsweringDialogs*& dialogs) {
    TForm1& window = bench.OpenWindow();
    window.SelfTestON1->setChecked(false);
    window.HexCodeON->setChecked(false);
    window.AUTO1->setChecked(false);
    auto answering = std::make_unique<AnsweringDialogs>();
    dialogs = answering.get();
    window.FileDialogs = std::move(answering);
    bench.Choose(QStringLiteral("COM1"));
    window.PageControl1->setCurrentWidget(Control(window, "TabSheet8"));
    return window;
}

void ChooseBuffer(TForm1& window, const char* tab) {
    auto* tabs = Control<QTabWidget>(window, "PageControl2");
    tabs->setCurrentWidget(Control(window, tab));
}

// The button's command, carried out by the worker.
bool Press(ConnectBench& bench, TForm1& window, const char* button) {
    Control<QPushButton>(window, button)->click();
    return bench.RunCycles(2) && window.Commands.isEmpty();
}

QColor ColourAt(QTextEdit* box, int block, int column) {
    QTextCursor cursor(box->document()->findBlockByNumber(block));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column + 1);
    return cursor.charFormat().foreground().color();
}

// Runs the check on the modal dialog once it shows, then closes it with the check's choice.
void WhenDialogShows(const std::function<void(QFileDialog&)>& check) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, check] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        poll->deleteLater();
        poll->stop();
        check(*dialog);
    });
    poll->start(5);
}

}  // namespace

class EepromTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(Scratch.isValid());
        ConnectBench::UseScratchOptions(Scratch);
    }

    void readTwiceCompareAndSaveTheComparison() {
        ScratchFolder folder;
        QVERIFY(folder.Valid());
        ConnectBench bench;
        bench.Plug("smart");
        AnsweringDialogs* dialogs = nullptr;
        TForm1& window = Connect(bench, dialogs);
        auto* dump1 = Control<QTextEdit>(window, "RichEdit1");

        ChooseBuffer(window, "Buffer1");
        QVERIFY(Press(bench, window, "ReadEE"));
        const QStringList lines = dump1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 18);  // the heading, sixteen rows, and the line the last line end opens
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[0], QStringLiteral("      00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"));
        QVERIFY(lines[1].startsWith(QStringLiteral("0000: 00 ")));
        QCOMPARE(ColourAt(dump1, 0, 6), QColor(112, 47, 208));  // heading
        QCOMPARE(ColourAt(dump1, 2, 2), QColor(112, 47, 208));  // address
        QCOMPARE(ColourAt(dump1, 2, 7), QColor(187, 68, 104));  // data
        QVERIFY(Control(window, "PageControl2")->isEnabled());  // again, after the command
        QVERIFY(Control<QProgressBar>(window, "ProgressBar1")->isHidden());

        ChooseBuffer(window, "Buffer2");
        QVERIFY(Press(bench, window, "ReadEE"));
        QCOMPARE(Control<QTextEdit>(window, "RichEdit2")->toPlainText(), dump1->toPlainText());

        ChooseBuffer(window, "Compare");
        QVERIFY(Press(bench, window, "CompareEE"));
        // The CR LF line ends show as one line break each.
        QCOMPARE(Control<QTextEdit>(window, "RichEdit6")->toPlainText(),
                 QStringLiteral("NO Difference found!\n"));

        const std::filesystem::path file = folder / "comparison.bin";
        dialogs->AnswerWith(file.string());
        QVERIFY(Press(bench, window, "SaveEE"));
        QCOMPARE(dialogs->Requests.size(), std::size_t{1});
        QCOMPARE(dialogs->Requests[0].Filter, SaveFilter::Text);
        QCOMPARE(ScratchFolder::Read(file), std::string("NO Difference found!\r\n"));
    }

    void anScUnitRefusesTheReadInTheStatusBar() {
        ConnectBench bench;
        bench.Plug("smart-sc");
        AnsweringDialogs* dialogs = nullptr;
        TForm1& window = Connect(bench, dialogs);
        ChooseBuffer(window, "Buffer1");
        QVERIFY(Press(bench, window, "ReadEE"));
        QCOMPARE(window.StatusBar1->PanelText(0),
                 QString::fromLatin1(Dispatcher::EepromRefusedMessage.data(),
                                     static_cast<qsizetype>(Dispatcher::EepromRefusedMessage.size())));
        QVERIFY(Control<QTextEdit>(window, "RichEdit1")->toPlainText().isEmpty());
    }

    void theSaveDialogOffersTheRequestedTypeAndName() {
        ScratchFolder folder;
        QVERIFY(folder.Valid());
        TForm1 window;
        QtWindowDialogs dialogs(window);
        const QString chosen = QString::fromStdString((folder / "result").string());

        // What the dialog showed, read while it is open; the checks follow once it is closed.
        QString title, name, objectName, filter, suffix, offered;
        qsizetype filters = 0;
        bool asksBeforeReplacing = false;
        WhenDialogShows([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            objectName = dialog.objectName();
            filter = dialog.selectedNameFilter();
            filters = dialog.nameFilters().size();
            suffix = dialog.defaultSuffix();
            asksBeforeReplacing = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
            if (auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                offered = field->text();
            dialog.selectFile(chosen);
            static_cast<QDialog&>(dialog).accept();  // the file dialog's own accept, as its Save button
        });
        const std::optional<std::string> path =
            dialogs.AskSaveFileName({"Save EEPROM as", "Smart 1400KV0527310642XB", SaveFilter::Text});
        QCOMPARE(title, QStringLiteral("Save EEPROM as"));
        QCOMPARE(objectName, QStringLiteral("SaveDialog1"));
        QCOMPARE(filter, QStringLiteral("Text File (*.txt)"));
        QCOMPARE(filters, qsizetype{4});
        QCOMPARE(suffix, QStringLiteral("txt"));
        QVERIFY(asksBeforeReplacing);
        QCOMPARE(offered, QStringLiteral("Smart 1400KV0527310642XB"));
        QVERIFY(path.has_value());
        QCOMPARE(QString::fromStdString(*path), chosen + QStringLiteral(".txt"));

        WhenDialogShows([&](QFileDialog& dialog) {
            filter = dialog.selectedNameFilter();
            dialog.reject();
        });
        QVERIFY(!dialogs.AskSaveFileName({"BackUp UPS Settings as", "x", SaveFilter::SettingsBackup}));
        QCOMPARE(filter, QStringLiteral("Kelvane UPS Settings Backup File (*.kvn)"));
    }

  private:
    QTemporaryDir Scratch;
};

QTEST_MAIN(EepromTest)
#include "tst_eeprom.moc"
