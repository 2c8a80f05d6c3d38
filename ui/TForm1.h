// The main window: the frame around the pages (port chooser, action buttons, disclaimer, status bar and
// support link), the Options and Style menus, the options kept between runs, and the closing sequence.
//
// Controls are found by name: window->findChild<QLineEdit*>("Const0"). The frame's own controls are also
// reachable as the members below.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/ImageList.h"
#include "ui/UnitSnapshot.h"
#include "worker/Dispatcher.h"
#include "ups/Sleeper.h"
#include "worker/PollWorker.h"
#include "worker/Queue.h"
#include "worker/Tone.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace Ui {
class TForm1;
}

namespace kelvane {

class GeneralInfoPanel;
class HintFilter;
class MessageDialogs;
class OptionsBackend;
class OptionsStore;
class PollWorker;
class QtHandOver;
class QtWindowControls;
class SimulatedPorts;
class StatusBar;
class StyleManager;
class UpsLink;

// How a file dialog of the window is set up; the dialogs themselves are opened where they are used.
struct FileDialogSettings {
    QString Title;
    QString Filter;
    QString DefaultSuffix;
    bool ConfirmOverwrite = false;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // Options come from the user's options file (see OptionsStore).
    explicit TForm1(QWidget* parent = nullptr);
    // Options come from the given backend; tests pass a recording one.
    explicit TForm1(std::unique_ptr<OptionsBackend> options, QWidget* parent = nullptr);
    ~TForm1() override;

    std::unique_ptr<kelvane::StyleManager> StyleManager;
    const QString MsgOpenFailed = QStringLiteral("Unable to open COM Port to communicate with UPS");
    const QString MsgConnected = QStringLiteral("Connection to UPS established.");
    const QString MsgNoConnection = QStringLiteral("Could not establish connection to UPS.");
    const QString MsgCloseFailed = QStringLiteral("Unable to Close COM Port");
    const QString MsgMonitorOnly = QStringLiteral("Option Slot NOT Empty! Monitor Mode ONLY!");
    // Target text of a calibration or constant command: at most five characters and a terminating zero.
    std::array<char, 6> ConstBuffer{};
    std::unique_ptr<OptionsStore> Registry;
    // The attached unit; created once and reused by every connection.
    std::unique_ptr<UpsLink> Ups;
    Queue Commands;
    // The worker of the current connection; not owned, it frees itself when it ends.
    PollWorker* Poller = nullptr;
    std::uint8_t PollerFinished = 0;
    // Set once a unit has been identified, never cleared; the worker reads it.
    std::atomic<bool> UnitIdentified{false};

    // Every pause the window itself makes (after closing a port, the red flash of a refused entry); tests
    // put a virtual sleeper here.
    Sleeper* Pauses = &RealSleeper::Instance();

    // Copies of the unit's values that the window's handlers read while a worker may be driving the link.
    UnitSnapshot Snapshot;

    // The feedback tone for the window's entry fields and the worker.
    std::unique_ptr<Tone> Beeper;
    // Image 0 the green link lamp, image 1 the red one.
    ImageList ImageList1;
    FileDialogSettings OpenDialog1;
    FileDialogSettings SaveDialog1;

    // The window's "Tag": 1 while a close waits for the worker to end, 0 otherwise.
    int Tag() const;
    void SetTag(int tag);

    // The link lamp in status panel 1: green while the unit is online, red otherwise. The lamp keeps its
    // own copy of Ups->Online, set on the window thread (by the display refresh), so painting never reads
    // the link while the worker changes it.
    bool LinkLampOnline() const { return LampOnline; }
    void SetLinkLampOnline(bool online);

    // Frame controls.
    GeneralInfoPanel* GroupBox7 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Reconnect = nullptr;
    QPushButton* Leds = nullptr;
    QPushButton* Test = nullptr;
    QPushButton* ByPass = nullptr;
    QTabWidget* PageControl1 = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QLabel* LinkLabel1 = nullptr;
    QAction* SelfTestON1 = nullptr;
    QAction* AUTO1 = nullptr;
    QAction* HexCodeON = nullptr;

    // The support address behind LinkLabel1.
    static constexpr const char* SupportAddress = "fix@example.com";

    void FormCreate();
    void FormResize();
    void FormClose(QCloseEvent* event);
    void Windows1Click();
    void Emerald1Click();
    void Iceberg1Click();
    void Classico1Click();
    void Ametist1Click();
    void Cobalt1Click();
    void Golden1Click();
    void Ruby1Click();
    void StatusBar1DrawPanel(QPainter& painter, int panel, const QRect& rect);
    void LinkLabel1Click();

    // --- Connecting and the worker's life ---------------------------------------------------------------
    // Connects to the port named in ComboBox1: a list choice, a device path typed into it once editing
    // ends, or a simulated unit ("Simulated: " + preset).
    void ComboBox1Change();
    void ReconnectClick();
    // Sets the window up for the unit on the open port. Runs on the window thread only: while a worker
    // runs, from its display refresh and so inside a hand-over.
    void StartClick();
    // A worker's body has ended; posted to the window thread. Joins and frees that worker.
    void PollerTerminated(PollWorker* worker);
    // Lays the Graphics page out for the chart pair chosen.
    void GraphicsChange();

    // Carries out each queued command on the worker thread (the dispatcher's callback; tests may replace
    // it before connecting).
    CommandDispatch Dispatch;
    // Message boxes; tests put a recording one here.
    std::unique_ptr<MessageDialogs> Dialogs;
    // The save dialog and error box of the EEPROM page's files; tests put an answering one here.
    std::unique_ptr<WindowDialogs> FileDialogs;
    // The controls by name, as the worker and the family set-up see them.
    QtWindowControls& Controls() { return *ControlsByName; }
    // How the worker runs work on this window's thread.
    HandOver& WindowHandOver();
    // The simulated units behind the "Simulated: " items of ComboBox1.
    SimulatedPorts& Simulated() { return *SimulatedUnits; }
    // Workers started whose end has not been handled yet; a close waits for all of them.
    std::size_t LiveWorkers() const { return Workers.size(); }
    // Whether PageControl1 shows the "Status" page; safe to read from any thread.
    bool StatusPageShowing() const { return StatusPageShown.load(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void SetUpFrame();
    void RestoreOptions();
    void SaveOptions();
    void ApplyStyle(const QString& name);
    void MarkStyle(const QString& name);
    void TerminatePoller();

    void SetUpConnecting();
    void FillPortChooser();
    void PortEditingFinished();
    // The device behind the chooser's text; false with the reason when it cannot be had.
    bool PortNameForChoice(const QString& choice, std::string& portName, QString& reason);
    void StartPoller();
    // Keeps StatusPageShown up to date for the worker.
    void NoteStatusPage();

    // Connect-time automatic adjustments, made by StartClick; the interval flag lives for one run.
    void SelfTestSwitchOff(bool& intervalChanged);
    void HexCodeDetection(bool intervalChanged);
    void BatteryConstantFix();
    // Set while the set-up runs again from within the self-test switch-off.
    bool InnerSetUpRunning = false;
    // The model code the hex-code detection queued a change to; empty when it queued none.
    std::string QueuedModelCode;

    std::unique_ptr<Ui::TForm1> Layout;
    HintFilter* Hints = nullptr;
    bool LampOnline = false;
    // The chart choice read at start, kept for saving when the Graphics page has no selection box.
    int StoredGraphics = 0;

    std::unique_ptr<QtWindowControls> ControlsByName;
    std::unique_ptr<QtHandOver> HandOverToWindow;
    std::unique_ptr<PollWindow> WorkerView;
    std::unique_ptr<SimulatedPorts> SimulatedUnits;
    std::unique_ptr<Tone> DispatcherTone;
    std::unique_ptr<Sleeper> DispatcherPauses;
    std::unique_ptr<WindowDialogs> DispatcherDialogs;
    std::unique_ptr<Dispatcher> CommandDispatcher;
    // Set when the window asks its workers to stop; the dispatcher's loops end on it.
    std::atomic<bool> StopRequested{false};
    // Owned here from start to PollerTerminated: Poller is the newest of them.
    std::vector<PollWorker*> Workers;
    std::atomic<bool> StatusPageShown{false};
    // The port name of the last connection attempt; leaving the chooser's field with it unchanged does
    // not connect again.
    QString LastPortChoice;
};

// The one main window while it exists.
extern TForm1* Form1;

// The disclaimer shown in Memo1, one entry per row.
QStringList DisclaimerRows();

}  // namespace kelvane
